// What every file-transfer protocol shares: the result codes, the transfer
// state, the host seam (the status dialog, its timers and the message pump) and
// the context a protocol step works on. Everything here is platform-free; the
// Win32 status dialog and the command-line palvex-xfer are two hosts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/port.h"
#include "comm/session.h"
#include "phonebook/service_entry.h"
#include "terminal/terminal_modes.h"

namespace palvex {

// Result codes of every protocol step. Negative values index TransferErrorText.
inline constexpr int kXfrNothing = 0;
inline constexpr int kXfrBlockAccepted = 1;
inline constexpr int kXfrComplete = 2;
inline constexpr int kXfrFileComplete = 3;
inline constexpr int kXfrTimeout = -1;
inline constexpr int kXfrCrcError = -2;
inline constexpr int kXfrBadPacket = -3;
inline constexpr int kXfrFileOpenError = -4;
inline constexpr int kXfrWriteError = -5;
inline constexpr int kXfrBadHeader = -6;
inline constexpr int kXfrBadChar = -7;
inline constexpr int kXfrMaxErrors = -8;
inline constexpr int kXfrReadError = -9;
inline constexpr int kXfrCancelReceived = -10;
inline constexpr int kXfrUserCancelled = -11;
inline constexpr int kXfrProtocolError = -12;
inline constexpr int kXfrBadSequence = -13;
inline constexpr int kXfrNakReceived = -14;
inline constexpr int kXfrSenderGone = -15;
inline constexpr int kXfrLostConnection = kCarrierLost;  // -16

// Start and end characters of the block protocols.
inline constexpr uint8_t kSOH = 0x01;
inline constexpr uint8_t kSTX = 0x02;
inline constexpr uint8_t kEOT = 0x04;
inline constexpr uint8_t kACK = 0x06;
inline constexpr uint8_t kNAK = 0x15;
inline constexpr uint8_t kCAN = 0x18;
inline constexpr uint8_t kXfrCrcStart = 'C';
inline constexpr uint8_t kXfrStreamStart = 'G';

// Timers of the status dialog (and ZMODEM's on the main window).
inline constexpr int kTimerXfrStart = 0;        // posted once: the transfer begins
inline constexpr int kTimerReceiveIdle = 24;    // 27000 ms without an accepted block
inline constexpr int kTimerSendResponse = 25;   // 60000 ms without a response byte
inline constexpr int kTimerZmodemIo = 23;       // ZMODEM byte read/write
inline constexpr unsigned kReceiveIdleMs = 27000;
inline constexpr unsigned kSendResponseMs = 60000;
inline constexpr unsigned kZmodemReadMs = 10000;
inline constexpr unsigned kZmodemWriteMs = 30000;

// Viewer link messages.
inline constexpr unsigned kMsgViewerAttach = 992;
inline constexpr unsigned kMsgViewerClose = 993;
inline constexpr unsigned kMsgViewerHello = 996;
inline constexpr unsigned kMsgViewerNotify = 1000;

inline constexpr int kBatchPathSize = 260;
inline constexpr int kProtocolCount = 8;

// "ASCII" .. "KERMIT", by TransferProtocol.
const char* ProtocolName(int protocol);

struct TransferState {
    int TransferCancelled = 0;   // first Cancel press; every loop ends with -11
    int32_t BytesDone = 0;       // bytes of the current file received or sent
    int BlockFill = 0;           // bytes collected in the pump's ReceiveBuffer
    uint8_t ExpectedBlock = 0;   // XMODEM/YMODEM block number expected next
    int FirstBlockDone = 0;      // first block (YMODEM: block 0) of this file taken
    int ErrorCount = 0;          // errors since the last good block
    int32_t DeclaredSize = 0;    // size for the percentage; 0 when unknown
    uint32_t StartTick = 0;      // TickCount at the start of the current file
    std::string ReceivePath;     // file being received or sent
    int TimeoutFlag = 0;         // timer 24 fired
    int ViewerActive = 0;
    int ViewerWanted = 0;
    int EotPending = 0;          // a first EOT was answered with NAK
    int SkippedBytes = 0;        // bytes passed over while waiting for a block start
    std::vector<std::string> BatchList;  // full paths, in the order of the list
    int BatchCount = 0;

    int ActiveProtocol = 0;      // the protocol of the running transfer
    int Percent = 0;             // what the bar shows, for its repaint
    int LastResponse = 0;        // sender: the last byte WaitResponse read
    int SendTimeoutFlag = 0;     // sender: timer 25 fired
    int ZmodemTimeoutFlag = 0;   // timer 23 fired
    int32_t ResumeOffset = 0;    // ZMODEM: where a resumed file started
    int AsciiEndChar = -1;       // resolved end character; -1 when none is in force
    std::vector<uint8_t> KermitBuffer;  // Kermit's second packet buffer
};

// What the protocols need from the window system: the status dialog's fields,
// its timers and the message pump that keeps the program alive while a
// transfer runs. The Win32 status dialog implements it over its window; the
// command-line tool and the tests over a clock and a terminal.
class TransferHost {
public:
    virtual ~TransferHost() = default;

    virtual uint32_t TickCount() = 0;
    // Dispatches one waiting message (timers included: a due transfer timer
    // reaches OnTransferTimer). False when nothing was waiting.
    virtual bool PumpMessage() = 0;
    // A loop found nothing to do this round. The design spins; a host may
    // wait a little for the line instead.
    virtual void Idle() {}
    virtual void StartTimer(int id, unsigned ms) = 0;
    virtual void KillTimer(int id) = 0;
    virtual bool TimerRunning(int id) = 0;

    // The status dialog.
    virtual void SetField(int control, const std::string& text) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // Repaints the bar of control 19 at `percent` (0..100).
    virtual void PaintProgress(int percent) = 0;
    virtual void Beep() = 0;
    virtual void ShowMessage(int stringId) = 0;
    // Posts WM_TIMER id 0 (the transfer starts when it is delivered) and
    // WM_COMMAND 300 (Cancel) to the dialog.
    virtual void PostStart() = 0;
    virtual void PostCancel() = 0;
    virtual void EnableMainWindow(bool enabled) = 0;
    // Carrier lost: HangUp with immediate = 1.
    virtual void HangUp() = 0;
    // YMODEM, ZMODEM and Kermit receive into the current directory of the
    // install folder (backups land there).
    virtual void EnterInstallDir() {}

    // The file chooser: true with a full path, false when cancelled.
    virtual bool ChooseReceivePath(std::string& path) = 0;
    virtual bool ChooseSendPath(std::string& path) = 0;
    // The batch list dialog: fills `list` and returns the count (0: abandoned).
    virtual int RunBatchList(std::vector<std::string>& list) = 0;

    // The external viewer: start "imgshow32.exe 1" and offer it `path` (false
    // when it could not be started); notify it of 1024 more bytes; close it.
    virtual bool StartViewer(const std::string& path) = 0;
    virtual void NotifyViewer() = 0;
    virtual void CloseViewer() = 0;
};

// One transfer's context: the state, the service record holding its
// settings, the port and pump it owns while it runs, and its host.
struct Transfer {
    TransferState& state;
    ServiceEntry& service;   // CurrentService
    PortState& port;
    PumpState& pump;         // TransferActive, ReceiveBuffer, ZmodemHeader
    TerminalModes& modes;    // for PollLine
    TransferHost& host;

    uint8_t* ReceiveBuffer() { return pump.ReceiveBuffer; }
    int& TransferActive() { return pump.TransferActive; }
};

}  // namespace palvex
