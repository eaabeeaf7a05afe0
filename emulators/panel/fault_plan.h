// Faults to inject, by frame number: bootloader frames are counted from 1 over
// the whole run, firmware frames likewise. A frame without an entry is
// answered normally.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>

namespace panel_emulator {

struct BootFault {
    bool refuse = false;       // answer with status 1 and do not apply the frame
    bool silent = false;       // apply the frame, send no reply
    bool shortReply = false;   // apply the frame, send only 2 of the 3 reply bytes
    std::chrono::milliseconds delay{0};
};

struct FirmwareFault {
    std::optional<std::uint8_t> status;   // reply with this status instead
    std::optional<std::uint8_t> length;   // reply with this length byte
    bool silent = false;
    std::chrono::milliseconds delay{0};
};

struct FaultPlan {
    std::map<unsigned, BootFault> boot;
    std::map<unsigned, FirmwareFault> firmware;

    BootFault forBootFrame(unsigned number) const;
    FirmwareFault forFirmwareFrame(unsigned number) const;
};

}  // namespace panel_emulator
