// The emulator's command line: transport, module behaviour, injected
// faults and the files to write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "fault_plan.h"
#include "line_pacer.h"
#include "module_protocol.h"
#include "reply_writer.h"

namespace module_emulator {

enum class Transport { Tcp, Pty };

struct EmulatorOptions {
    Transport transport = Transport::Tcp;
    std::uint16_t port = 0;
    std::string listenAddress = "127.0.0.1";
    ModuleConfig module;
    FaultPlan faults;
    WritePacing pacing;
    LineTiming timing;
    std::string firmwareOut;
    std::string commandLog;
};

struct ParsedOptions {
    std::optional<EmulatorOptions> options;
    std::string error;  // why parsing failed, when `options` is empty
};

ParsedOptions parseOptions(int argc, const char* const* argv);

// What the options are and what their numbers mean, for the refusal.
std::string usageText();

}  // namespace module_emulator
