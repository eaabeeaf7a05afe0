// CRC-16 with polynomial 0x1021, MSB first, initial 0, no final xor, computed
// with a 256-entry table built at compile time (one lookup per byte).
#pragma once

#include <cstddef>
#include <cstdint>

namespace panel_emulator {

std::uint16_t crc16Xmodem(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc = 0);

}  // namespace panel_emulator
