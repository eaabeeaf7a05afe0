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
    bool refuse = false;      // answer with status 1 and do not apply the frame
    bool silent = false;      // apply the frame, send no reply
    bool shortReply = false;  // apply the frame, send only 2 of the 3 reply bytes
    bool garbage = false;     // apply the frame, answer with 3 random bytes
    bool hangUp = false;      // apply the frame, send 1 reply byte, then close the line
    std::chrono::milliseconds delay{0};
};

struct FirmwareFault {
    std::optional<std::uint8_t> status;  // reply with this status instead
    std::optional<std::uint8_t> length;  // reply with this length byte
    bool silent = false;
    bool shortReply = false;  // the reply without its last byte
    bool garbage = false;     // 7 random bytes instead of the reply
    bool hangUp = false;      // 3 reply bytes, then close the line (after 0x99: close at once)
    std::chrono::milliseconds delay{0};
};

struct FaultPlan {
    std::map<unsigned, BootFault> boot;
    std::map<unsigned, FirmwareFault> firmware;

    BootFault forBootFrame(unsigned number) const;
    FirmwareFault forFirmwareFrame(unsigned number) const;
};

}  // namespace panel_emulator
