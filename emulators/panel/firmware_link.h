// The panel's running firmware on its USB link, receiving the 32 KiB
// extension. It accepts frames only in the transfer's order: 0x61; 0x1F;
// 0x70 41 07 07; then per block b of 128: 0x70 01, eight 0x71 chunks of 32
// bytes, 0x70 42 07 b; then 0x99. Each frame but 0x99 gets a status (0x0F
// after 0x61, 0x10 otherwise); a frame out of order or with a bad CRC gets
// 0xEE and changes nothing. 0x99 is taken without an answer.
#pragma once

#include "link_frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_emulator {

constexpr std::uint8_t kLinkOpened = 0x0F;
constexpr std::uint8_t kLinkAccepted = 0x10;
constexpr std::uint8_t kLinkRejected = 0xEE;
constexpr std::size_t kExtensionSize = 0x8000;

struct LinkVerdict {
    std::optional<std::uint8_t> status;  // none: no answer (the final frame)
    std::string rejection;               // empty when the frame was in order
};

class FirmwareLink {
public:
    LinkVerdict handle(const LinkFrame& frame);
    // A new session on the line starts the transfer's order over.
    void lineOpened();

    bool transferFinished() const { return stage_ == Stage::Finished; }
    // The extension bytes received so far, in order.
    std::vector<std::uint8_t> extension() const;

private:
    enum class Stage { Open, Second, Prepare, BlockOpen, Chunk, BlockClose, Final, Finished };
    bool isExpected(const LinkFrame& frame) const;
    void advance(const LinkFrame& frame);

    Stage stage_ = Stage::Open;
    unsigned block_ = 0;
    unsigned chunk_ = 0;
    std::vector<std::uint8_t> received_;
};

}  // namespace panel_emulator
