// The real main window in the test process over a recording UI and a scripted
// device, with a temporary install directory; the profile section "palvex32"
// is put back as it was after each test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "comm/fake_port.h"
#include "comm/pump.h"
#include "platform/ui.h"
#include "shell/win/app.h"
#include "shell/win/main_window.h"

namespace palvex {

inline constexpr const char* kProfileKeys[] = {"INSTALLDIR", "SESSION", "DOWNLOAD", "TransPrint", "seqdial", "scroll"};

inline std::string ProfileValue(const char* key) {
    char value[1100] = {};
    GetProfileStringA("palvex32", key, "<missing>", value, sizeof value);
    return value;
}

class MainWindowTest : public ::testing::Test {
protected:
    static HINSTANCE Module() { return GetModuleHandleA(nullptr); }
    static void SetUpTestSuite() { RegisterMainWindowClass(Module()); }
    static void TearDownTestSuite() { UnregisterClassA(kMainClassName, Module()); }

    void SetUp() override {
        for (const char* key : kProfileKeys) {
            const std::string v = ProfileValue(key);
            saved_.push_back(v == "<missing>" ? std::nullopt : std::optional(v));
            WriteProfileStringA("palvex32", key, nullptr);
        }
        char dir[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof dir, dir);
        previousDir_ = dir;
        GetTempPathA(sizeof dir, dir);
        installDir_ = std::string(dir) + "palvex-shell-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(installDir_.c_str(), nullptr);
        WriteProfileStringA("palvex32", "INSTALLDIR", installDir_.c_str());
    }

    void TearDown() override {
        Close();
        SetCurrentDirectoryA(previousDir_.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(installDir_, ignored);
        for (size_t i = 0; i < saved_.size(); ++i)
            WriteProfileStringA("palvex32", kProfileKeys[i], saved_[i] ? saved_[i]->c_str() : nullptr);
    }

    // Creates the window (hidden) and runs what it posted at start. The phone
    // book command is recorded and taken, so that no dialog opens.
    void Open() {
        app_ = std::make_unique<App>(Module(), &ui_);
        app_->port.handle = &device_;
        app_->commandFilter = [this](int id) {
            commands_.push_back(id);
            return id == kCmdPhonebook;
        };
        window_ = CreateMainWindow(*app_, SW_HIDE);
        ASSERT_NE(nullptr, window_);
        Pump();
    }

    void Close() {
        if (app_ && IsWindow(window_)) {
            app_->port.PortOpen = 0;
            DestroyWindow(window_);
        }
        if (device_.IsOpen()) device_.Close();
        Pump();
        app_.reset();
    }

    // A pump started by WM_COMMNOTIFY returns once the port has closed.
    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    // Takes a posted WM_COMMNOTIFY away before the pump starts.
    bool TakeCommNotify() {
        MSG msg;
        return PeekMessageA(&msg, window_, 0x44, 0x44, PM_REMOVE) != 0;
    }

    // A direct connection on COM1 started as the phone book's Dial would.
    void ConnectDirect(const std::function<void(ServiceEntry&)>& adjust = {}) {
        ServiceEntry& s = app_->CurrentService;
        s = DefaultServiceEntry();
        std::memcpy(s.ShortName, "DIRECT", 7);
        s.PhoneType = 2;
        if (adjust) adjust(s);
        SendMessageA(window_, WM_TIMER, 3, 0);
    }

    // Connected on COM1 with the service `adjust` makes, the pump not started.
    void Connect(const std::function<void(ServiceEntry&)>& adjust = {}) {
        if (!app_) Open();
        ConnectDirect(adjust);
        ASSERT_TRUE(TakeCommNotify());
        ui_.messages.clear();
    }
    // What the host sends, read by the pump as WM_COMMNOTIFY would.
    void Receive(const std::string& bytes) {
        device_.QueueInput(bytes);
        DrainPort(app_->session);
    }
    void Command(int id) { SendMessageA(window_, WM_COMMAND, id, 0); }
    std::vector<int> Shown() const {
        std::vector<int> ids;
        for (const auto& m : ui_.messages) ids.push_back(m.stringId);
        return ids;
    }

    std::vector<int> ButtonIds() const {
        std::vector<int> ids;
        for (int i = 0; i < app_->toolbar.buttonCount; ++i) ids.push_back(GetDlgCtrlID(app_->toolbar.buttons[i]));
        return ids;
    }
    bool Greyed(int id) const { return GetMenuState(GetMenu(window_), id, MF_BYCOMMAND) & MF_GRAYED; }
    bool Checked(int id) const { return GetMenuState(GetMenu(window_), id, MF_BYCOMMAND) & MF_CHECKED; }
    int CountMessages(int stringId) const {
        int n = 0;
        for (const auto& m : ui_.messages) n += m.stringId == stringId;
        return n;
    }

    const std::vector<int> kOfflineIds = {400, 1001, 1009, 3009, 3008, 11, 5006};
    const std::vector<int> kOnlineIds = {2003, 2000, 1001, 1009, 3009, 3008, 1000, 5006};

    std::vector<std::optional<std::string>> saved_;
    std::string installDir_, previousDir_;
    RecordingUi ui_;
    FakePort device_;
    std::vector<int> commands_;
    std::unique_ptr<App> app_;
    HWND window_ = nullptr;
};

}  // namespace palvex
