// The emulator's command line: which panel to play, where to write what it
// received, which faults to inject, or a sample image to make instead.
#pragma once

#include "fault_plan.h"
#include "line_timing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_emulator {

using emulator_common::LineTiming;

struct ImageRequest {
    std::string model;
    std::size_t bodySize;
    std::string path;
};

struct EmulatorOptions {
    std::uint8_t hardwareCode = 0x10;
    std::string flashOut;
    std::string extensionOut;
    bool reopen = true;
    LineTiming timing;
    FaultPlan faults;
    std::optional<ImageRequest> makeImage;
};

struct ParsedOptions {
    std::optional<EmulatorOptions> options;
    std::string error;  // set when options is empty
};

ParsedOptions parseEmulatorOptions(const std::vector<std::string>& args);
// What the options are and what their numbers mean, for the refusal.
std::string emulatorUsage();

}  // namespace panel_emulator
