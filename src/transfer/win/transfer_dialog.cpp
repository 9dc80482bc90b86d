#include "transfer/win/transfer_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/win/dialog_proc.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/settings.h"
#include "shell/win/app.h"
#include "transfer/framework.h"
#include "transfer/transfer_session.h"
#include "transfer/win/settings_dialogs.h"
#include "utils/win/file_chooser.h"

namespace palvex {

namespace {

constexpr const char* kTemplate = "XFRDLG";
constexpr const char* kChooserTemplate = "FILEOPEN";
constexpr const char kAllFilesFilter[] = "(*.*)\0*.*\0";
constexpr int kNameBufferSize = 1028;
constexpr COLORREF kBarColour = 0x02FF0000;  // palette-relative blue
constexpr const char* kViewerCommand = "imgshow32.exe 1";
constexpr const char* kViewerAtom = "LivePict";
constexpr int kTimerZmodemWait = 26;

// The viewer is offered the file by a message to every top-level window: the
// handle value -1 (0xFFFFFFFF to a 32-bit program) reaches them all.
HWND AllTopLevelWindows() { return reinterpret_cast<HWND>(static_cast<INT_PTR>(-1)); }

void CloseDialog(TransferRun& run, HWND dialog) {
    run.closed = true;
    Transfer& t = run.transfer;
    if (run.sending)
        SendClose(t);
    else
        ReceiveClose(t);
    EnableWindow(dialog, FALSE);
    run.host.EnableMainWindow(true);
    ViewerClose(t);
    PostMessageA(run.app.MainWindow, kMsgTransferEnded, 0, 0);
}

void Button(TransferRun& run, HWND dialog) {
    if (run.closed) return;
    Transfer& t = run.transfer;
    if (run.sending ? SendButton(t) : ReceiveButton(t)) CloseDialog(run, dialog);
}

void Start(TransferRun& run) {
    // The run outlives its window: the main window destroys the dialog from a
    // message the transfer loop itself may dispatch, and the loop still uses
    // the run when it returns.
    const std::shared_ptr<TransferRun> keep = run.app.transferRun;
    Transfer& t = run.transfer;
    ++run.running;
    if (run.sending)
        SendRun(t);
    else
        ReceiveRun(t);
    --run.running;
    // The dialog went while the loop ran (the program is ending, or the main
    // window took it away): the cancel that stopped the loop is spent.
    if (!run.host.dialog && run.running == 0) t.state.TransferCancelled = 0;
}

INT_PTR Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<TransferRun>(dialog, message, lParam);
    if (!run) return FALSE;
    Transfer& t = run->transfer;
    switch (message) {
    case WM_INITDIALOG:
        run->host.dialog = dialog;
        // From here the pump stays stopped and the loops give this dialog
        // its keys first.
        run->app.pump.SessionDialog = dialog;
        if (run->sending)
            SendInit(t);
        else
            ReceiveInit(t);
        return TRUE;
    case WM_TIMER:
        if (wParam == static_cast<WPARAM>(kTimerXfrStart))
            Start(*run);
        else
            OnTransferTimer(t, static_cast<int>(wParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case dlg::kXfrButton:
        case dlg::kEscape: Button(*run, dialog); return TRUE;
        case dlg::kXfrMinimize: ShowWindow(dialog, SW_SHOWMINIMIZED); return TRUE;
        default: return FALSE;
        }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam != static_cast<WPARAM>(dlg::kXfrProgressBar) || !item) return FALSE;
        DrawProgressBar(item->hDC, item->rcItem, run->host.percent);
        return TRUE;
    }
    case kMsgViewerHello: run->host.ViewerAttached(reinterpret_cast<HWND>(wParam)); return TRUE;
    case kMsgViewerClose:
        run->host.ViewerGone(reinterpret_cast<HWND>(wParam));
        if (!run->host.viewer) t.state.ViewerActive = 0;
        return TRUE;
    case WM_DESTROY:
        run->host.DialogDestroyed();
        if (run->app.pump.SessionDialog == dialog) run->app.pump.SessionDialog = nullptr;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

// ---- The host ---------------------------------------------------------------

WinTransferHost::~WinTransferHost() { DeleteAtoms(); }

bool WinTransferHost::PumpMessage() {
    const Taken taken = app_.loop.TakeMessage(0, false);
    // The program is ending, or the dialog was taken away under the loop: a
    // transfer without its dialog cannot be finished or cancelled any more.
    if (transfer && (app_.loop.QuitSeen() || !dialog)) transfer->state.TransferCancelled = 1;
    return taken != Taken::Nothing;
}

// The ZMODEM byte timers belong to the main window; the others to the dialog.
HWND WinTransferHost::TimerOwner(int id) const {
    return id == kTimerZmodemIo || id == kTimerZmodemWait ? app_.MainWindow : dialog;
}

void WinTransferHost::StartTimer(int id, unsigned ms) {
    HWND owner = TimerOwner(id);
    // SetTimer on no window would make a thread timer with an id of its own.
    if (!owner) return;
    if (SetTimer(owner, static_cast<UINT_PTR>(id), ms, nullptr)) timers_.insert(id);
}

void WinTransferHost::KillTimer(int id) {
    if (HWND owner = TimerOwner(id)) ::KillTimer(owner, static_cast<UINT_PTR>(id));
    timers_.erase(id);
}

void WinTransferHost::SetField(int control, const std::string& text) {
    if (dialog) SetDlgItemTextA(dialog, control, text.c_str());
}

void WinTransferHost::SetTitle(const std::string& title) {
    if (dialog) SetWindowTextA(dialog, title.c_str());
}

void WinTransferHost::PaintProgress(int p) {
    percent = std::clamp(p, 0, 100);
    if (!dialog) return;
    if (HWND bar = GetDlgItem(dialog, dlg::kXfrProgressBar)) InvalidateRect(bar, nullptr, FALSE);
}

void WinTransferHost::Beep() { app_.ui.MessageBeep(kBeepDefault); }

void WinTransferHost::ShowMessage(int stringId) {
    app_.ui.ShowMessage(dialog ? dialog : app_.MainWindow, stringId, nullptr, kStyleTaskModal);
}

void WinTransferHost::PostStart() {
    if (dialog) PostMessageA(dialog, WM_TIMER, static_cast<WPARAM>(kTimerXfrStart), 0);
}

void WinTransferHost::PostCancel() {
    if (dialog) PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(dlg::kXfrButton), 0);
}

void WinTransferHost::EnableMainWindow(bool enabled) {
    if (app_.MainWindow) EnableWindow(app_.MainWindow, enabled ? TRUE : FALSE);
}

void WinTransferHost::HangUp() { app_.disconnector.HangUp(app_.session, true); }

void WinTransferHost::EnterInstallDir() {
    if (!app_.settings.InstallDir.empty()) SetCurrentDirectoryA(app_.settings.InstallDir.c_str());
}

// The chooser leaves the current directory at the chosen file's and hands
// back the name relative to it.
bool WinTransferHost::Choose(const char* title, bool mustExist, std::string& path) {
    char name[kNameBufferSize] = {};
    OPENFILENAMEA record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = dialog ? dialog : app_.MainWindow;
    record.hInstance = app_.Instance;
    record.lpstrFilter = kAllFilesFilter;
    record.lpstrFile = name;
    record.nMaxFile = sizeof name;
    record.lpstrTitle = title;
    record.lpTemplateName = kChooserTemplate;
    record.Flags = OFN_ENABLETEMPLATE | (mustExist ? OFN_FILEMUSTEXIST : 0);
    if (!ChooseFile(record) || !name[0]) return false;
    char full[kNameBufferSize] = {};
    const DWORD length = GetFullPathNameA(name, sizeof full, full, nullptr);
    path = length > 0 && length < sizeof full ? full : name;
    return true;
}

bool WinTransferHost::ChooseReceivePath(std::string& path) { return Choose("Save File", false, path); }

// A file to send must be there: the chooser says so instead of the transfer.
bool WinTransferHost::ChooseSendPath(std::string& path) { return Choose("Open File", true, path); }

int WinTransferHost::RunBatchList(std::vector<std::string>& list) {
    list.clear();
    const int count = RunBatchListDialog(dialog ? dialog : app_.MainWindow, app_.Instance, list,
                                         app_.settings.HelpFile.empty() ? kHelpFileName : app_.settings.HelpFile);
    return count > 0 ? count : 0;
}

bool WinTransferHost::StartViewer(const std::string& path) {
    if (WinExec(kViewerCommand, SW_SHOWNORMAL) < 32) return false;
    OfferToViewer(path);
    return true;
}

void WinTransferHost::OfferToViewer(const std::string& path) {
    DeleteAtoms();
    atoms_[0] = GlobalAddAtomA(kViewerAtom);
    atoms_[1] = GlobalAddAtomA(path.c_str());
    SendMessageA(AllTopLevelWindows(), kMsgViewerAttach, reinterpret_cast<WPARAM>(dialog),
                 MAKELPARAM(atoms_[0], atoms_[1]));
}

void WinTransferHost::ViewerAttached(HWND window) {
    viewer = window;
    if (transfer) transfer->state.ViewerActive = 1;
    DeleteAtoms();
}

void WinTransferHost::ViewerGone(HWND window) {
    if (viewer && window && window != viewer) return;
    viewer = nullptr;
}

void WinTransferHost::NotifyViewer() {
    if (viewer) PostMessageA(viewer, kMsgViewerNotify, reinterpret_cast<WPARAM>(dialog), 0);
}

void WinTransferHost::CloseViewer() {
    if (viewer) PostMessageA(viewer, kMsgViewerClose, reinterpret_cast<WPARAM>(dialog), 0);
    viewer = nullptr;
}

void WinTransferHost::DialogDestroyed() {
    for (int id : std::set<int>(timers_))
        if (TimerOwner(id) == dialog) KillTimer(id);
    CloseViewer();
    DeleteAtoms();
    dialog = nullptr;
}

void WinTransferHost::DeleteAtoms() {
    for (ATOM& atom : atoms_) {
        if (atom) GlobalDeleteAtom(atom);
        atom = 0;
    }
}

// ---- The run ----------------------------------------------------------------

TransferRun::TransferRun(App& a, bool send)
    : app(a),
      sending(send),
      host(a),
      transfer{a.transfer, a.CurrentService, a.port, a.pump, a.modes, host} {
    host.transfer = &transfer;
}

TransferRun* NewTransferRun(App& app, bool sending) {
    if (TransferRunning(app)) return nullptr;
    app.transferRun = std::make_shared<TransferRun>(app, sending);
    return app.transferRun.get();
}

TransferRun* CurrentTransferRun(App& app) { return app.transferRun.get(); }

bool TransferRunning(const App& app) { return app.transferRun && app.transferRun->running > 0; }

HWND CreateTransferDialog(App& app) {
    TransferRun* run = app.transferRun.get();
    if (!run) return nullptr;
    return CreateDialogParamA(app.Instance, kTemplate, app.MainWindow, run->sending ? SendDlgFunc : ReceiveDlgFunc,
                              reinterpret_cast<LPARAM>(run));
}

INT_PTR CALLBACK ReceiveDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Procedure(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK SendDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Procedure(dialog, message, wParam, lParam);
}

void DrawProgressBar(HDC dc, const RECT& bar, int percent) {
    percent = std::clamp(percent, 0, 100);
    RECT rest = bar;
    if (percent > 0) {
        RECT done = bar;
        done.right = bar.left + percent * (bar.right - bar.left) / 100;
        HBRUSH blue = CreateSolidBrush(kBarColour);
        FillRect(dc, &done, blue);
        DeleteObject(blue);
        rest.left = done.right;
    }
    if (rest.left < rest.right) FillRect(dc, &rest, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
}

}  // namespace palvex
