// Cutting the bootloader's byte stream into frames. A frame has no marker or
// length field: its command byte alone says how long it is. An unknown command
// byte is taken as a two-byte frame (command, sequence) so it can be refused
// with a reply that echoes both.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace panel_emulator {

namespace boot_command {
constexpr std::uint8_t kSync = 0x00;
constexpr std::uint8_t kIdentify = 0x01;
constexpr std::uint8_t kData = 0x06;
constexpr std::uint8_t kErase = 0x0A;
constexpr std::uint8_t kWrite = 0x0B;
}  // namespace boot_command

constexpr std::size_t kDataPayloadSize = 60;
constexpr unsigned kPacketsPerPage = 69;

struct BootFrame {
    std::vector<std::uint8_t> bytes;
    std::uint8_t command() const { return bytes[0]; }
    std::uint8_t sequence() const { return bytes[1]; }
    bool knownCommand() const;
};

class BootFrameAssembler {
public:
    void feed(const std::uint8_t* bytes, std::size_t count);
    std::optional<BootFrame> next();
    void reset() { pending_.clear(); }

private:
    std::vector<std::uint8_t> pending_;
};

}  // namespace panel_emulator
