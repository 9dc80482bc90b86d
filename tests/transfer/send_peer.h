// A scripted X/YMODEM receiver for the sender tests. It sits on the FakePort's
// write side, cuts what the sender writes into frames (SOH/STX blocks of the
// length its check mode gives, EOT, and loose bytes such as CAN), answers
// each frame as its script says, and can put the answer off until the sender
// next finds the line empty, as a receiver at the end of a real line would.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "transfer/crc.h"
#include "transfer_fixture.h"

namespace palvex::testing {

struct PeerFrame {
    std::string bytes;  // the whole frame, header first
    bool IsEot() const { return bytes == "\x04"; }
    bool IsBlock() const { return bytes.size() > 3; }
    uint8_t Header() const { return static_cast<uint8_t>(bytes[0]); }
    uint8_t Number() const { return static_cast<uint8_t>(bytes[1]); }
    uint8_t Complement() const { return static_cast<uint8_t>(bytes[2]); }
    std::size_t DataLength() const { return Header() == 0x02 ? 1024 : 128; }
    std::string Data() const { return bytes.substr(3, DataLength()); }
    std::string Check() const { return bytes.substr(3 + DataLength()); }
};

class ScriptedReceiver {
public:
    enum Kind { Xmodem, Ymodem, YmodemG };

    // `crc`: the frames carry two CRC bytes (else one checksum byte).
    ScriptedReceiver(TransferRig& rig, Kind kind, bool crc) : kind_(kind), crc_(crc) {
        rig.fake.onWrite = [this](FakePort& port, const uint8_t* bytes, int count) {
            for (int i = 0; i < count; ++i) Take(port, bytes[i]);
        };
        rig.fake.onEmptyRead = [this](FakePort& port) { Flush(port); };
    }

    // The answer to frame number `index` (0-based, in the order received);
    // the default plays a well-behaved receiver of the kind.
    std::function<std::string(const PeerFrame& frame, int index)> answer;
    // Answers wait until the sender finds the line empty.
    bool lazy = false;

    std::vector<PeerFrame> frames;
    std::string loose;    // bytes outside frames (CANs)
    // Frames begun while an earlier answer still waited unread, where the
    // sender should have had it (every frame; YMODEM-G: after EOT only).
    int talkedOver = 0;

    std::string DefaultAnswer(const PeerFrame& f) const {
        const std::string ack(1, '\x06');
        if (f.IsEot()) {
            if (kind_ == Xmodem) return ack;
            return ack + (kind_ == Ymodem ? "C" : "G");
        }
        // Our YMODEM data blocks are all STX, so an SOH block 0 is a file's block 0.
        const bool blockZero = kind_ != Xmodem && f.Number() == 0 && f.Header() == 0x01;
        if (blockZero) {
            if (f.Data()[0] == '\0') return ack;  // the end of the batch
            return kind_ == Ymodem ? ack + "C" : "G";
        }
        return kind_ == YmodemG ? "" : ack;
    }

    // Data of the blocks in order as a receiver stores it: repeats of the
    // block just taken and YMODEM's block 0 left out, the padding kept.
    std::string DataBlocks() const {
        std::string out;
        const PeerFrame* last = nullptr;
        for (const PeerFrame& f : frames) {
            if (!f.IsBlock() || (kind_ != Xmodem && f.Header() == 0x01 && f.Number() == 0)) {
                last = nullptr;
                continue;
            }
            if (last == nullptr || last->Number() != f.Number()) out += f.Data();
            last = &f;
        }
        return out;
    }

    // True when every block carries a good complement and check.
    bool ChecksGood() const {
        for (const PeerFrame& f : frames)
            if (f.IsBlock() && (f.Complement() != static_cast<uint8_t>(~f.Number()) || f.Check() != CheckOf(f.Data())))
                return false;
        return true;
    }

    std::string CheckOf(const std::string& data) const {
        const auto* p = reinterpret_cast<const uint8_t*>(data.data());
        const int n = static_cast<int>(data.size());
        if (!crc_) return std::string(1, static_cast<char>(Checksum8(p, n)));
        const uint16_t swapped = Crc16Block(p, n);
        return {static_cast<char>(swapped & 0xFF), static_cast<char>(swapped >> 8)};
    }

private:
    void Flush(FakePort& port) {
        if (!delayed_.empty()) port.QueueInput(delayed_);
        delayed_.clear();
    }

    void Take(FakePort& port, uint8_t byte) {
        const bool frameStart = pending_.empty() && (byte == 0x01 || byte == 0x02 || byte == 0x04);
        if (frameStart && !frames.empty() && (kind_ != YmodemG || frames.back().IsEot()) &&
            (!delayed_.empty() || !port.input.empty()))
            ++talkedOver;
        // A lazy answer is on the line one byte later.
        Flush(port);
        if (pending_.empty()) {
            if (byte == 0x04) {
                Complete(port, std::string(1, '\x04'));
            } else if (byte == 0x01 || byte == 0x02) {
                pending_.push_back(static_cast<char>(byte));
            } else {
                loose.push_back(static_cast<char>(byte));
            }
            return;
        }
        pending_.push_back(static_cast<char>(byte));
        const std::size_t data = static_cast<uint8_t>(pending_[0]) == 0x02 ? 1024 : 128;
        // Block 0 is always sent with a CRC, whatever the data blocks use.
        const bool zero = kind_ != Xmodem && static_cast<uint8_t>(pending_[0]) == 0x01;
        const std::size_t whole = 3 + data + ((crc_ || zero) ? 2 : 1);
        if (pending_.size() == whole) {
            std::string frame;
            frame.swap(pending_);
            Complete(port, frame);
        }
    }

    void Complete(FakePort& port, const std::string& bytes) {
        frames.push_back(PeerFrame{bytes});
        const int index = static_cast<int>(frames.size()) - 1;
        const std::string reply = answer ? answer(frames.back(), index) : DefaultAnswer(frames.back());
        if (lazy) delayed_ += reply;
        else port.QueueInput(reply);
    }

    Kind kind_;
    bool crc_;
    std::string pending_;
    std::string delayed_;  // an answer not yet on the line
};

}  // namespace palvex::testing
