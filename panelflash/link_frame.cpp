// A LinkFrame is AA 16 30, a length byte L, the command, L-1 payload bytes and
// a CRC-16 over everything before it, high byte first. The payload depends on
// the command and, for the block command, on the transfer step the frame is
// sent in.
#include "link_frame.h"

#include <cstring>

#include "panel_protocol.h"

namespace {

constexpr uint8_t kStartBytes[] = {0xAA, 0x16, 0x30};
constexpr uint32_t kLengthOffset = 3;
constexpr uint32_t kCommandOffset = 4;
constexpr uint32_t kPayloadOffset = 5;
constexpr uint32_t kChunkSize = 32;
constexpr uint32_t kBlockSize = 256;

// Writes the payload of `command` at `payload`; returns its length.
uint32_t writePayload(const PanelSession& session, uint8_t command, uint8_t* payload) {
    if (command == kChunkCommand) {
        const uint8_t* chunk =
            session.image + kExtensionOffset + session.blockIndex * kBlockSize + session.chunkIndex * kChunkSize;
        std::memcpy(payload, chunk, kChunkSize);
        return kChunkSize;
    }
    if (command != kBlockCommand) {
        return 0;
    }
    switch (session.step) {
    case kBeforeBlocksStep:
        payload[0] = 0x41;
        payload[1] = 0x07;
        payload[2] = 0x07;
        return 3;
    case kOpenBlockStep: payload[0] = 0x01; return 1;
    case kCloseBlockStep:
        payload[0] = 0x42;
        payload[1] = 0x07;
        payload[2] = static_cast<uint8_t>(session.blockIndex);
        return 3;
    default: return 0;
    }
}

}  // namespace

uint16_t crc16Update(uint16_t crc, uint8_t byte) {
    uint8_t x = static_cast<uint8_t>((crc >> 8) ^ byte);
    x = static_cast<uint8_t>(x ^ (x >> 4));
    return static_cast<uint16_t>((crc << 8) ^ (x << 12) ^ (x << 5) ^ x);
}

uint8_t buildLinkFrame(const PanelSession& session, uint8_t command, uint8_t* frame) {
    std::memcpy(frame, kStartBytes, sizeof kStartBytes);
    frame[kCommandOffset] = command;
    uint32_t length = 1 + writePayload(session, command, frame + kPayloadOffset);
    frame[kLengthOffset] = static_cast<uint8_t>(length);

    uint32_t crcOffset = kCommandOffset + length;
    uint16_t crc = 0;
    for (uint32_t i = 0; i < crcOffset; ++i) {
        crc = crc16Update(crc, frame[i]);
    }
    frame[crcOffset] = static_cast<uint8_t>(crc >> 8);
    frame[crcOffset + 1] = static_cast<uint8_t>(crc);
    return static_cast<uint8_t>(length + 6);
}
