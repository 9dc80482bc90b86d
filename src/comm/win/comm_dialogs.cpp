#include "comm/win/comm_dialogs.h"

#include "comm/comm_dialogs_logic.h"
#include "platform/win/dialog_proc.h"
#include "platform/win/win_dialog_view.h"

namespace palvex {

namespace {

struct StatusRun {
    CommStatusDialog logic;
    std::string helpFile;
};

// The service check owns its message by the dialog, whose window exists only
// once the dialog does.
struct ParameterRun {
    explicit ParameterRun(const CommParameterArgs& args)
        : validate(args.validate),
          helpFile(args.helpFile),
          logic(args.service, args.port, [this] { return validate ? validate(dialog) : 0; }) {}
    std::function<int(HWND)> validate;
    std::string helpFile;
    HWND dialog = nullptr;
    CommParameterDialog logic;
};

HINSTANCE InstanceOf(HWND owner) {
    HINSTANCE instance = owner ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)) : nullptr;
    return instance ? instance : GetModuleHandleA(nullptr);
}

}  // namespace

int ShowCommStatusDialog(HWND owner, const CommStatusArgs& args) {
    StatusRun run{CommStatusDialog(args.port, args.screen, {args.pumpRunning, args.restartPump}), args.helpFile};
    return static_cast<int>(DialogBoxParamA(InstanceOf(owner), "COMMSTATUS", owner, CommStatusDlgFunc,
                                            reinterpret_cast<LPARAM>(&run)));
}

int ShowCommParameterDialog(HWND owner, const CommParameterArgs& args) {
    ParameterRun run(args);
    return static_cast<int>(DialogBoxParamA(InstanceOf(owner), "DATABIT", owner, CommParameterDlgFunc,
                                            reinterpret_cast<LPARAM>(&run)));
}

INT_PTR CALLBACK CommStatusDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<StatusRun>(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK CommParameterDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<ParameterRun>(dialog, message, wParam, lParam);
}

}  // namespace palvex
