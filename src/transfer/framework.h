// The transfer framework: the receive loop and its dispatch, time-outs, the
// common end of a failed receive, progress, file naming and backups, the
// viewer link and the timers of the status dialog.
#pragma once

#include <cstdint>
#include <string>

#include "transfer/transfer_state.h"

namespace palvex {

// " ", "timeout", ... "Lost Connection" for 0, -1 .. -16; " " out of range.
const char* TransferErrorText(int code);

// The timers' effects: 24 sets TimeoutFlag; 25 sets TransferCancelled and
// SendTimeoutFlag and clears TransferActive; 23 sets ZmodemTimeoutFlag. The
// timer is killed first; any other id is only killed.
void OnTransferTimer(Transfer& t, int id);

// Status "Retrying", field 16 = text, field 100 = ErrorCount.
void ShowRetry(Transfer& t, const char* text);
// Fields 12-18 and the bar; direction 0 "Receiving", 1 "Sending".
void UpdateProgress(Transfer& t, int direction);
// "hh:mm:ss" of a millisecond count.
std::string FormatElapsed(uint32_t milliseconds);
// Characters after the last ':', '\\' or '/'.
std::string BaseName(const std::string& path);
// A received name made safe: the base name; "", "." and ".." become "noname".
std::string SafeReceivedName(const std::string& name);
// DownloadDir + separator (when the directory is not empty) + name.
std::string DownloadPath(const ServiceEntry& service, const std::string& name);
// Renames an existing `path` to its base name up to the first '.' plus
// ".bak", in the current directory. The rename's result is not checked.
void BackupExisting(const std::string& path);
// True when the upper-cased path contains ".GIF" or ".JPG".
bool IsViewerPicture(const std::string& path);

// Reads single bytes until SOH, STX or EOT, which becomes ReceiveBuffer[0]
// with BlockFill 1: 0. Bytes passed over are counted in SkippedBytes. -1 as
// soon as a read yields nothing (PollLine's -16 is passed on).
int WaitBlockStart(Transfer& t);

// Drives a non-ZMODEM receiver until it ends; the result code.
int ReceiveLoop(Transfer& t);
int ReceiveDispatch(Transfer& t);
int HandleTimeout(Transfer& t);
// The common end of a failed receive.
void CancelTransfer(Transfer& t, int code);

// The viewer link.
void LaunchViewer(Transfer& t);
void ViewerNotify(Transfer& t);
void ViewerClose(Transfer& t);

// The resolved ASCII start character (caret form → control byte; empty → 0)
// and end character (caret form only; -1 when none is in force).
uint8_t ResolveStartChar(const char (&field)[2]);
int ResolveEndChar(const char (&field)[2]);

// The device is open. A transfer asks the device itself: palvex-xfer opens
// its line without the shell's connection flag.
bool PortIsOpen(const PortState& port);
// A MaxErrors of 0 (or a damaged negative one) means five.
int ErrorLimit(const ServiceEntry& service);
// fInX and fOutX, applied to the device.
void ApplySoftwareFlow(PortState& port, bool in, bool out);
// Everything of the last transfer goes, but the buffers the Receive and Send
// commands set up for the dialog's whole life (batch list, Kermit buffer),
// the protocol, and the Cancel flag, which the main window clears once the
// dialog is gone.
void ResetTransferState(TransferState& s);
// When the status dialog closes: 7-bit framing back (unless ASCII) and XON/XOFF
// both ways as the service's flow control says.
void RestoreLine(Transfer& t, int protocol);
// Kermit's second packet buffer, KermitPacketSize + 20 bytes (0 counts as
// 1024). False, with string 95 shown, when there is no memory for it.
bool AllocateKermitBuffer(Transfer& t);
// Both directions of the protocol exist; the others end as soon as they start.
bool ProtocolBuilt(int protocol);
// Field 16 of a protocol that is not built yet.
inline constexpr const char* kNotAvailableText = "not available yet";

// Writes one byte to the port (start bytes, ACK, NAK, CAN).
int SendControl(Transfer& t, uint8_t byte);
// CAN `count` times.
void SendCancelBytes(Transfer& t, int count);

}  // namespace palvex
