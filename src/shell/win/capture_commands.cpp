#include "shell/win/capture_commands.h"

#include "shell/command_ids.h"
#include "shell/win/app.h"

namespace palvex {

namespace {

void Apply(App& app) {
    CaptureWindow window;
    window.owner = app.MainWindow;
    window.checkMenu = [&app](bool on) {
        CheckMenuItem(app.Menu, kCmdCaptureSession, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    window.noMemory = [&app] {
        MessageBoxA(app.MainWindow, kCaptureNoMemoryText, "Error", MB_TASKMODAL);
    };
    ApplyCapture(app.capture, app.CurrentService, app.settings.InstallDir, app.ui, window);
}

}  // namespace

void ToggleCapture(App& app) {
    app.capture.CaptureOn = app.capture.CaptureOn ? 0 : 1;
    if (!app.capture.CaptureOn) app.capture.CloseCapture();
    Apply(app);
}

void ApplyServiceCapture(App& app) {
    app.capture.CaptureOn = app.CurrentService.SessionCapture ? 1 : 0;
    if (!app.capture.CaptureOn) app.capture.CloseCapture();
    Apply(app);
}

void CloseCapture(App& app) { app.capture.CloseCapture(); }

void EndTransparentPrint(App& app) {
    app.spool.EndSpool();
    app.pump.PrintControllerActive = 0;
}

}  // namespace palvex
