// The program's state: one instance of every process-wide record, created by
// WinMain (or by a test) and handed to the window procedure through the window.
// Functions take the App, or the part of it they work on.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "comm/gathering_port.h"
#include "comm/pump.h"
#include "comm/session.h"
#include "comm/win/win32_port.h"
#include "modem/dialer.h"
#include "modem/modem_profile.h"
#include "phonebook/service_entry.h"
#include "platform/win/win_message_loop.h"
#include "platform/win/win_ui.h"
#include "shell/app_tables.h"
#include "shell/capture.h"
#include "shell/selection.h"
#include "shell/settings.h"
#include "terminal/keyboard.h"
#include "terminal/keymap.h"
#include "terminal/terminal_modes.h"
#include "terminal/terminal_screen.h"
#include "terminal/win/terminal_view.h"
#include "transfer/transfer_state.h"

namespace palvex {

struct App;
struct TransferRun;

// HangUp for the receive pump: carrier loss ends the session at once.
class ShellDisconnector : public Disconnector {
public:
    explicit ShellDisconnector(App& app) : app_(app) {}
    void HangUp(Session& session, bool immediate) override;

private:
    App& app_;
};

// The toolbar strip, the status line and their indicator texts.
struct ToolbarState {
    HWND strip = nullptr;
    HWND statusLine = nullptr;
    WNDPROC stripProc = nullptr;   // the procedures they had before subclassing
    WNDPROC statusProc = nullptr;
    HWND buttons[8] = {};
    int buttonIds[8] = {};
    int buttonCount = 0;
    bool onlineSet = false;
    HBITMAP bitmaps[10] = {};      // in the order of ToolbarBitmapNames()
    HBRUSH greyBrush = nullptr;
    std::string StatusWord = kWordOffline;
    std::string ConnectionText;
    std::string clock;             // the online clock as last drawn; empty offline
    std::string hint;              // what the hint area shows now
};

struct App {
    explicit App(HINSTANCE instance, Ui* uiOverride = nullptr);
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    ~App();

    HINSTANCE Instance;
    HWND MainWindow = nullptr;
    HMENU Menu = nullptr;
    HWND VScroll = nullptr, HScroll = nullptr, SizeBox = nullptr;

    // The records a connection works on.
    ServiceEntry CurrentService;
    PortState port;
    PumpState pump;
    TerminalScreen screen;
    TerminalModes modes;
    Win32Port device;
    GatheringPort line{device};    // what the session writes to: the device behind a transmit queue
    ModemProfile WorkingProfile;   // reloaded whenever a service becomes current

    WinUi winUi;
    Ui& ui;
    WinMessageLoop loop;
    ShellDisconnector disconnector;
    Session session;
    TerminalView view;             // the painter: device context, font, colours, caret

    ProgramSettings settings;
    ToolbarState toolbar;

    uint32_t ConnectStart = 0;
    int QuietOffline = 1;
    int ScriptActive = 0;
    DialBatchList DialBatch;       // batch dial's services, handed to the dial dialog
    Keymap keymap;                 // the current type's keys
    KeyboardInput keys;            // the key WM_CHAR belongs to
    CaptureState capture;
    SpoolState spool;
    SelectionState selection;
    TransferState transfer;        // the one transfer's state; its dialog is the session dialog
    std::shared_ptr<TransferRun> transferRun;  // the last Receive or Send; outlives its dialog
    bool dialogLibrariesLoaded = false;
    bool settingsRead = false;     // only then is "TransPrint" written back

    // Consulted before the command table: returning true takes the command.
    // Tests use it to see commands the window posts itself (400 at start).
    std::function<bool(int id)> commandFilter;
};

// The App of a main window (null before WM_NCCREATE).
App* AppOf(HWND window);

}  // namespace palvex
