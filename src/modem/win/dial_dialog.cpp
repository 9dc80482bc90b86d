#include "modem/win/dial_dialog.h"

#include <memory>
#include <string>

#include "comm/pump.h"
#include "modem/dialer.h"
#include "platform/win/dialog_proc.h"
#include "shell/command_ids.h"
#include "shell/win/app.h"

namespace palvex {

namespace {

constexpr const char* kTemplate = "DIALDIALOG";

class WinDialHooks : public DialerHooks {
public:
    explicit WinDialHooks(App& app) : app_(app) {}

    HWND dialog = nullptr;
    Dialer* dialer = nullptr;

    void SetControlText(int id, const std::string& text) override {
        if (dialog) SetDlgItemTextA(dialog, id, text.c_str());
    }
    void SetTitle(const std::string& text) override {
        if (dialog) SetWindowTextA(dialog, text.c_str());
    }
    void SetMainTitle(const std::string& text) override { SetWindowTextA(app_.MainWindow, text.c_str()); }
    void StartTimer(int id, unsigned ms) override {
        if (dialog) SetTimer(dialog, static_cast<UINT_PTR>(id), ms, nullptr);
    }
    void KillTimer(int id) override {
        if (dialog) ::KillTimer(dialog, static_cast<UINT_PTR>(id));
    }
    void PostCommand(int id) override {
        if (dialog) PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0);
    }
    void PostReader() override {
        if (dialog) PostMessageA(dialog, kDialReaderMessage, 0, 0);
    }
    void PostDialingEnded(int wParam) override {
        PostMessageA(app_.MainWindow, kMsgDialingEnded, static_cast<WPARAM>(wParam), 0);
    }
    void EnableMainWindow() override { EnableWindow(app_.MainWindow, TRUE); }
    void DisableDialog() override {
        if (dialog) EnableWindow(dialog, FALSE);
    }
    void Interpret(const uint8_t* bytes, int count) override { InterpretBytes(app_.session, bytes, count); }
    bool ReadService(const char* shortName) override {
        return ReadServiceEntry(app_.settings.InstallDir, shortName, app_.CurrentService) == 0;
    }
    void LoadProfile(int manufacturer) override {
        LoadModemProfile(app_.WorkingProfile, app_.settings.InstallDir, manufacturer);
    }
    bool ScriptFileExists(const char* shortName) override {
        const std::string path = std::string(shortName) + ".scr";
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void TakeOneMessage() override {
        app_.loop.TakeMessage(0, false);
        // The program is ending, or the main window took the dialog away.
        if (dialer && (app_.loop.QuitSeen() || !dialog)) dialer->state.AbortFlag = 1;
    }

private:
    App& app_;
};

struct DialRun {
    explicit DialRun(App& app)
        : hooks(app),
          dialer(app.session, app.WorkingProfile, hooks, app.DialBatch, app.settings.BatchDial != 0,
                 app.ScriptActive) {
        hooks.dialer = &dialer;
    }
    WinDialHooks hooks;
    Dialer dialer;
};

// One dial at a time. The run outlives its window: the main window destroys
// the dialog from a message that a handler of the dialog may have dispatched
// (a message box's loop, the response reader), and that handler still uses the
// dialer when it returns. The next dial replaces it.
std::unique_ptr<DialRun> current;

}  // namespace

HWND CreateDialDialog(App& app) {
    current = std::make_unique<DialRun>(app);
    return CreateDialogParamA(app.Instance, kTemplate, app.MainWindow, DialDlgFunc,
                              reinterpret_cast<LPARAM>(current.get()));
}

INT_PTR CALLBACK DialDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<DialRun>(dialog, message, lParam);
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        run->hooks.dialog = dialog;
        run->dialer.SetOwner(dialog);
        run->dialer.Open();
        return TRUE;
    case WM_COMMAND:
        // Escape arrives as IDCANCEL (2) without a control; the Cancel button
        // (and Enter, which presses it) with its window.
        run->dialer.Command(LOWORD(wParam), lParam != 0);
        return TRUE;
    case kDialReaderMessage:
        run->dialer.RunResponseReader();
        return TRUE;
    case WM_TIMER:
        run->dialer.Timer(static_cast<int>(wParam));
        return TRUE;
    case WM_DESTROY:
        for (int id : {kDialTimerCountdown, kDialTimerResponse, kDialTimerNext, kDialTimerStatus})
            KillTimer(dialog, static_cast<UINT_PTR>(id));
        run->dialer.state.AbortFlag = 1;
        run->hooks.dialog = nullptr;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace palvex
