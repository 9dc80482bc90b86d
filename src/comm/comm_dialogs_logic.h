// The two dialogs that work on the open port: "Communication Status"
// ("COMMSTATUS": hold states, queue counts, XOFF release) and "Communication
// Parameter" ("DATABIT": data bits, parity and stop bits of the running
// connection). Control plumbing stays in comm/win; what the buttons mean is
// here, over a DialogView.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "comm/port.h"
#include "phonebook/service_entry.h"
#include "platform/dialog_view.h"
#include "terminal/terminal_screen.h"

namespace palvex {

inline constexpr unsigned kCommStatusHelpContext = 330;
inline constexpr unsigned kCommParameterHelpContext = 490;

// The head of a service record that the parameter dialog's Cancel puts back:
// number, prefix, name and line settings up to the phone type.
inline constexpr std::size_t kServiceHeadSize = offsetof(ServiceEntry, PhoneType) + sizeof(int16_t);

class CommStatusDialog {
public:
    struct Hooks {
        // The receive pump: is it running, and WM_COMMNOTIFY to the main window.
        std::function<bool()> pumpRunning;
        std::function<void()> restartPump;
    };

    CommStatusDialog(PortState& port, TerminalScreen& screen, Hooks hooks);

    void Open(DialogView& view);
    // WM_COMMAND from a button; false when it is none of this dialog's.
    bool Command(DialogView& view, int control);

private:
    void ReleaseXoff(DialogView& view);
    PortState& port_;
    TerminalScreen& screen_;
    Hooks hooks_;
};

class CommParameterDialog {
public:
    // `validate` is the service check run by OK: 0 to accept, -1 when it has
    // told the user why not.
    CommParameterDialog(ServiceEntry& service, PortState& port, std::function<int()> validate);

    void Open(DialogView& view);
    // WM_COMMAND from a button; false when it is none of this dialog's.
    bool Command(DialogView& view, int control);

private:
    ServiceEntry& service_;
    PortState& port_;
    std::function<int()> validate_;
    uint8_t head_[kServiceHeadSize] = {};
};

}  // namespace palvex
