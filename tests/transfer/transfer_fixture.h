// One transfer without a window system, for the tests of every protocol: a
// port opened over a scripted FakePort, the pump and terminal records, the
// built-in default service, the transfer state and a native host on a
// stepping clock (one millisecond per pumped message, so a 27-second silence
// costs no real time), plus a temporary folder that goes with the rig.
// Also: builders of XMODEM/YMODEM frames.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "comm/fake_port.h"
#include "comm/port.h"
#include "comm/session.h"
#include "phonebook/service_entry.h"
#include "platform/native_loop.h"
#include "support/scratch_dir.h"
#include "transfer/crc.h"
#include "transfer/native_host.h"
#include "transfer/transfer_state.h"

namespace palvex::testing {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct TransferRig {
    FakePort fake;
    PortState port;
    std::unique_ptr<PumpState> pumpOwned = std::make_unique<PumpState>();
    PumpState& pump = *pumpOwned;
    TerminalModes modes;
    ServiceEntry service = DefaultServiceEntry();
    TransferState state;
    SteppingLoop loop;
    NativeTransferHost host{loop};
    Transfer t{state, service, port, pump, modes, host};
    ScratchDir dir{"palvex-xfer-"};

    // The service receives with `protocol` into the rig's folder; the viewer
    // is off. Nothing has been written yet.
    explicit TransferRig(int protocol = kProtoXmodemCrc) {
        port.handle = &fake;
        OpenPort(port, "COM1:", kPortQueueSize, kPortQueueSize);
        port.PortOpen = 1;
        service.Protocol = static_cast<int16_t>(protocol);
        service.RealtimeView = 0;
        std::strncpy(service.DownloadDir, dir.path().string().c_str(), sizeof service.DownloadDir - 1);
        state.ActiveProtocol = protocol;
        host.transfer = &t;
        fake.written.clear();
    }

    void Feed(std::string_view bytes) { fake.QueueInput(bytes); }
    std::string Written() const { return fake.WrittenText(); }
    // The carrier was there and is gone: the next line poll reports -16.
    void LoseCarrier() {
        port.CarrierSeen = 1;
        fake.SetCarrier(false);
    }
};

inline std::string Bytes(std::initializer_list<uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

enum class Check { Sum, Crc };

// SOH (128 data bytes) or STX (1024), `data` padded with SUB (0x1A).
inline std::string Frame(uint8_t header, uint8_t number, std::string_view data, Check check = Check::Crc) {
    const std::size_t size = header == kSTX ? 1024 : 128;
    std::string payload(data.substr(0, size));
    payload.resize(size, '\x1A');
    const auto* bytes = reinterpret_cast<const uint8_t*>(payload.data());
    std::string frame = Bytes({header, number, static_cast<uint8_t>(~number)}) + payload;
    if (check == Check::Sum) return frame + Bytes({Checksum8(bytes, size)});
    const uint16_t swapped = Crc16Block(bytes, size);
    return frame + Bytes({static_cast<uint8_t>(swapped & 0xFF), static_cast<uint8_t>(swapped >> 8)});
}

// YMODEM block 0: the name, a NUL, the file information, zero padding.
inline std::string BlockZero(std::string_view name, std::string_view info = "") {
    std::string data(name);
    data.push_back('\0');
    data += info;
    data.resize(128, '\0');
    return Frame(kSOH, 0, data);
}

}  // namespace palvex::testing
