#include "transfer/crc.h"

#include <array>

namespace palvex {

namespace {

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
    std::array<uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        t[i] = static_cast<uint16_t>(crc);
    }
    return t;
}

constexpr std::array<uint32_t, 256> MakeCrc32Table() {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        t[i] = crc;
    }
    return t;
}

constexpr auto kCrc16Table = MakeCrc16Table();
constexpr auto kCrc32Table = MakeCrc32Table();
static_assert(kCrc16Table[1] == 0x1021 && kCrc16Table[2] == 0x2042);
static_assert(kCrc32Table[1] == 0x77073096u);

}  // namespace

uint16_t UpdateCrc16(uint8_t byte, uint16_t crc) {
    return static_cast<uint16_t>(kCrc16Table[crc >> 8] ^ (crc << 8) ^ byte);
}

uint32_t UpdateCrc32(uint8_t byte, uint32_t crc) {
    return kCrc32Table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

uint16_t Crc16Block(const uint8_t* bytes, std::size_t length) {
    unsigned crc = 0;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= static_cast<unsigned>(bytes[i]) << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        crc &= 0xFFFF;
    }
    return static_cast<uint16_t>(((crc & 0xFF) << 8) | (crc >> 8));
}

uint8_t Checksum8(const uint8_t* bytes, std::size_t length) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; ++i) sum += bytes[i];
    return static_cast<uint8_t>(sum);
}

}  // namespace palvex
