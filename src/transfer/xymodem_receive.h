// The receiving side of XMODEM (checksum, CRC, 1K), YMODEM batch and YMODEM-G:
// one step per protocol, called by ReceiveDispatch whenever bytes wait.
#pragma once

#include "transfer/transfer_state.h"

namespace palvex {

int XmodemChecksumStep(Transfer& t);
int XmodemCrcStep(Transfer& t);
int Xmodem1kStep(Transfer& t);
int YmodemBatchStep(Transfer& t);
int YmodemGStep(Transfer& t);

// The step of a block protocol (1..5); null for the others.
using ReceiveStep = int (*)(Transfer&);
ReceiveStep BlockReceiveStep(int protocol);

// A whole block in ReceiveBuffer (header at 0), checked and stored.
int AcceptBlock(Transfer& t);
int AcceptBlockZero(Transfer& t);

}  // namespace palvex
