#include "modem/win/port_dialog.h"

#include "modem/port_detect.h"
#include "platform/win/dialog_proc.h"
#include "shell/win/app.h"

namespace palvex {

namespace {

constexpr const char* kTemplate = "PORT";
constexpr int kStatusControl = 12;

class WinPortHooks : public PortDetectHooks {
public:
    HWND dialog = nullptr;

    void SetStatus(const std::string& text) override { SetDlgItemTextA(dialog, kStatusControl, text.c_str()); }
    void StartTimer(int id, unsigned ms) override { SetTimer(dialog, static_cast<UINT_PTR>(id), ms, nullptr); }
    void KillTimer(int id) override { ::KillTimer(dialog, static_cast<UINT_PTR>(id)); }
    void PostCommand(int id) override { PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); }
    void PostPoll() override { PostMessageA(dialog, kPortPollMessage, 0, 0); }
    void Beep() override { MessageBeep(0); }
    void RemoveOk() override { DestroyWindow(GetDlgItem(dialog, kPortCmdOk)); }
    void Close(int result) override { EndDialog(dialog, result); }
};

struct PortRun {
    PortRun(App& app, bool automatic) : detector(app.port, app.modes, hooks, automatic) {}
    WinPortHooks hooks;
    PortDetector detector;
};

int RunSearch(App& app, HWND owner, bool automatic) {
    // The probes borrow the one port handle; a connection that holds it is
    // never disturbed.
    if (app.port.PortOpen || (app.port.handle && app.port.handle->IsOpen())) return 0;
    PortRun run(app, automatic);
    DialogBoxParamA(app.Instance, kTemplate, owner ? owner : app.MainWindow, PortDlgFunc,
                    reinterpret_cast<LPARAM>(&run));
    return run.detector.state.DetectedPort;
}

}  // namespace

void ShowModemPortDialog(App& app, HWND owner) { RunSearch(app, owner, false); }

int DetectModemPort(App& app, HWND owner) { return RunSearch(app, owner, true); }

INT_PTR CALLBACK PortDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<PortRun>(dialog, message, lParam);
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        run->hooks.dialog = dialog;
        run->detector.Open();
        return TRUE;
    case WM_COMMAND:
        run->detector.Command(LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        run->detector.Timer(static_cast<int>(wParam));
        return TRUE;
    case kPortPollMessage:
        run->detector.Poll();
        return TRUE;
    case WM_DESTROY:
        run->detector.End();
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace palvex
