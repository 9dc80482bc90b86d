// A stand-in main window with the dialog libraries loaded for each test; the
// commands posted to it are kept.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "shell/win/dialog_libraries.h"
#include "shell/win/message_dialog.h"

namespace palvex::testing {

class ShellDialogTest : public ::testing::Test {
protected:
    static constexpr const char* kMainClass = "PalvexShellTestMain";

    static void SetUpTestSuite() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &ShellDialogTest::MainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kMainClass;
        RegisterClassA(&wc);
    }
    static void TearDownTestSuite() { UnregisterClassA(kMainClass, GetModuleHandleA(nullptr)); }

    void SetUp() override {
        commands().clear();
        main_ = CreateWindowA(kMainClass, "Palvex32-Dialup", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, main_);
        ASSERT_TRUE(LoadDialogLibraries(main_));
        SetMessageMainWindow(main_);
    }
    void TearDown() override {
        SetMessageMainWindow(nullptr);
        UnloadDialogLibraries();
        DestroyWindow(main_);
        Pump();
    }

    // Delivers what was posted to the main window after a dialog ended.
    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

    static std::vector<WPARAM>& commands() {
        static std::vector<WPARAM> list;
        return list;
    }

    HWND main_ = nullptr;

private:
    static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND) {
            commands().push_back(wParam);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

}  // namespace palvex::testing
