// The check values of the transfer protocols: CRC-16/XMODEM (table and bitwise
// forms), CRC-32 (IEEE 802.3) and the 8-bit sum.
#pragma once

#include <cstddef>
#include <cstdint>

namespace palvex {

// table[crc >> 8] ^ (crc << 8) ^ byte: the message byte enters after the table
// step, so a sender finishes by feeding two zero bytes, and a receiver that
// runs the two received CRC bytes through it gets 0 for a good frame.
uint16_t UpdateCrc16(uint8_t byte, uint16_t crc);
// table[(crc ^ byte) & 0xFF] ^ (crc >> 8). Start at 0xFFFFFFFF and send the
// complement; a good frame run with its CRC leaves 0xDEBB20E3.
uint32_t UpdateCrc32(uint8_t byte, uint32_t crc);
inline constexpr uint32_t kCrc32Residue = 0xDEBB20E3u;
// CRC-16/XMODEM of a block, with its two bytes swapped: stored little-endian
// it puts the high byte first, as XMODEM sends it.
uint16_t Crc16Block(const uint8_t* bytes, std::size_t length);
// Sum of the bytes modulo 256.
uint8_t Checksum8(const uint8_t* bytes, std::size_t length);

}  // namespace palvex
