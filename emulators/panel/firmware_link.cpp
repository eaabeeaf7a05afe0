#include "firmware_link.h"

namespace panel_emulator {

namespace {

constexpr unsigned kBlockCount = 128;
constexpr unsigned kChunksPerBlock = 8;
constexpr std::size_t kChunkSize = 32;

bool frameIs(const LinkFrame& frame, std::uint8_t command, const std::vector<std::uint8_t>& payload) {
    return frame.length >= 1 && frame.command == command && frame.payload == payload;
}

}  // namespace

void FirmwareLink::lineOpened() {
    if (stage_ == Stage::Finished) return;
    stage_ = Stage::Open;
    block_ = 0;
    chunk_ = 0;
    received_.clear();
}

bool FirmwareLink::isExpected(const LinkFrame& frame) const {
    switch (stage_) {
    case Stage::Open: return frameIs(frame, 0x61, {});
    case Stage::Second: return frameIs(frame, 0x1F, {});
    case Stage::Prepare: return frameIs(frame, 0x70, {0x41, 0x07, 0x07});
    case Stage::BlockOpen: return frameIs(frame, 0x70, {0x01});
    case Stage::Chunk: return frame.length == 1 + kChunkSize && frame.command == 0x71;
    case Stage::BlockClose: return frameIs(frame, 0x70, {0x42, 0x07, static_cast<std::uint8_t>(block_)});
    case Stage::Final: return frameIs(frame, 0x99, {});
    case Stage::Finished: return false;
    }
    return false;
}

void FirmwareLink::advance(const LinkFrame& frame) {
    switch (stage_) {
    case Stage::Open: stage_ = Stage::Second; break;
    case Stage::Second: stage_ = Stage::Prepare; break;
    case Stage::Prepare: stage_ = Stage::BlockOpen; break;
    case Stage::BlockOpen:
        stage_ = Stage::Chunk;
        chunk_ = 0;
        break;
    case Stage::Chunk:
        received_.insert(received_.end(), frame.payload.begin(), frame.payload.end());
        if (++chunk_ == kChunksPerBlock) stage_ = Stage::BlockClose;
        break;
    case Stage::BlockClose: stage_ = ++block_ == kBlockCount ? Stage::Final : Stage::BlockOpen; break;
    case Stage::Final: stage_ = Stage::Finished; break;
    case Stage::Finished: break;
    }
}

LinkVerdict FirmwareLink::handle(const LinkFrame& frame) {
    if (!frame.crcValid) return {kLinkRejected, "bad CRC"};
    if (!isExpected(frame)) {
        return {kLinkRejected, "frame " + std::to_string(frame.command) + " out of order (block " +
                                   std::to_string(block_) + ", chunk " + std::to_string(chunk_) + ")"};
    }
    bool opening = stage_ == Stage::Open;
    advance(frame);
    if (stage_ == Stage::Finished) return {std::nullopt, {}};
    return {opening ? kLinkOpened : kLinkAccepted, {}};
}

std::vector<std::uint8_t> FirmwareLink::extension() const { return received_; }

}  // namespace panel_emulator
