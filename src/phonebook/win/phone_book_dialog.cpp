#include "phonebook/win/phone_book_dialog.h"

#include <memory>

#include "phonebook/win/service_dialog.h"
#include "platform/win/dialog_proc.h"
#include "platform/win/win_dialog_view.h"
#include "shell/dialog_ids.h"
#include "shell/win/app.h"
#include "shell/win/profile_store.h"
#include "terminal/keymap.h"

namespace palvex {

namespace {

constexpr const char* kPhoneTemplate = "PHONEDIALOG";
constexpr const char* kCopyTemplate = "COPYOPTION";
constexpr const char* kDialOptTemplate = "DIALOPTION";

// The current line index outlives the dialog, as the book is reopened after
// every session.
int currentLineIndex = 0;

struct PhoneRun {
    explicit PhoneRun(App& a) : app(a) {}
    App& app;
    WinProfileStore store;
    HWND window = nullptr;
    std::unique_ptr<PhoneBookDialog> logic;
};

PhoneBookDialog::Hooks MakePhoneHooks(PhoneRun& run) {
    App& app = run.app;
    PhoneBookDialog::Hooks h;
    h.portOpen = [&app] { return app.port.PortOpen != 0; };
    h.currentFont = [&app] { return app.view.fontRecord; };
    h.openEditor = [&run](bool isNew) { RunServiceEditor(run.app, run.window, isNew); };
    h.openCopy = [&run] { return RunCopyDialog(run.app, run.window); };
    h.openDialOptions = [&run] { RunDialOptionsDialog(run.app, run.window); };
    h.makeCurrent = [&app](const ServiceEntry& service) {
        // The terminal type's keys; the protocol is read from the service by
        // each transfer.
        LoadKeymap(app.keymap, KeymapPath(app.settings.InstallDir), service.TerminalType);
    };
    h.fileExists = [](const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    return h;
}

struct CopyRun {
    CopyRun(App& a, HWND o) : app(a), owner(o), logic(a.CurrentService, a.WorkingProfile, a.settings.InstallDir, a.ui) {}
    App& app;
    HWND owner;
    CopyServiceDialog logic;
};

struct DialOptRun {
    explicit DialOptRun(App& a) : helpFile(a.settings.HelpFile), logic(a.CurrentService, a.settings.InstallDir, a.ui) {}
    const std::string& helpFile;
    DialOptionsDialog logic;
};

}  // namespace

int RunPhoneBookDialog(App& app) {
    SetCurrentDirectoryA(app.settings.InstallDir.c_str());
    PhoneRun run(app);
    run.logic = std::make_unique<PhoneBookDialog>(app.CurrentService, app.WorkingProfile, app.settings, run.store,
                                                  app.DialBatch, currentLineIndex, app.ui, MakePhoneHooks(run));
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), kPhoneTemplate, app.MainWindow,
                                            PhoneDlgFunc, reinterpret_cast<LPARAM>(&run)));
}

INT_PTR CALLBACK PhoneDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<PhoneRun>(dialog, message, lParam);
    if (!run) return FALSE;
    WinDialogView view(dialog, run->app.settings.HelpFile);
    PhoneBookDialog& logic = *run->logic;
    switch (message) {
    case WM_INITDIALOG:
        run->window = dialog;
        logic.SetOwner(dialog);
        logic.Open(view);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == dlg::kPhoneList) {
            if (code == LBN_SELCHANGE) logic.ListSelectionChanged(view);
            if (code == LBN_DBLCLK) logic.ListDoubleClicked(view);
            return TRUE;
        }
        if (id == dlg::kPhoneBatchList) {
            if (code == LBN_SELCHANGE) logic.BatchSelectionChanged(view);
            return TRUE;
        }
        return ForwardClick(logic, view, wParam);
    }
    default: return FALSE;
    }
}

int RunCopyDialog(App& app, HWND owner) {
    CopyRun run(app, owner);
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), kCopyTemplate, owner, CopyDlgFunc,
                                            reinterpret_cast<LPARAM>(&run)));
}

INT_PTR CALLBACK CopyDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<CopyRun>(dialog, message, lParam);
    if (!run) return FALSE;
    WinDialogView view(dialog, run->app.settings.HelpFile);
    switch (message) {
    case WM_INITDIALOG:
        run->logic.SetOwner(dialog);
        run->logic.Open(view);
        return TRUE;
    case WM_COMMAND: return ForwardEditOrClick(run->logic, view, wParam);
    default: return FALSE;
    }
}

int RunDialOptionsDialog(App& app, HWND owner) {
    DialOptRun run(app);
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), kDialOptTemplate, owner, DialOptDlgFunc,
                                            reinterpret_cast<LPARAM>(&run)));
}

INT_PTR CALLBACK DialOptDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainDialogProc<DialOptRun, true>(dialog, message, wParam, lParam);
}

}  // namespace palvex
