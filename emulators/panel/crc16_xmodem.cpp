#include "crc16_xmodem.h"

#include <array>

namespace panel_emulator {

namespace {

constexpr std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned top = 0; top < 256; ++top) {
        std::uint16_t value = static_cast<std::uint16_t>(top << 8);
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 0x8000) ? static_cast<std::uint16_t>((value << 1) ^ 0x1021)
                                     : static_cast<std::uint16_t>(value << 1);
        }
        table[top] = value;
    }
    return table;
}

constexpr auto kTable = makeTable();

}  // namespace

std::uint16_t crc16Xmodem(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc) {
    for (std::size_t i = 0; i < count; ++i) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ kTable[((crc >> 8) ^ bytes[i]) & 0xFF]);
    }
    return crc;
}

}  // namespace panel_emulator
