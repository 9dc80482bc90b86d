// Drives modal dialogs from inside their own message loop: a thread timer
// looks for the next expected dialog of this thread and acts on it, the way a
// user would (setting fields, clicking buttons).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace palvex::testing {

struct DialogStep {
    const char* className;  // "bordlg_gray" for our templates, "#32770" for MessageBoxA
    const char* title;
    std::function<void(HWND)> act;
};

inline std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Named callbacks: a lambda does not convert to the stdcall pointer on i686.
inline BOOL CALLBACK CollectText(HWND child, LPARAM out) {
    reinterpret_cast<std::vector<std::string>*>(out)->push_back(WindowText(child));
    return TRUE;
}

// The texts of all controls of a dialog, for boxes whose ids we do not own.
inline std::vector<std::string> ChildTexts(HWND dialog) {
    std::vector<std::string> texts;
    EnumChildWindows(dialog, &CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

inline void Click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

class DialogScript {
public:
    explicit DialogScript(std::vector<DialogStep> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 30, &DialogScript::Tick);
    }
    ~DialogScript() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
        EXPECT_EQ(steps_.size(), next_) << "steps left undone; waiting for \"" << Waiting() << '"';
    }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

private:
    std::string Waiting() const { return next_ < steps_.size() ? steps_[next_].title : ""; }

    struct Search {
        const DialogStep* step;
        HWND found;
    };

    static BOOL CALLBACK Match(HWND window, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        if (IsWindowVisible(window) && IsWindowEnabled(window) && ClassOf(window) == search->step->className &&
            WindowText(window) == search->step->title) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogScript* self = current_;
        if (!self || self->busy_) return;
        if (self->next_ >= self->steps_.size()) return;
        Search search{&self->steps_[self->next_], nullptr};
        EnumThreadWindows(GetCurrentThreadId(), &DialogScript::Match, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            // A dialog that never comes would hang the test in its modal
            // loop; end whatever is open instead.
            if (++self->idleTicks_ > 300) self->Abandon();
            return;
        }
        self->idleTicks_ = 0;
        self->busy_ = true;
        const DialogStep& step = self->steps_[self->next_++];
        step.act(search.found);
        self->busy_ = false;
    }

    void Abandon() {
        ADD_FAILURE() << "no dialog \"" << Waiting() << "\" appeared";
        next_ = steps_.size();
        EnumThreadWindows(GetCurrentThreadId(), &DialogScript::EndAny, 0);
    }

    static BOOL CALLBACK EndAny(HWND window, LPARAM) {
        const std::string cls = ClassOf(window);
        if (cls == "bordlg_gray" || cls == "#32770") EndDialog(window, -2);
        return TRUE;
    }

    static inline DialogScript* current_ = nullptr;
    std::vector<DialogStep> steps_;
    size_t next_ = 0;
    int idleTicks_ = 0;
    bool busy_ = false;
    UINT_PTR timer_ = 0;
};

}  // namespace palvex::testing
