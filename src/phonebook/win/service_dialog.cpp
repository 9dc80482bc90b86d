#include "phonebook/win/service_dialog.h"

#include <memory>

#include "modem/win/modem_dialogs.h"
#include "modem/win/port_dialog.h"
#include "phonebook/phone_book.h"
#include "phonebook/win/phone_book_dialog.h"
#include "platform/win/dialog_proc.h"
#include "platform/win/win_dialog_view.h"
#include "shell/dialog_ids.h"
#include "shell/win/app.h"
#include "shell/win/pending_commands.h"
#include "shell/win/transfer_commands.h"
#include "shell/win/term_prefs_dialog.h"

namespace palvex {

namespace {

constexpr const char* kTemplate = "SERVICE";

struct ServiceRun {
    ServiceRun(App& a, bool isNew) : app(a), newEntry(isNew) {}
    App& app;
    bool newEntry;
    HWND window = nullptr;
    std::unique_ptr<ServiceEditor> logic;
};

// The terminal and protocol dialogs belong to the main window; the editor
// waits disabled behind them as it would behind its own child.
template <typename Open>
void OpenAbove(HWND editor, Open open) {
    EnableWindow(editor, FALSE);
    open();
    EnableWindow(editor, TRUE);
    SetActiveWindow(editor);
}

ServiceEditor::Hooks MakeHooks(ServiceRun& run) {
    App& app = run.app;
    ServiceEditor::Hooks h;
    h.currentFont = [&app] { return app.view.fontRecord; };
    h.detectPort = [&run] { return DetectModemPort(run.app, run.window); };
    h.openModem = [&run] {
        App& a = run.app;
        ShowModemDialog(run.window, a.CurrentService, a.WorkingProfile, a.settings.InstallDir, a.settings.HelpFile);
    };
    h.openTerminal = [&run] { OpenAbove(run.window, [&run] { OpenTerminalPrefs(run.app); }); };
    h.openProtocol = [&run] { OpenAbove(run.window, [&run] { OpenProtocolSettings(run.app); }); };
    return h;
}

}  // namespace

int RunServiceEditor(App& app, HWND owner, bool newEntry) {
    ServiceRun run(app, newEntry);
    run.logic = std::make_unique<ServiceEditor>(app.CurrentService, app.WorkingProfile, app.settings.InstallDir,
                                                app.ui, newEntry, MakeHooks(run));
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), kTemplate, owner, serviceDlgFunc,
                                            reinterpret_cast<LPARAM>(&run)));
}

INT_PTR CALLBACK serviceDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<ServiceRun>(dialog, message, lParam);
    if (!run) return FALSE;
    WinDialogView view(dialog, run->app.settings.HelpFile);
    ServiceEditor& logic = *run->logic;
    switch (message) {
    case WM_INITDIALOG:
        run->window = dialog;
        logic.SetOwner(dialog);
        logic.Open(view);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == dlg::kServicePort || id == dlg::kServiceBaud) {
            if (code == CBN_SELCHANGE) logic.SelectionChanged(view, id);
            return TRUE;
        }
        return ForwardEditOrClick(logic, view, wParam);
    }
    default: return FALSE;
    }
}

}  // namespace palvex
