// The modem search on real COM ports under Wine, run only by
// port_detect_driver.py: COM1 and COM2 are silent, COM3 a simulated modem.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "modem/port_detect.h"
#include "modem/win/port_dialog.h"
#include "shell/dialog_ids.h"
#include "shell/win/app.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using testing::DialogScript;
using testing::WindowText;

using PortDetectOnPtys = testing::ShellDialogTest;

TEST_F(PortDetectOnPtys, ManualFormEndsWithTheModemOnCom3AndWaitsForOk) {
    App app{GetModuleHandleA(nullptr)};
    std::string last;
    std::vector<std::string> seen;
    const DWORD start = GetTickCount();
    {
        DialogScript script({{"bordlg_gray", "Check modem port", [&](HWND d) {
                                  EXPECT_NE(nullptr, GetDlgItem(d, dlg::kOk));
                                  // Watch the status until the search ends, keeping
                                  // the dialog's messages flowing meanwhile.
                                  const DWORD deadline = GetTickCount() + 60000;
                                  while (GetTickCount() < deadline) {
                                      last = WindowText(GetDlgItem(d, dlg::kPortStatus));
                                      if (seen.empty() || seen.back() != last) seen.push_back(last);
                                      if (last.rfind("Checking", 0) != 0) break;
                                      MSG msg;
                                      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                                          TranslateMessage(&msg);
                                          DispatchMessageA(&msg);
                                      }
                                      Sleep(5);
                                  }
                                  testing::Click(d, dlg::kOk);
                              }}});
        ShowModemPortDialog(app, main_);
    }
    Pump();
    EXPECT_EQ((std::vector<std::string>{"Checking port COM1:", "Checking port COM2:", "Checking port COM3:",
                                        "Modem found in port 3"}),
              seen);
    // Two silent ports were each given their full three seconds.
    EXPECT_GE(GetTickCount() - start, 2 * kPortLimitMs);
    EXPECT_FALSE(app.device.IsOpen());
    EXPECT_EQ(0, app.port.PortOpen);
}

}  // namespace
}  // namespace palvex
