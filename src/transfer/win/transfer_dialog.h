// The transfer status dialog "XFRDLG": modeless, the session dialog while a
// file goes in or out. Its procedures hand the dialog's events to the transfer
// session logic, and WinTransferHost does for that logic what only a window
// can: the fields, the timers, the message pump, the file choices, the batch
// list and the external picture viewer.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "transfer/transfer_state.h"

namespace palvex {

struct App;

class WinTransferHost : public TransferHost {
public:
    explicit WinTransferHost(App& app) : app_(app) {}
    ~WinTransferHost() override;
    WinTransferHost(const WinTransferHost&) = delete;
    WinTransferHost& operator=(const WinTransferHost&) = delete;

    HWND dialog = nullptr;    // null before WM_INITDIALOG and once destroyed
    Transfer* transfer = nullptr;
    HWND viewer = nullptr;    // the viewer window that answered, if any
    int percent = 0;          // what the bar shows

    uint32_t TickCount() override { return GetTickCount(); }
    bool PumpMessage() override;
    void StartTimer(int id, unsigned ms) override;
    void KillTimer(int id) override;
    bool TimerRunning(int id) override { return timers_.count(id) != 0; }

    void SetField(int control, const std::string& text) override;
    void SetTitle(const std::string& title) override;
    void PaintProgress(int percent) override;
    void Beep() override;
    void ShowMessage(int stringId) override;
    void PostStart() override;
    void PostCancel() override;
    void EnableMainWindow(bool enabled) override;
    void HangUp() override;
    void EnterInstallDir() override;

    bool ChooseReceivePath(std::string& path) override;
    bool ChooseSendPath(std::string& path) override;
    int RunBatchList(std::vector<std::string>& list) override;

    bool StartViewer(const std::string& path) override;
    void NotifyViewer() override;
    void CloseViewer() override;

    // The viewer link without starting the program: the atoms "LivePict" and
    // `path`, and message 992 to every top-level window.
    void OfferToViewer(const std::string& path);
    // Message 996: the viewer's window introduces itself.
    void ViewerAttached(HWND window);
    // Message 993 from the viewer: it has gone.
    void ViewerGone(HWND window);
    // WM_DESTROY of the dialog: its timers and the viewer's atoms go with it.
    void DialogDestroyed();

private:
    HWND TimerOwner(int id) const;
    bool Choose(const char* title, bool mustExist, std::string& path);
    void DeleteAtoms();

    App& app_;
    std::set<int> timers_;
    ATOM atoms_[2] = {};
};

// One transfer: its host and its context over the App's records.
struct TransferRun {
    TransferRun(App& app, bool sending);

    App& app;
    bool sending;
    WinTransferHost host;
    Transfer transfer;
    int running = 0;       // inside the run (WM_TIMER id 0), nested calls counted
    bool closed = false;   // the button closed the dialog; later presses are ignored
};

// A fresh run for the Receive or Send command, replacing the App's last one;
// null while the last one is still running further up the stack.
TransferRun* NewTransferRun(App& app, bool sending);
// The App's current run (the last one made), or null.
TransferRun* CurrentTransferRun(App& app);
// True while the App's run is inside its transfer loop.
bool TransferRunning(const App& app);

// Creates XFRDLG over the main window for the App's current run (WM_INITDIALOG
// starts the transfer and makes it the session dialog); null on failure.
HWND CreateTransferDialog(App& app);

INT_PTR CALLBACK ReceiveDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SendDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The owner-drawn bar: the first percent/100 of `bar` in blue, the rest in the
// brush selected in `dc`.
void DrawProgressBar(HDC dc, const RECT& bar, int percent);

}  // namespace palvex
