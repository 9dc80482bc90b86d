#include "transfer/xymodem_receive.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "shell/dialog_ids.h"
#include "transfer/crc.h"
#include "transfer/framework.h"

namespace palvex {

namespace {

constexpr int kShortBlock = 128;
constexpr int kLongBlock = 1024;
constexpr int kChecksumFrame = 3 + kShortBlock + 1;  // 132
constexpr int kShortFrame = 3 + kShortBlock + 2;     // 133
constexpr int kLongFrame = 3 + kLongBlock + 2;       // 1029

bool UsesLongBlocks(int protocol) {
    return protocol == kProtoXmodem1k || protocol == kProtoYmodemBatch || protocol == kProtoYmodemG;
}

// The CRC-16 travels high byte first after the data.
bool CrcMatches(const uint8_t* data, int length) {
    const uint16_t swapped = Crc16Block(data, static_cast<std::size_t>(length));
    return data[length] == (swapped & 0xFF) && data[length + 1] == (swapped >> 8);
}

// Appends a checked block to the file and counts it (the padding of a short
// last block stays: the sender's declared length does not trim it).
int StoreBlock(Transfer& t, const uint8_t* data, int length) {
    TransferState& s = t.state;
    s.BytesDone += length;
    UpdateProgress(t, 0);

    std::FILE* file = std::fopen(s.ReceivePath.c_str(), "r+b");
    if (file == nullptr) return kXfrFileOpenError;
    bool ok = std::fseek(file, 0, SEEK_END) == 0 &&
              std::fwrite(data, 1, static_cast<std::size_t>(length), file) == static_cast<std::size_t>(length);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) return kXfrWriteError;

    if (s.ViewerActive && s.BytesDone % 1024 == 0) ViewerNotify(t);
    return 0;
}

// The data length a header stands for under `protocol`; 0 when the header
// is not allowed there.
int DataLength(int protocol, uint8_t header) {
    if (!UsesLongBlocks(protocol)) return kShortBlock;
    if (header == kSOH) return kShortBlock;
    if (header == kSTX) return kLongBlock;
    return 0;
}

// Reads a decimal length from the file information of block 0 ("%ld", the
// time and mode that follow are not used). -1 when there is none.
long long DeclaredLength(const uint8_t* data, int nameEnd) {
    char info[kShortBlock + 1] = {};
    const int start = nameEnd + 1;
    if (start >= kShortBlock) return -1;
    std::memcpy(info, data + start, static_cast<std::size_t>(kShortBlock - start));
    const char* p = info;
    while (*p == ' ') ++p;
    if (*p < '0' || *p > '9') return -1;
    char* end = nullptr;
    const long long value = std::strtoll(p, &end, 10);
    if (end == p) return -1;
    return value;
}

// The steps of the four acknowledged block protocols share one collector.
int CollectBlock(Transfer& t) {
    TransferState& s = t.state;
    uint8_t* buffer = t.ReceiveBuffer();
    const int protocol = s.ActiveProtocol;

    if (s.BlockFill == 0) {
        const int start = WaitBlockStart(t);
        if (start == -1) return kXfrNothing;
        if (start < 0) return start;
    }

    if (buffer[0] == kEOT) {
        s.BlockFill = 0;
        // A lone EOT may be a hit on the line: a block whose header was
        // damaged is skipped up to the first start character in its data,
        // and 0x04 is as likely as any byte there. Taking it would end the
        // file early and call it done. The first EOT is refused; a sender
        // that has finished repeats it at once, straight after our NAK,
        // while a damaged block comes again. An EOT that follows skipped
        // bytes is the rest of that damaged block, never the repeat.
        if (!s.EotPending || s.SkippedBytes != 0) {
            s.EotPending = 1;
            s.SkippedBytes = 0;
            SendControl(t, kNAK);
            return kXfrNothing;
        }
        s.EotPending = 0;
        if (protocol != kProtoXmodem1k) s.ExpectedBlock = 0;
        SendControl(t, kACK);
        if (protocol == kProtoYmodemBatch) {
            SendControl(t, kXfrCrcStart);
            return kXfrFileComplete;
        }
        return kXfrComplete;
    }

    const int room = kReceiveBufferSize - s.BlockFill;
    const int got = room > 0 ? ReadPort(t.port, buffer + s.BlockFill, room) : 0;
    if (got == 0) {
        if (PollLine(t.port, t.modes) == kCarrierLost) return kCarrierLost;
        // A full buffer that holds no block can only be refused: waiting for
        // the idle timer would never end while the sender keeps the queue
        // non-empty.
        if (s.BlockFill >= kReceiveBufferSize) return kXfrBadPacket;
        return kXfrNothing;
    }
    s.BlockFill += got;

    int whole;
    if (protocol == kProtoXmodemChecksum) {
        whole = kChecksumFrame;
    } else if (protocol == kProtoXmodemCrc) {
        whole = kShortFrame;
    } else if (buffer[0] == kSOH) {
        whole = kShortFrame;
    } else if (buffer[0] == kSTX) {
        whole = kLongFrame;
    } else {
        return kXfrBadPacket;
    }
    // More than one block's bytes at once is not taken; the idle timer NAKs it.
    if (s.BlockFill != whole) return kXfrNothing;

    s.BlockFill = 0;
    s.EotPending = 0;
    if (protocol == kProtoYmodemBatch && s.FirstBlockDone == 0) return AcceptBlockZero(t);
    return AcceptBlock(t);
}

// A streamed YMODEM-G data block: checked and stored, never answered.
int AcceptStreamedBlock(Transfer& t) {
    TransferState& s = t.state;
    const uint8_t* buffer = t.ReceiveBuffer();
    const uint8_t header = buffer[0];
    const uint8_t number = buffer[1];
    if (buffer[2] != static_cast<uint8_t>(~number)) return kXfrBadSequence;
    const int length = DataLength(kProtoYmodemG, header);
    if (length == 0) return kXfrBadPacket;
    if (number != s.ExpectedBlock) return kXfrBadSequence;
    if (!CrcMatches(buffer + 3, length)) return kXfrCrcError;
    const int stored = StoreBlock(t, buffer + 3, length);
    if (stored < 0) return stored;
    ++s.ExpectedBlock;
    return kXfrNothing;
}

}  // namespace

