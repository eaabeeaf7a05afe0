#include "boot_frame.h"

namespace panel_emulator {

namespace {

std::optional<std::size_t> frameLength(std::uint8_t command) {
    switch (command) {
    case boot_command::kSync:
    case boot_command::kIdentify: return 2;
    case boot_command::kData: return 3 + kDataPayloadSize;
    case boot_command::kErase: return 3;
    case boot_command::kWrite: return 4;
    default: return std::nullopt;
    }
}

}  // namespace

bool BootFrame::knownCommand() const { return frameLength(command()).has_value(); }

void BootFrameAssembler::feed(const std::uint8_t* bytes, std::size_t count) {
    pending_.insert(pending_.end(), bytes, bytes + count);
}

std::optional<BootFrame> BootFrameAssembler::next() {
    if (pending_.empty()) return std::nullopt;
    std::size_t length = frameLength(pending_[0]).value_or(2);
    if (pending_.size() < length) return std::nullopt;
    BootFrame frame{
        std::vector<std::uint8_t>(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length))};
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
    return frame;
}

}  // namespace panel_emulator
