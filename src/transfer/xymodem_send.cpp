#include "transfer/xymodem_send.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>

#include "shell/dialog_ids.h"
#include "transfer/crc.h"
#include "transfer/framework.h"
#include "transfer/zmodem_link.h"

namespace palvex {

namespace {

constexpr int kBlockHeader = 3;  // header, number, complement
constexpr int kShortData = 128;
constexpr int kLongData = 1024;
constexpr uint8_t kStreamStop = 0x12;  // three in a row stop a YMODEM-G stream


bool Readable(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

// One more NAK or silence on the current block. Past the limit the receiver
// is told with two CANs and the send ends.
int CountError(Transfer& t, const char* text) {
    if (++t.state.ErrorCount > ErrorLimit(t.service)) {
        SendCancelBytes(t, 2);
        return kXfrMaxErrors;
    }
    ShowRetry(t, text);
    return 0;
}

const char* RetryText(int response) { return response == kRespNak ? "NAK Received" : "timeout"; }

// The block being sent, as it sits in ReceiveBuffer.
struct Block {
    uint8_t counter = 0;  // number of the last block built
    int wireLength = 0;   // bytes on the line
    int fileBytes = 0;    // bytes of the file it carries
};

void PutCheck(uint8_t* block, int length, bool crc) {
    uint8_t* data = block + kBlockHeader;
    if (crc) {
        // Crc16Block comes byte-swapped for a little-endian store, which puts
        // the high byte first on the line.
        const uint16_t value = Crc16Block(data, length);
        data[length] = static_cast<uint8_t>(value & 0xFF);
        data[length + 1] = static_cast<uint8_t>(value >> 8);
    } else {
        data[length] = Checksum8(data, length);
    }
}

enum class Built { Block, EndOfFile, OpenFailed, ReadFailed };

// The next block of ReceivePath, read at BytesDone, padded with 0x00.
Built BuildBlock(Transfer& t, Block& block, uint8_t header, int length, bool crc) {
    uint8_t* b = t.ReceiveBuffer();
    std::memset(b, 0, static_cast<size_t>(length) + 5);
    block.fileBytes = 0;

    std::FILE* f = std::fopen(t.state.ReceivePath.c_str(), "rb");
    if (!f) return Built::OpenFailed;
    size_t got = 0;
    bool failed = std::fseek(f, static_cast<long>(t.state.BytesDone), SEEK_SET) != 0;
    if (!failed) {
        got = std::fread(b + kBlockHeader, 1, static_cast<size_t>(length), f);
        failed = got == 0 && std::ferror(f) != 0;
    }
    std::fclose(f);
    if (failed) return Built::ReadFailed;
    if (got == 0) return Built::EndOfFile;

    block.fileBytes = static_cast<int>(got);
    ++block.counter;
    b[0] = header;
    b[1] = block.counter;
    b[2] = static_cast<uint8_t>(~block.counter);
    PutCheck(b, length, crc);
    block.wireLength = kBlockHeader + length + (crc ? 2 : 1);
    return Built::Block;
}

int BuildResultCode(Built built) {
    return built == Built::OpenFailed ? kXfrFileOpenError : built == Built::ReadFailed ? kXfrReadError : 0;
}

// YMODEM block 0: the name, NUL, the size in decimal, NUL, zeros. An empty
// name gives the all-zero block that ends a batch.
void BuildBlockZero(Transfer& t, Block& block, const std::string& name, int32_t size) {
    uint8_t* b = t.ReceiveBuffer();
    std::memset(b, 0, kBlockHeader + kShortData + 2);
    b[0] = kSOH;
    b[1] = 0x00;
    b[2] = 0xFF;
    if (!name.empty()) {
        char sizeText[16];
        const int sizeLength = std::snprintf(sizeText, sizeof sizeText, "%ld", static_cast<long>(size));
        // Name, NUL, size and NUL must fit the 128 bytes: a very long name is cut.
        const size_t room = static_cast<size_t>(kShortData - 2 - sizeLength);
        const size_t nameLength = name.size() < room ? name.size() : room;
        uint8_t* data = b + kBlockHeader;
        std::memcpy(data, name.data(), nameLength);
        std::memcpy(data + nameLength + 1, sizeText, static_cast<size_t>(sizeLength));
    }
    PutCheck(b, kShortData, true);
    block.counter = 0;
    block.fileBytes = 0;
    block.wireLength = kBlockHeader + kShortData + 2;
}

int WriteBlock(Transfer& t, const Block& block) {
    const uint8_t* bytes = t.ReceiveBuffer();
    for (int i = 0; i < block.wireLength; ++i) {
        const int r = ZWriteByte(t, bytes[i]);
        if (r < 0) return r;
    }
    return 0;
}

// After a block went out: waits for its ACK, answering NAKs (and, when
// `retryOnTimeout`, silences) with the same block up to the error limit.
// "C" and "G" are waited past, except where `startAsksAgain`: a receiver
// that has not taken a file's first block (or a block 0) yet asks for it
// again with "C" rather than NAK when it arrived damaged.
int AwaitAck(Transfer& t, const Block& block, bool retryOnTimeout, bool startAsksAgain) {
    for (;;) {
        int r = WaitResponse(t);
        if (r == kRespAck) {
            t.state.ErrorCount = 0;
            return 0;
        }
        if (r == kRespStart && !startAsksAgain) continue;
        if (r == kRespCan) return kXfrCancelReceived;
        if (r == kRespStart) r = kRespNak;
        if (r != kRespNak && !(r == kXfrTimeout && retryOnTimeout)) return r;
        r = CountError(t, RetryText(r));
        if (r < 0) return r;
        r = WriteBlock(t, block);
        if (r < 0) return r;
    }
}

// The blocks of ReceivePath from BytesDone on, each until it is acknowledged.
int SendBlocksWithAck(Transfer& t, uint8_t header, int length, bool crc) {
    Block block;
    for (bool first = true;; first = false) {
        const Built built = BuildBlock(t, block, header, length, crc);
        if (built == Built::EndOfFile) return 0;
        if (built != Built::Block) return BuildResultCode(built);
        // The first copy is what counts; a resend carries the same bytes.
        int r = WriteBlock(t, block);
        if (r < 0) return r;
        t.state.BytesDone += block.fileBytes;
        UpdateProgress(t, 1);
        r = AwaitAck(t, block, true, first);
        if (r < 0) return r;
    }
}

// Waits for the receiver to ask for a file: "C" or "G".
int WaitStart(Transfer& t) {
    const int r = WaitResponse(t);
    if (r == kRespCan) return kXfrCancelReceived;
    return r == kRespStart ? 0 : r;
}

// The per-file opening of both YMODEMs. 1 when the file is to be skipped
// (empty), 0 to send it, or a result code.
int StartFile(Transfer& t, const std::string& path) {
    TransferState& s = t.state;
    s.StartTick = t.host.TickCount();
    s.BytesDone = 0;
    s.ErrorCount = 0;
    s.ReceivePath = path;
    t.host.SetField(dlg::kXfrFileName, BaseName(path));
    const int64_t size = SendableSize(path);
    if (size < 0) {
        s.DeclaredSize = 0;
        return kXfrFileOpenError;
    }
    s.DeclaredSize = static_cast<int32_t>(size);
    if (size < 1) {
        t.host.SetField(dlg::kXfrError, "File is zero length");
        return 1;
    }
    t.host.SetField(dlg::kXfrFileSize, std::to_string(size));
    UpdateProgress(t, 1);
    return 0;
}

bool AskedForFile(const TransferState& s) {
    return s.LastResponse == kXfrCrcStart || s.LastResponse == kXfrStreamStart;
}

// The empty block 0 that ends a batch. When no file went out (all were
// empty) the receiver has not asked for anything yet, so its start byte is
// awaited first.
int EndBatch(Transfer& t, bool acknowledged) {
    if (!AskedForFile(t.state)) {
        const int r = WaitStart(t);
        if (r != 0) return r;
    }
    t.state.ErrorCount = 0;
    Block block;
    BuildBlockZero(t, block, std::string(), 0);
    int r = WriteBlock(t, block);
    if (r < 0) return r;
    // YMODEM-G's receiver answers only with ACK here and its "G"s are stray;
    // YMODEM's asks again with "C" when the block came damaged.
    return AwaitAck(t, block, acknowledged, acknowledged);
}

// ---- YMODEM-G stream --------------------------------------------------------

// The receiver's bytes while we stream. A YMODEM-G receiver only speaks up to
// stop us, so runs of 0x12 or of CAN end the stream; anything else (the "G"
// that answers block 0, line noise) is read and dropped so that it cannot be
// taken for the answer to EOT later.
struct StreamListener {
    int stopRun = 0;
    int cancelRun = 0;

    int Take(const uint8_t* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            stopRun = bytes[i] == kStreamStop ? stopRun + 1 : 0;
            cancelRun = bytes[i] == kCAN ? cancelRun + 1 : 0;
            if (stopRun >= 3 || cancelRun >= 2) return kXfrCancelReceived;
        }
        return 0;
    }

    // Reads what waits once `atLeast` bytes are there.
    int Drain(Transfer& t, uint32_t atLeast) {
        while (t.port.PortStatus.cbInQue >= atLeast && t.port.PortStatus.cbInQue > 0) {
            uint8_t bytes[16];
            const uint32_t waiting = t.port.PortStatus.cbInQue;
            const int want = waiting < sizeof bytes ? static_cast<int>(waiting) : static_cast<int>(sizeof bytes);
            const int got = ReadPort(t.port, bytes, want);
            if (got <= 0) break;
            const int r = Take(bytes, got);
            if (r < 0) return r;
            QueryPortStatus(t.port);
        }
        return 0;
    }
};

int StreamBlock(Transfer& t, const Block& block, StreamListener& listener) {
    const uint8_t* bytes = t.ReceiveBuffer();
    for (int i = 0; i < block.wireLength; ++i) {
        if (PollLine(t.port, t.modes) == kCarrierLost) return kXfrLostConnection;
        int r = listener.Drain(t, 3);
        if (r < 0) return r;
        r = ZWriteByte(t, bytes[i]);
        if (r < 0) return r;
    }
    return 0;
}

int StreamFile(Transfer& t, StreamListener& listener) {
    Block block;
    for (;;) {
        const Built built = BuildBlock(t, block, kSTX, kLongData, true);
        if (built == Built::EndOfFile) return 0;
        if (built != Built::Block) return BuildResultCode(built);
        const int r = StreamBlock(t, block, listener);
        if (r < 0) return r;
        t.state.BytesDone += block.fileBytes;
        UpdateProgress(t, 1);
    }
}

// EOT until the receiver takes it. XMODEM ends at the ACK; in a YMODEM batch
// the ACK is followed by the "C" that asks for the next file, which ends it.
int SendEot(Transfer& t, bool untilStart) {
    int r = ZWriteByte(t, kEOT);
    if (r < 0) return r;
    for (;;) {
        r = WaitResponse(t);
        if (r == kRespAck && !untilStart) return 0;
        if (r == kRespStart && untilStart) return 0;
        if (r == kRespAck || r == kRespStart) continue;
        if (r == kRespCan) return kXfrCancelReceived;
        if (r != kRespNak) return r;
        r = CountError(t, "NAK Received");
        if (r < 0) return r;
        r = ZWriteByte(t, kEOT);
        if (r < 0) return r;
    }
}

}  // namespace

int WaitResponse(Transfer& t) {
    TransferState& s = t.state;
    s.SendTimeoutFlag = 0;
    t.host.StartTimer(kTimerSendResponse, kSendResponseMs);
    for (;;) {
        const bool pumped = t.host.PumpMessage();
        // Timer 25's handler killed it and set TransferCancelled too: the
        // time-out is reported now and the next write ends the send.
        if (s.SendTimeoutFlag) return kXfrTimeout;
        if (s.TransferCancelled) {
            t.host.KillTimer(kTimerSendResponse);
            return kXfrUserCancelled;
        }
        if (!PortIsOpen(t.port) || PollLine(t.port, t.modes) == kCarrierLost) {
            t.host.KillTimer(kTimerSendResponse);
            return kXfrLostConnection;
        }
        uint8_t byte = 0;
        if (ReadPort(t.port, &byte, 1) != 1) {
            if (!pumped) t.host.Idle();
            continue;
        }
        s.LastResponse = byte;
        int result = 0;
        switch (byte) {
            case kXfrCrcStart:
            case kXfrStreamStart: result = kRespStart; break;
            case kNAK: result = kRespNak; break;
            case kACK: result = kRespAck; break;
            case kCAN: result = kRespCan; break;
            default: continue;
        }
        t.host.KillTimer(kTimerSendResponse);
        return result;
    }
}

int64_t SendableSize(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p(path);
    if (!std::filesystem::is_regular_file(p, ec)) return -1;
    const uintmax_t size = std::filesystem::file_size(p, ec);
    if (ec) return -1;
    if (size > static_cast<uintmax_t>(std::numeric_limits<int32_t>::max())) return -1;
    return static_cast<int64_t>(size);
}

int XmodemSend(Transfer& t) {
    TransferState& s = t.state;
    const bool oneK = s.ActiveProtocol == kProtoXmodem1k;
    const int length = oneK ? kLongData : kShortData;
    const uint8_t header = oneK ? kSTX : kSOH;

    // The receiver's start byte decides the check, whatever the chosen
    // protocol is called: "C" asks for CRC-16, NAK for the checksum.
    bool crc;
    if (s.LastResponse == kXfrCrcStart) {
        crc = true;
    } else if (s.LastResponse == kNAK) {
        crc = false;
    } else {
        const int r = WaitResponse(t);
        if (r == kRespCan) return kXfrCancelReceived;
        if (r != kRespStart && r != kRespNak) return r;
        crc = r == kRespStart;
    }

    s.ErrorCount = 0;
    int r = SendBlocksWithAck(t, header, length, crc);
    if (r != 0) return r;

    return SendEot(t, false);
}

int YmodemBatchSend(Transfer& t, const std::vector<std::string>& list) {
    TransferState& s = t.state;
    for (const std::string& path : list) {
        int r = StartFile(t, path);
        if (r == 1) continue;
        if (r != 0) return r;
        if (!Readable(path)) return kXfrFileOpenError;

        if (s.LastResponse != kXfrCrcStart) {
            r = WaitStart(t);
            if (r != 0) return r;
        }
        s.LastResponse = 0;

        Block block;
        BuildBlockZero(t, block, BaseName(path), s.DeclaredSize);
        r = WriteBlock(t, block);
        if (r < 0) return r;
        r = AwaitAck(t, block, true, true);
        if (r != 0) return r;

        // The data phase opens with the receiver's "C".
        r = WaitStart(t);
        if (r != 0) return r;
        r = SendBlocksWithAck(t, kSTX, kLongData, true);
        if (r != 0) return r;

        // EOT is acknowledged and followed by the "C" that asks for the next file.
        r = SendEot(t, true);
        if (r != 0) return r;
    }
    return EndBatch(t, true);
}

int YmodemGSend(Transfer& t, const std::vector<std::string>& list) {
    TransferState& s = t.state;
    for (const std::string& path : list) {
        int r = StartFile(t, path);
        if (r == 1) continue;
        if (r != 0) return r;

        if (s.LastResponse != kXfrStreamStart) {
            r = WaitStart(t);
            if (r != 0) return r;
        }
        s.LastResponse = 0;

        // Block 0 and the data go out as one stream; the receiver answers
        // block 0 with a "G" that the listener drops.
        StreamListener listener;
        Block block;
        BuildBlockZero(t, block, BaseName(path), s.DeclaredSize);
        r = StreamBlock(t, block, listener);
        if (r < 0) return r;
        r = StreamFile(t, listener);
        if (r != 0) return r;

        // Whatever the receiver said while we streamed is not its answer to EOT.
        QueryPortStatus(t.port);
        r = listener.Drain(t, 1);
        if (r < 0) return r;

        r = ZWriteByte(t, kEOT);
        if (r < 0) return r;
        for (;;) {
            r = WaitResponse(t);
            if (r == kRespStart) break;
            if (r == kRespAck) continue;
            if (r == kRespCan) return kXfrCancelReceived;
            if (r == kRespNak) {
                // A streamed file cannot be repaired: the receiver lost it.
                SendCancelBytes(t, 3);
                return kXfrCrcError;
            }
            return r;
        }
    }
    return EndBatch(t, false);
}

}  // namespace palvex
