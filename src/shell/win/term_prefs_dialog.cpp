#include "shell/win/term_prefs_dialog.h"

#include <memory>

#include "comm/port.h"
#include "platform/win/dialog_proc.h"
#include "platform/win/win_dialog_view.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/win/app.h"
#include "shell/win/commands.h"
#include "shell/win/keymap_dialogs.h"
#include "shell/win/profile_store.h"
#include "terminal/keymap.h"
#include "terminal/term_prefs.h"
#include "terminal/win/terminal_view.h"

namespace palvex {

namespace {

constexpr const char* kTemplate = "TERMDLG";

// Messages go through the program's Ui, owned by the dialog, so that they are
// the shell's own message box (and a test can read them).
class TermPrefsView : public WinDialogView {
public:
    TermPrefsView(HWND dialog, const std::string& helpFile, Ui& ui) : WinDialogView(dialog, helpFile), ui_(ui) {}
    int ShowMessage(int stringId, const char* extra, unsigned style) override {
        return ui_.ShowMessage(Window(), stringId, extra, style);
    }

private:
    Ui& ui_;
};

struct TermPrefsRun {
    explicit TermPrefsRun(App& a) : app(a) {}
    App& app;
    WinProfileStore profile;
    HWND dialog = nullptr;
    std::unique_ptr<TermPrefsDialog> logic;
};

void Repaint(App& app) {
    app.view.paintMode = 0;
    InvalidateRect(app.MainWindow, nullptr, TRUE);
}

TermPrefsDialog::Hooks MakeHooks(TermPrefsRun& run) {
    App& app = run.app;
    TermPrefsDialog::Hooks h;
    h.connected = [&app] { return app.port.PortOpen != 0; };
    h.applyFlowControl = [&app](int flow) {
        ServiceEntry line = app.CurrentService;
        line.FlowControl = static_cast<int16_t>(flow);
        BuildPortDcb(app.port, line);
        ApplyPortDcb(app.port);
    };
    h.resetTerminal = [&app](int newType) {
        ResetTerminal(app);
        // The reset judges the 8-bit answers by the type still in the record;
        // the terminal is about to be `newType`.
        if (newType != kTypeVt220 && newType != kTypeVt320) app.modes.c1Answers = 0;
    };
    h.refitHorizontal = [&app] {
        RECT client{};
        GetClientRect(app.MainWindow, &client);
        OnTerminalSize(app.view, client.right - client.left);
    };
    h.setRows = [&app](int rows) {
        SetScreenRows(app.screen, rows);
        FitWindowToPage(app.view);
    };
    h.applyColours = [&app] { ApplyColours(app.view); };
    h.enableColourMenu = [&app](bool on) {
        EnableMenuItem(app.Menu, kCmdColor, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    h.repaint = [&app] { Repaint(app); };
    h.loadKeymap = [&app](int type) { LoadKeymap(app.keymap, KeymapPath(app.settings.InstallDir), type); };
    h.openKeymapEditor = [&run](int type) { OpenKeymapEditor(run.app, run.dialog, type); };
    h.openColourDialog = [&run] { OnColorCommand(run.app.view, run.dialog); };
    h.chooseFont = [&run](LogFont& font) { return ChooseTerminalFont(run.app.view, run.dialog, font); };
    h.setupFont = [&app] {
        SetupFont(app.view);
        FitWindowToPage(app.view);
        Repaint(app);
    };
    return h;
}

void FillList(ListDialogView& view, int id, const char* (*name)(int), int first, int last, int selected) {
    for (int i = first; i <= last; ++i) view.AddItem(id, name(i));
    view.SelectItem(id, selected - first);
}

}  // namespace

int OpenTerminalPrefs(App& app) {
    TermPrefsRun run(app);
    run.logic = std::make_unique<TermPrefsDialog>(app.CurrentService, app.screen, app.modes, run.profile,
                                                  app.settings, app.ui, MakeHooks(run));
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), kTemplate, app.MainWindow, TermDlgFunc,
                                            reinterpret_cast<LPARAM>(&run)));
}

INT_PTR CALLBACK TermDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<TermPrefsRun>(dialog, message, lParam);
    if (!run) return FALSE;
    TermPrefsView view(dialog, run->app.settings.HelpFile, run->app.ui);
    TermPrefsDialog& logic = *run->logic;
    switch (message) {
    case WM_INITDIALOG:
        run->dialog = dialog;
        logic.Open(view);
        FillList(view, dlg::kTermTypeList, TerminalTypeName, kTypeTty, kTypeScoAnsi, logic.WorkingType());
        FillList(view, dlg::kTermFlowList, FlowControlName, 0, kFlowControlCount - 1, logic.WorkingFlow());
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == dlg::kTermTypeList && code == LBN_SELCHANGE) {
            const int index = view.Selection(id);
            if (index >= 0) logic.TypeSelected(view, index + kTypeTty);
            return TRUE;
        }
        if (id == dlg::kTermFlowList && code == LBN_SELCHANGE) {
            logic.FlowSelected(view.Selection(id));
            return TRUE;
        }
        if (id == dlg::kTermScrollRange && code == EN_CHANGE) {
            logic.ScrollRangeEdited(view);
            return TRUE;
        }
        return ForwardClick(logic, view, wParam);
    }
    default:
        return FALSE;
    }
}

}  // namespace palvex