int XmodemChecksumStep(Transfer& t) { return CollectBlock(t); }
int XmodemCrcStep(Transfer& t) { return CollectBlock(t); }
int Xmodem1kStep(Transfer& t) { return CollectBlock(t); }
int YmodemBatchStep(Transfer& t) { return CollectBlock(t); }

int YmodemGStep(Transfer& t) {
    TransferState& s = t.state;
    uint8_t* buffer = t.ReceiveBuffer();

    QueryPortStatus(t.port);
    const uint32_t waiting = t.port.PortStatus.cbInQue;
    uint32_t taken = 0;
    int result = kXfrNothing;

    for (;;) {
        if (s.BlockFill == 0) {
            uint8_t header = 0;
            if (ReadPort(t.port, &header, 1) == 0) {
                if (PollLine(t.port, t.modes) == kCarrierLost) return kCarrierLost;
                return result;
            }
            ++taken;
            buffer[0] = header;
            s.BlockFill = 1;
        }

        int whole;
        switch (buffer[0]) {
            case kSTX: whole = kLongFrame; break;
            case kSOH: whole = kShortFrame; break;
            case kEOT:
                s.BlockFill = 0;
                SendControl(t, kACK);
                SendControl(t, kXfrStreamStart);
                return kXfrFileComplete;
            default: s.BlockFill = 0; return kXfrBadChar;
        }

        const int got = ReadPort(t.port, buffer + s.BlockFill, whole - s.BlockFill);
        if (got == 0) {
            if (PollLine(t.port, t.modes) == kCarrierLost) return kCarrierLost;
            return result;
        }
        s.BlockFill += got;
        taken += static_cast<uint32_t>(got);

        if (s.BlockFill == whole) {
            s.BlockFill = 0;
            result = s.FirstBlockDone ? AcceptStreamedBlock(t) : AcceptBlockZero(t);
            if (result < 0) return result;
        }
        if (taken >= waiting) return result;
    }
}

