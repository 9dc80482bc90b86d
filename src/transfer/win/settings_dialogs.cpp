#include "transfer/win/settings_dialogs.h"

#include <commdlg.h>

#include "platform/win/dialog_proc.h"
#include "platform/win/win_dialog_view.h"
#include "platform/win/win_ui.h"
#include "shell/dialog_ids.h"
#include "transfer/transfer_settings.h"
#include "utils/win/file_chooser.h"

namespace palvex {

namespace {

// The chooser's name buffer, as long as the record's directory fields.
constexpr DWORD kChooserNameSize = 1028;

HINSTANCE Module(HINSTANCE instance) { return instance ? instance : GetModuleHandleA(nullptr); }

struct ProtocolRun {
    ProtocolRun(const ProtocolDialogArgs& a, HINSTANCE i)
        : args(a), instance(i), logic(a.service, ui, MakeHooks()) {}

    ProtocolDialog::Hooks MakeHooks() {
        ProtocolDialog::Hooks h;
        h.openOptions = [this](int protocol) {
            if (protocol == kProtoAscii) ShowAsciiOptions(dialog, instance, args.service, args.helpFile);
            if (protocol == kProtoZmodem) ShowZmodemOptions(dialog, instance, args.service, args.helpFile);
            if (protocol == kProtoKermit) ShowKermitOptions(dialog, instance, args.service, args.helpFile);
        };
        h.openDefaultDir = [this] {
            if (args.openDefaultDir) args.openDefaultDir(dialog);
        };
        return h;
    }

    const ProtocolDialogArgs& args;
    HINSTANCE instance;
    WinUi ui;
    HWND dialog = nullptr;
    ProtocolDialog logic;
};

// One run record for the three option dialogs.
template <typename Logic>
struct OptionRun {
    template <typename... Args>
    OptionRun(std::string help, Args&&... a) : helpFile(std::move(help)), logic(std::forward<Args>(a)...) {}
    std::string helpFile;
    Logic logic;
};

template <typename Logic>
int RunOption(HWND owner, HINSTANCE instance, const char* name, DLGPROC proc, OptionRun<Logic>& run) {
    return static_cast<int>(DialogBoxParamA(Module(instance), name, owner, proc, reinterpret_cast<LPARAM>(&run)));
}

// Widens the list box's scrolling width to show `text` whole; it never
// narrows, so a deleted long entry leaves the width as it was.
void WidenList(HWND list, const std::string& text) {
    if (!list) return;
    HDC dc = GetDC(list);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    // Room for the item's margins beside the text itself.
    const LONG wanted = size.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 4;
    if (wanted > static_cast<LONG>(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0)))
        SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(wanted), 0);
}

// The program's file chooser: the chosen file's full path, "" when cancelled.
std::string ChooseBatchFile(HWND dialog) {
    char name[kChooserNameSize] = {};
    OPENFILENAMEA record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = dialog;
    record.lpstrFilter = "(*.*)\0*.*\0";
    record.lpstrFile = name;
    record.nMaxFile = sizeof name;
    record.lpstrTitle = "Open File";
    record.lpTemplateName = "FILEOPEN";
    record.Flags = OFN_FILEMUSTEXIST;
    if (ChooseFile(record) != 1 || name[0] == '\0') return std::string();
    // The chooser leaves the current directory at the chosen file's.
    char cwd[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof cwd, cwd);
    if (length == 0 || length >= sizeof cwd) return std::string();
    return BatchFilePath(cwd, name);
}

struct BatchRun {
    BatchRun(std::string help) : helpFile(std::move(help)), logic(ui, MakeHooks()) {}

    BatchListDialog::Hooks MakeHooks() {
        BatchListDialog::Hooks h;
        h.chooseFile = [this] { return ChooseBatchFile(dialog); };
        h.widenList = [this](const std::string& text) { WidenList(GetDlgItem(dialog, dlg::kBatchList), text); };
        return h;
    }

    std::string helpFile;
    WinUi ui;
    HWND dialog = nullptr;
    BatchListDialog logic;
};

}  // namespace

int ShowProtocolDialog(HWND owner, HINSTANCE instance, const ProtocolDialogArgs& args) {
    ProtocolRun run(args, Module(instance));
    return static_cast<int>(
        DialogBoxParamA(run.instance, "PROTODLG", owner, ProtoDlgFunc, reinterpret_cast<LPARAM>(&run)));
}

int ShowAsciiOptions(HWND owner, HINSTANCE instance, ServiceEntry& service, const std::string& helpFile) {
    WinUi ui;
    OptionRun<AsciiOptionsDialog> run(helpFile, service, ui);
    return RunOption(owner, instance, "ASCIIOPTIONS", AOptionDlgFunc, run);
}

int ShowZmodemOptions(HWND owner, HINSTANCE instance, ServiceEntry& service, const std::string& helpFile) {
    OptionRun<ZmodemOptionsDialog> run(helpFile, service);
    return RunOption(owner, instance, "ZMODEMOPTION", ZOptionDlgFunc, run);
}

int ShowKermitOptions(HWND owner, HINSTANCE instance, ServiceEntry& service, const std::string& helpFile) {
    WinUi ui;
    OptionRun<KermitOptionsDialog> run(helpFile, service, ui);
    return RunOption(owner, instance, "KERMITOPTION", KOptionDlgFunc, run);
}

int RunBatchListDialog(HWND owner, HINSTANCE instance, std::vector<std::string>& list, const std::string& helpFile) {
    BatchRun run(helpFile);
    const INT_PTR result =
        DialogBoxParamA(Module(instance), "BATCHLIST", owner, BatchDlgFunc, reinterpret_cast<LPARAM>(&run));
    list.clear();
    if (result <= 0) return 0;
    list = run.logic.BatchList();
    return static_cast<int>(list.size());
}

INT_PTR CALLBACK ProtoDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<ProtocolRun>(dialog, message, lParam);
    if (!run) return FALSE;
    WinDialogView view(dialog, run->args.helpFile);
    switch (message) {
    case WM_INITDIALOG:
        run->dialog = dialog;
        run->logic.Open(view);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == dlg::kProtoList) {
            if (HIWORD(wParam) == LBN_SELCHANGE) run->logic.SelectionChanged(view);
            return TRUE;
        }
        return ForwardClick(run->logic, view, wParam);
    default: return FALSE;
    }
}

INT_PTR CALLBACK AOptionDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<OptionRun<AsciiOptionsDialog>>(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK ZOptionDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<OptionRun<ZmodemOptionsDialog>>(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK KOptionDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<OptionRun<KermitOptionsDialog>>(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK BatchDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<BatchRun>(dialog, message, wParam, lParam);
}

}  // namespace palvex
