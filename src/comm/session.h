// The state a connection works on, gathered so that the pump, the emulators and
// the transmit path can be given one argument. The shell owns one instance of
// each record; tests build their own.
#pragma once

#include <cstdint>

#include "comm/port.h"
#include "comm/pump_hooks.h"
#include "phonebook/service_entry.h"
#include "platform/message_loop.h"
#include "platform/ui.h"
#include "terminal/terminal_modes.h"
#include "terminal/terminal_screen.h"

namespace palvex {

inline constexpr int kReceiveBufferSize = 1056;
inline constexpr int kBurstLimit = 1023;
inline constexpr int kWaitTimerId = 18;

struct ChatState {
    int localRow = 0, localCol = 0;
    int remoteRow = 14, remoteCol = 0;
};

struct PumpState {
    int PumpRunning = 0;
    WindowRef SessionDialog = nullptr;
    uint8_t ReceiveBuffer[kReceiveBufferSize] = {};
    int MoreData = 0;
    uint8_t LastByte = 0;
    int TransferActive = 0;
    uint8_t ZmodemHeader[kReceiveBufferSize] = {};
    int ZmodemHeaderLength = 0;
    int PrintControllerActive = 0;
    int ChatMode = 0;
    ChatState chat;
};

struct Session {
    ServiceEntry& service;    // CurrentService
    PortState& port;
    PumpState& pump;
    TerminalScreen& screen;
    TerminalModes& modes;
    Ui& ui;
    MessageLoop& loop;
    WindowRef window = nullptr;  // the main window

    // Neighbours the receive path calls; null means "not there".
    CaptureLog* capture = nullptr;
    PrintSpool* spool = nullptr;
    ScriptWait* script = nullptr;
    ZmodemAutoStart* zmodem = nullptr;
    Disconnector* disconnector = nullptr;
    KeyboardState* keyboard = nullptr;

    int TerminalType() const { return service.TerminalType; }
    bool ScriptActive() const { return script && script->Active(); }
    bool CaptureOn() const { return capture && capture->On(); }
};

}  // namespace palvex
