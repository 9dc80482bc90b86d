#include "modem/win/modem_dialogs.h"

#include "modem/modem_setup.h"
#include "platform/win/dialog_proc.h"
#include "platform/win/win_dialog_view.h"
#include "shell/dialog_ids.h"

namespace palvex {

namespace {

constexpr const char* kModemTemplate = "Modem";
constexpr const char* kProfileTemplate = "MODEMDLG";
constexpr const char* kResultTemplate = "MODEMRESULTCODE";

struct ModemRun {
    ModemSetup setup;
    std::string helpFile;
};

int OpenFields(HWND owner, ModemRun& run, ProfileFieldsDialog::Kind kind);

struct SelectRun {
    explicit SelectRun(ModemRun& r) : run(r), logic(r.setup, [this] {
        OpenFields(window, run, ProfileFieldsDialog::Kind::Commands);
    }) {}
    ModemRun& run;
    HWND window = nullptr;
    ModemSelectDialog logic;
};

struct FieldsRun {
    FieldsRun(ModemRun& r, ProfileFieldsDialog::Kind kind)
        : run(r), helpFile(r.helpFile), logic(r.setup, kind, [this] {
              OpenFields(dialog, run, ProfileFieldsDialog::Kind::Results);
          }) {}
    ModemRun& run;
    const std::string& helpFile;
    HWND dialog = nullptr;
    ProfileFieldsDialog logic;
};

int OpenFields(HWND owner, ModemRun& run, ProfileFieldsDialog::Kind kind) {
    FieldsRun fields(run, kind);
    const bool commands = kind == ProfileFieldsDialog::Kind::Commands;
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), commands ? kProfileTemplate : kResultTemplate,
                                            owner, commands ? mCommDlgFunc : mResultDlgFunc,
                                            reinterpret_cast<LPARAM>(&fields)));
}

INT_PTR FieldsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<FieldsRun, true>(dialog, message, wParam, lParam);
}

}  // namespace

int ShowModemDialog(HWND owner, ServiceEntry& service, ModemProfile& profile, const std::string& installDir,
                    const std::string& helpFile) {
    ModemRun run{ModemSetup{service, profile, installDir, service.ModemIndex}, helpFile};
    SelectRun select(run);
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), kModemTemplate, owner, ModemDlgFunc,
                                            reinterpret_cast<LPARAM>(&select)));
}

INT_PTR CALLBACK ModemDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    SelectRun* select = DialogRun<SelectRun>(dialog, message, lParam);
    if (!select) return FALSE;
    WinDialogView view(dialog, select->run.helpFile);
    switch (message) {
    case WM_INITDIALOG:
        select->window = dialog;
        // The profiles live in the installation directory.
        if (!select->run.setup.installDir.empty()) SetCurrentDirectoryA(select->run.setup.installDir.c_str());
        select->logic.Open(view);
        return TRUE;
    case WM_COMMAND:
        // The list's id is 1 (IDOK), so its notifications are told apart by
        // their sender, not by the id.
        if (LOWORD(wParam) == dlg::kModemList && reinterpret_cast<HWND>(lParam) != nullptr &&
            reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, dlg::kModemList)) {
            select->logic.ListChanged(view);
            return TRUE;
        }
        return ForwardClick(select->logic, view, wParam);
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK mCommDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return FieldsProc(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK mResultDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return FieldsProc(dialog, message, wParam, lParam);
}

}  // namespace palvex
