// The sending side of XMODEM (checksum, CRC, 1K), YMODEM batch and YMODEM-G.
#pragma once

#include "transfer/transfer_state.h"

namespace palvex {

// 1 ACK, 2 NAK, 3 CAN, 6 "C"/"G"; -1 timer 25 fired, -11 cancelled, -16.
int WaitResponse(Transfer& t);
inline constexpr int kRespAck = 1, kRespNak = 2, kRespCan = 3, kRespStart = 6;

// XMODEM: the file is ReceivePath, its size DeclaredSize (ChooseSendFile).
int XmodemSend(Transfer& t);
// The files of `list`, in order.
int YmodemBatchSend(Transfer& t, const std::vector<std::string>& list);
int YmodemGSend(Transfer& t, const std::vector<std::string>& list);

}  // namespace palvex
