// Drives modal dialogs from inside their own loop as a user would, and the
// stand-in main window that owns them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "shell/win/dialog_libraries.h"
#include "shell/win/message_dialog.h"

namespace palvex::testing {

inline std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Named callbacks: a lambda does not convert to the stdcall pointer on i686.
inline BOOL CALLBACK CollectText(HWND child, LPARAM out) {
    reinterpret_cast<std::vector<std::string>*>(out)->push_back(WindowText(child));
    return TRUE;
}

inline std::vector<std::string> ChildTexts(HWND dialog) {
    std::vector<std::string> texts;
    EnumChildWindows(dialog, &CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

inline void Click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline void Notify(HWND dialog, int id, int code) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline void SelectLine(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Notify(dialog, id, LBN_SELCHANGE);
}

inline std::vector<std::string> ListBoxTexts(HWND dialog, int id) {
    std::vector<std::string> texts;
    const LRESULT count = SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[MAX_PATH * 2] = {};
        SendDlgItemMessageA(dialog, id, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

// A fresh temporary folder named after the running test, made current for
// its lifetime.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix) {
        char path[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof path, path);
        previous_ = path;
        GetTempPathA(sizeof path, path);
        const std::string made =
            std::string(path) + prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(made.c_str(), nullptr);
        SetCurrentDirectoryA(made.c_str());
        GetCurrentDirectoryA(sizeof path, path);
        path_ = path;
    }
    ~ScratchFolder() {
        SetCurrentDirectoryA(previous_.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string previous_, path_;
};

struct DialogStep {
    const char* className;  // "bordlg_gray" for the templates, "#32770" for the system box
    const char* title;
    std::function<void(HWND)> act;
};

class DialogScript {
public:
    explicit DialogScript(std::vector<DialogStep> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 30, &DialogScript::Tick);
    }
    ~DialogScript() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
        EXPECT_EQ(steps_.size(), next_) << "a dialog never appeared";
    }

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM param) {
        auto* self = reinterpret_cast<DialogScript*>(param);
        char cls[64] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (self->giveUp_) {
            if (std::string(cls) == "bordlg_gray" || std::string(cls) == "#32770") EndDialog(window, -2);
            return TRUE;
        }
        const DialogStep& step = self->steps_[self->next_];
        if (!IsWindowVisible(window) || !IsWindowEnabled(window) || step.className != std::string(cls) ||
            WindowText(window) != step.title)
            return TRUE;
        self->found_ = window;
        return FALSE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogScript* self = current_;
        if (!self || self->next_ >= self->steps_.size() || self->acting_) return;
        // A dialog that never comes would hang the test in its modal loop.
        self->giveUp_ = ++self->ticks_ > 300;
        self->found_ = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &DialogScript::Visit, reinterpret_cast<LPARAM>(self));
        if (!self->found_) return;
        self->ticks_ = 0;
        self->acting_ = true;
        self->steps_[self->next_++].act(self->found_);
        self->acting_ = false;
    }

    static inline DialogScript* current_ = nullptr;
    std::vector<DialogStep> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    bool giveUp_ = false, acting_ = false;
    HWND found_ = nullptr;
    UINT_PTR timer_ = 0;
};

// A main window with the dialog libraries loaded.
class ShellDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PalvexShellTestMain";
        RegisterClassA(&wc);
        main_ = CreateWindowA(wc.lpszClassName, "Palvex32-Dialup", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(LoadDialogLibraries(main_));
        SetMessageMainWindow(main_);
    }
    void TearDown() override {
        SetMessageMainWindow(nullptr);
        UnloadDialogLibraries();
        DestroyWindow(main_);
        Pump();
    }
    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    HWND main_ = nullptr;
};

}  // namespace palvex::testing
