// The ZMODEM link layer's byte output, which every sender uses.
#pragma once

#include <cstdint>

#include "transfer/transfer_state.h"

namespace palvex {

// Writes one byte, waiting while the port is held by CTS or XOFF or while 256
// or more bytes are queued: 1; -1 after 30 s without room; -11; -16.
int ZWriteByte(Transfer& t, uint8_t byte);

}  // namespace palvex
