// Where the receive path hands bytes and events to subsystems that sit beside
// the terminal: the session capture log, the transparent-print spool, a running
// script's wait, the ZMODEM auto-start check and the disconnect. Each is a small
// interface; the defaults do nothing, so a session without them is a plain
// terminal.
#pragma once

#include <cstdint>

namespace palvex {

struct Session;

class CaptureLog {
public:
    virtual ~CaptureLog() = default;
    virtual bool On() const = 0;
    virtual void Byte(uint8_t b) = 0;
};

// The transparent-print spool: the host's printer controller opens it, the
// pump feeds it while the controller is on, and the host closes it.
class PrintSpool {
public:
    virtual ~PrintSpool() = default;
    virtual void Start() {}
    virtual void Byte(uint8_t b) = 0;
    virtual void End() {}
};

// The keyboard's lock states, which the keypad application mode turns on.
class KeyboardState {
public:
    virtual ~KeyboardState() = default;
    virtual void NumLockOn() = 0;
};

// The script engine's wait: while a script runs, each written line is matched
// (upper-cased) against the wait string.
class ScriptWait {
public:
    virtual ~ScriptWait() = default;
    virtual bool Active() const = 0;
    virtual bool WaitPending() const = 0;
    // Upper-case text the current line must contain.
    virtual const char* WaitString() const = 0;
    // The wait is satisfied: kill timer 6 and clear WaitPending.
    virtual void Satisfied() = 0;
};

// The ZMODEM receiver's check of the header collected after "**" CAN. Returns 1
// when it started the receive, 0 to abandon the auto-start; -16 on carrier loss.
class ZmodemAutoStart {
public:
    virtual ~ZmodemAutoStart() = default;
    virtual int CheckHeader(Session& session, const uint8_t* header, int length, bool showingControls) = 0;
};

// HangUp of the dialer: the pump calls it with immediate = 1 on carrier loss.
class Disconnector {
public:
    virtual ~Disconnector() = default;
    virtual void HangUp(Session& session, bool immediate) = 0;
};

}  // namespace palvex
