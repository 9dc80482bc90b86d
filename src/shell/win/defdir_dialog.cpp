#include "shell/win/defdir_dialog.h"

#include "platform/win/dialog_proc.h"
#include "platform/win/win_dialog_view.h"
#include "shell/command_ids.h"
#include "shell/default_dir.h"

namespace palvex {

namespace {

constexpr const char* kTemplate = "DEFDIR";

struct DefaultDirRun {
    DefaultDirDialog logic;
    std::string helpFile;
};

}  // namespace

int ShowDefaultDirDialog(HWND mainWindow, ServiceEntry& service, const ProgramSettings& settings,
                         std::function<bool()> portOpen) {
    DefaultDirDialog::Hooks hooks;
    hooks.portOpen = std::move(portOpen);
    hooks.toggleCapture = [mainWindow] { PostMessageA(mainWindow, WM_COMMAND, kCmdCaptureSession, 0); };
    DefaultDirRun run{DefaultDirDialog(service, settings.InstallDir, std::move(hooks)), settings.HelpFile};
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), kTemplate, mainWindow, DirDlgFunc,
                                            reinterpret_cast<LPARAM>(&run)));
}

INT_PTR CALLBACK DirDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<DefaultDirRun, true>(dialog, message, wParam, lParam);
}

}  // namespace palvex
