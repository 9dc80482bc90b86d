// The sending side of XMODEM (checksum, CRC, 1K), YMODEM batch and YMODEM-G.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transfer/transfer_state.h"

namespace palvex {

// 1 ACK, 2 NAK, 3 CAN, 6 "C"/"G"; -1 timer 25 fired, -11 cancelled, -16.
int WaitResponse(Transfer& t);
inline constexpr int kRespAck = 1, kRespNak = 2, kRespCan = 3, kRespStart = 6;

// The size of a file we can send, or -1: missing, not a plain file, or too
// large for the 32-bit counters and "%ld" fields.
int64_t SendableSize(const std::string& path);

// XMODEM: the file is ReceivePath, its size DeclaredSize (ChooseSendFile).
int XmodemSend(Transfer& t);
// The files of `list`, in order.
int YmodemBatchSend(Transfer& t, const std::vector<std::string>& list);
int YmodemGSend(Transfer& t, const std::vector<std::string>& list);

}  // namespace palvex
