#include "link_frame.h"

#include "crc16_xmodem.h"

#include <algorithm>
#include <array>

namespace panel_emulator {

namespace {

constexpr std::array<std::uint8_t, 3> kStart{0xAA, 0x16, 0x30};
constexpr std::size_t kHeaderSize = 4;  // start bytes and length
constexpr std::size_t kCrcSize = 2;

}  // namespace

std::vector<std::uint8_t> encodeLinkFrame(std::uint8_t length, const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> frame(kStart.begin(), kStart.end());
    frame.push_back(length);
    frame.insert(frame.end(), body.begin(), body.end());
    std::uint16_t crc = crc16Xmodem(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return frame;
}

std::vector<std::uint8_t> encodeLinkFrame(std::uint8_t command, std::initializer_list<std::uint8_t> payload) {
    std::vector<std::uint8_t> body{command};
    body.insert(body.end(), payload.begin(), payload.end());
    return encodeLinkFrame(static_cast<std::uint8_t>(body.size()), body);
}

void LinkFrameReader::feed(const std::uint8_t* bytes, std::size_t count) {
    pending_.insert(pending_.end(), bytes, bytes + count);
}

std::size_t LinkFrameReader::takeDroppedCount() {
    std::size_t dropped = dropped_;
    dropped_ = 0;
    return dropped;
}

std::optional<LinkFrame> LinkFrameReader::next() {
    auto start = std::search(pending_.begin(), pending_.end(), kStart.begin(), kStart.end());
    // Keep a possible partial start at the tail until more bytes come.
    if (start == pending_.end()) {
        std::size_t keep = std::min<std::size_t>(pending_.size(), kStart.size() - 1);
        while (keep > 0 &&
               !std::equal(pending_.end() - static_cast<std::ptrdiff_t>(keep), pending_.end(), kStart.begin())) {
            --keep;
        }
        dropped_ += pending_.size() - keep;
        pending_.erase(pending_.begin(), pending_.end() - static_cast<std::ptrdiff_t>(keep));
        return std::nullopt;
    }
    dropped_ += static_cast<std::size_t>(start - pending_.begin());
    pending_.erase(pending_.begin(), start);
    if (pending_.size() < kHeaderSize) return std::nullopt;
    std::uint8_t length = pending_[3];
    std::size_t total = kHeaderSize + length + kCrcSize;
    if (pending_.size() < total) return std::nullopt;

    LinkFrame frame;
    frame.length = length;
    if (length > 0) {
        frame.command = pending_[4];
        frame.payload.assign(
            pending_.begin() + 5, pending_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + length));
    }
    std::uint16_t crc = crc16Xmodem(pending_.data(), kHeaderSize + length);
    std::uint16_t sent = static_cast<std::uint16_t>((pending_[total - 2] << 8) | pending_[total - 1]);
    frame.crcValid = crc == sent;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(total));
    return frame;
}

}  // namespace panel_emulator