ReceiveStep BlockReceiveStep(int protocol) {
    switch (protocol) {
        case kProtoXmodemChecksum: return XmodemChecksumStep;
        case kProtoXmodemCrc: return XmodemCrcStep;
        case kProtoXmodem1k: return Xmodem1kStep;
        case kProtoYmodemBatch: return YmodemBatchStep;
        case kProtoYmodemG: return YmodemGStep;
        default: return nullptr;
    }
}

int AcceptBlock(Transfer& t) {
    TransferState& s = t.state;
    const uint8_t* buffer = t.ReceiveBuffer();
    const int protocol = s.ActiveProtocol;
    const uint8_t header = buffer[0];
    const uint8_t number = buffer[1];

    if (buffer[2] != static_cast<uint8_t>(~number)) return kXfrBadSequence;
    if (!UsesLongBlocks(protocol) && s.FirstBlockDone == 0 && header != kSOH) return kXfrBadPacket;

    // The sender missed our ACK and sent the block we stored last (the
    // number wraps from 255 to 0 like the counter).
    if (number == static_cast<uint8_t>(s.ExpectedBlock - 1)) {
        SendControl(t, kACK);
        s.ErrorCount = 0;
        return kXfrBlockAccepted;
    }
    if (number != s.ExpectedBlock) return kXfrBadSequence;

    const int length = DataLength(protocol, header);
    if (length == 0) return kXfrBadPacket;
    const uint8_t* data = buffer + 3;
    if (protocol == kProtoXmodemChecksum) {
        if (data[length] != Checksum8(data, static_cast<std::size_t>(length))) return kXfrCrcError;
    } else if (!CrcMatches(data, length)) {
        return kXfrCrcError;
    }

    const int stored = StoreBlock(t, data, length);
    if (stored < 0) return stored;

    SendControl(t, kACK);
    s.ErrorCount = 0;
    s.FirstBlockDone = 1;
    ++s.ExpectedBlock;
    return kXfrBlockAccepted;
}

int AcceptBlockZero(Transfer& t) {
    TransferState& s = t.state;
    const uint8_t* buffer = t.ReceiveBuffer();
    const uint8_t number = buffer[1];
    const uint8_t* data = buffer + 3;

    if (buffer[2] != static_cast<uint8_t>(~number)) return kXfrBadSequence;
    if (buffer[0] != kSOH) return kXfrBadPacket;
    if (number != s.ExpectedBlock) return kXfrBadSequence;

    // An empty name closes the batch.
    if (data[0] == 0) {
        SendControl(t, kACK);
        return kXfrComplete;
    }

    const void* nul = std::memchr(data, 0, kShortBlock);
    const int nameEnd = nul ? static_cast<int>(static_cast<const uint8_t*>(nul) - data) : kShortBlock;
    const std::string name = SafeReceivedName(std::string(reinterpret_cast<const char*>(data), nameEnd));
    s.ReceivePath = DownloadPath(t.service, name);

    const long long length = DeclaredLength(data, nameEnd);
    s.DeclaredSize = length > 0 && length <= std::numeric_limits<int32_t>::max() ? static_cast<int32_t>(length) : 0;
    t.host.SetField(dlg::kXfrFileSize, length > 0 ? std::to_string(length) : std::string("Unknown"));

    if (!CrcMatches(data, kShortBlock)) return kXfrCrcError;

    if (IsViewerPicture(s.ReceivePath) && t.service.RealtimeView) {
        s.ViewerActive = 1;
        LaunchViewer(t);
    } else {
        s.ViewerActive = 0;
    }

    t.host.SetField(dlg::kXfrFileName, name);
    if (t.service.KeepBackup) BackupExisting(s.ReceivePath);

    std::FILE* file = std::fopen(s.ReceivePath.c_str(), "wb");
    if (file == nullptr) return kXfrFileOpenError;
    std::fclose(file);

    s.FirstBlockDone = 1;
    if (s.ActiveProtocol == kProtoYmodemG) {
        SendControl(t, kXfrStreamStart);
    } else {
        SendControl(t, kACK);
        SendControl(t, kXfrCrcStart);
    }
    UpdateProgress(t, 0);
    ++s.ExpectedBlock;
    return kXfrBlockAccepted;
}

}  // namespace palvex
