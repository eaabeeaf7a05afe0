// The panel's bootloader: judges each frame against the upload rules and
// applies the ones it accepts to the simulated flash.
// Rules: each sequence byte is the previous one plus 1 (mod 256), the first
// frame after the line opens setting the count; Identify comes before any
// Data; a page's 69 Data packets arrive numbered 0..68 in order; Erase names a
// sector row of the map; Write names a page of a sector, follows a complete
// page of packets and goes to a page erased since it was last written. A
// frame that breaks a rule is refused and changes nothing.
#pragma once

#include "boot_frame.h"
#include "flash_memory.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_emulator {

constexpr std::uint8_t kBootAccepted = 0x00;
constexpr std::uint8_t kBootRefused = 0x01;
// The first image page goes to device page 2; its write ends the first phase.
constexpr unsigned kLastUploadedPage = 2;

struct BootVerdict {
    std::uint8_t status;  // byte 2 of the reply: the hardware code for Identify
    std::string refusal;  // why the frame was refused; empty when accepted
    bool accepted() const { return refusal.empty(); }
};

class Bootloader {
public:
    explicit Bootloader(std::uint8_t hardwareCode);

    BootVerdict handle(const BootFrame& frame);
    // A frame refused from outside the rules: only its sequence byte counts.
    void skip(const BootFrame& frame);
    // A new session on the line: sequence, identification and page data start over.
    void lineOpened();

    bool firstPhaseComplete() const { return flash_.pageWritten(kLastUploadedPage); }
    const FlashMemory& flash() const { return flash_; }

private:
    BootVerdict refuse(std::string why) const { return {kBootRefused, std::move(why)}; }
    BootVerdict data(const BootFrame& frame);
    BootVerdict erase(const BootFrame& frame);
    BootVerdict write(const BootFrame& frame);

    std::uint8_t hardwareCode_;
    std::optional<std::uint8_t> expectedSequence_;
    bool identified_ = false;
    unsigned packetsReceived_ = 0;
    std::vector<std::uint8_t> pageData_;
    FlashMemory flash_;
};

}  // namespace panel_emulator
