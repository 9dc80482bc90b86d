#include "transfer/transfer_state.h"

namespace palvex {

const char* ProtocolName(int protocol) {
    static const char* const kNames[kProtocolCount] = {
        "ASCII", "XMODEM/CHECKSUM", "XMODEM/CRC", "XMODEM/1K",
        "YMODEM BATCH", "YMODEM G", "ZMODEM", "KERMIT",
    };
    if (protocol < 0 || protocol >= kProtocolCount) return "";
    return kNames[protocol];
}

}  // namespace palvex
