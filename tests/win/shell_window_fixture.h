// The real main window in the test process: an App with a recording UI and a
// scripted serial device, a temporary install directory, and the profile
// section "palvex32" put back as it was after each test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "comm/fake_port.h"
#include "platform/ui.h"
#include "shell/win/app.h"
#include "shell/win/main_window.h"

namespace palvex {

// The six keys of the section as they were, restored (or removed) at the end.
class ProfileSnapshot {
public:
    ProfileSnapshot() {
        for (const char* key : kKeys) {
            char value[1100] = {};
            GetProfileStringA("palvex32", key, kMissing, value, sizeof value);
            saved_.push_back(std::string(value) == kMissing ? std::nullopt : std::optional<std::string>(value));
        }
    }
    ~ProfileSnapshot() {
        for (size_t i = 0; i < std::size(kKeys); ++i)
            WriteProfileStringA("palvex32", kKeys[i], saved_[i] ? saved_[i]->c_str() : nullptr);
    }
    static void Clear() {
        for (const char* key : kKeys) WriteProfileStringA("palvex32", key, nullptr);
    }
    static std::string Get(const char* key) {
        char value[1100] = {};
        GetProfileStringA("palvex32", key, kMissing, value, sizeof value);
        return value;
    }

    static constexpr const char* kMissing = "<missing>";

private:
    static constexpr const char* kKeys[] = {"INSTALLDIR", "SESSION", "DOWNLOAD", "TransPrint", "seqdial", "scroll"};
    std::vector<std::optional<std::string>> saved_;
};

class MainWindowTest : public ::testing::Test {
protected:
    static HINSTANCE Module() { return GetModuleHandleA(nullptr); }

    static void SetUpTestSuite() { RegisterMainWindowClass(Module()); }
    static void TearDownTestSuite() { UnregisterClassA(kMainClassName, Module()); }

    void SetUp() override {
        char previous[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof previous, previous);
        previousDir_ = previous;
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        installDir_ = std::string(temp) + "palvex-shell-" + std::to_string(GetCurrentProcessId()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(installDir_.c_str(), nullptr);
        ProfileSnapshot::Clear();
        WriteProfileStringA("palvex32", "INSTALLDIR", installDir_.c_str());
    }

    void TearDown() override {
        Close();
        SetCurrentDirectoryA(previousDir_.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(installDir_, ignored);
    }

    // Creates the window (hidden) and runs what it posted at start. The phone
    // book command is recorded and taken, so that no dialog opens.
    void Open() {
        app_ = std::make_unique<App>(Module(), &ui_);
        app_->port.handle = &device_;
        app_->commandFilter = [this](int id) {
            commands_.push_back(id);
            return id == 400;
        };
        window_ = CreateMainWindow(*app_, SW_HIDE);
        ASSERT_NE(nullptr, window_) << "error " << GetLastError() << " messages " << ui_.messages.size() << (ui_.messages.empty() ? "" : ui_.messages[0].text);
        Pump();
    }

    void Close() {
        if (app_ && window_ && IsWindow(window_)) {
            app_->port.PortOpen = 0;
            DestroyWindow(window_);
        }
        if (device_.IsOpen()) device_.Close();
        Pump();
        app_.reset();
        window_ = nullptr;
    }

    // Runs every message waiting now (a pump started by WM_COMMNOTIFY returns
    // once the port has closed).
    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    // Removes a posted WM_COMMNOTIFY so that the pump does not start; true
    // when there was one.
    bool TakeCommNotify() {
        MSG msg;
        return PeekMessageA(&msg, window_, 0x44, 0x44, PM_REMOVE) != 0;
    }

    // A direct connection on COM1, as the phone book's Dial would start it.
    void UseDirectService(const char* name = "DIRECT") {
        ServiceEntry& s = app_->CurrentService;
        s = DefaultServiceEntry();
        std::memcpy(s.ShortName, name, std::strlen(name) + 1);
        s.PhoneType = 2;
        s.PortIndex = 0;
        s.DataBitsIndex = 0;
        s.Parity = 0;
        s.StopBits = 0;
    }
    void Connect() { SendMessageA(window_, WM_TIMER, 3, 0); }

    std::vector<int> ButtonIds() const {
        std::vector<int> ids;
        for (int i = 0; i < app_->toolbar.buttonCount; ++i) {
            EXPECT_TRUE(IsWindow(app_->toolbar.buttons[i]));
            ids.push_back(GetDlgCtrlID(app_->toolbar.buttons[i]));
        }
        return ids;
    }

    UINT MenuState(int id) const { return GetMenuState(GetMenu(window_), id, MF_BYCOMMAND); }
    bool Greyed(int id) const { return (MenuState(id) & MF_GRAYED) != 0; }
    bool Checked(int id) const { return (MenuState(id) & MF_CHECKED) != 0; }

    int CountMessages(int stringId) const {
        int n = 0;
        for (const auto& m : ui_.messages) n += m.stringId == stringId;
        return n;
    }

    std::string installDir_;
    std::string previousDir_;
    ProfileSnapshot profile_;
    RecordingUi ui_;
    FakePort device_;
    std::vector<int> commands_;
    std::unique_ptr<App> app_;
    HWND window_ = nullptr;
};

}  // namespace palvex
