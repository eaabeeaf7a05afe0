// Frames of the firmware's USB link: AA 16 30, length L, command, L-1 payload
// bytes, then a CRC-16 (high byte first) over every byte before it.
// The reader hunts for the start bytes, drops what precedes them, and hands
// out complete frames with the result of the CRC check.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace panel_emulator {

struct LinkFrame {
    std::uint8_t length = 0;
    std::uint8_t command = 0;  // absent when length is 0; then 0
    std::vector<std::uint8_t> payload;
    bool crcValid = false;
};

// A whole frame: start bytes, length byte, then body (command and payload), CRC.
std::vector<std::uint8_t> encodeLinkFrame(std::uint8_t length, const std::vector<std::uint8_t>& body);
std::vector<std::uint8_t> encodeLinkFrame(std::uint8_t command, std::initializer_list<std::uint8_t> payload);

class LinkFrameReader {
public:
    void feed(const std::uint8_t* bytes, std::size_t count);
    std::optional<LinkFrame> next();
    void reset() { pending_.clear(); }
    // Bytes dropped while looking for a start of frame, since the last call.
    std::size_t takeDroppedCount();

private:
    std::vector<std::uint8_t> pending_;
    std::size_t dropped_ = 0;
};

}  // namespace panel_emulator
