#include "panel_fault_cell.h"

#include <sstream>

namespace fault_matrix {

std::string faultName(PanelFault fault) {
    switch (fault) {
    case PanelFault::refused: return "Refused";
    case PanelFault::silent: return "Silent";
    case PanelFault::shortReply: return "ShortReply";
    case PanelFault::garbage: return "Garbage";
    case PanelFault::hangUp: return "HangUp";
    case PanelFault::keyPress: return "KeyPress";
    }
    return "Unknown";
}

std::vector<std::string> bootFaultOptions(PanelFault fault, unsigned frame) {
    std::string n = std::to_string(frame);
    switch (fault) {
    case PanelFault::refused: return {"--refuse", n};
    case PanelFault::silent: return {"--silent", n};
    case PanelFault::shortReply: return {"--short", n};
    case PanelFault::garbage: return {"--garbage", n};
    case PanelFault::hangUp: return {"--hangup", n};
    case PanelFault::keyPress: return {"--delay", n + ":" + std::to_string(kKeyWindowMs)};
    }
    return {};
}

std::vector<std::string> linkFaultOptions(PanelFault fault, unsigned frame) {
    std::string k = std::to_string(frame);
    switch (fault) {
    case PanelFault::refused: return {"--fw-status", k + ":0xEE"};
    case PanelFault::silent: return {"--fw-silent", k};
    case PanelFault::shortReply: return {"--fw-short", k};
    case PanelFault::garbage: return {"--fw-garbage", k};
    case PanelFault::hangUp: return {"--fw-hangup", k};
    case PanelFault::keyPress: return {"--fw-delay", k + ":" + std::to_string(kKeyWindowMs)};
    }
    return {};
}

std::vector<unsigned> awaitGarbage(test_support::ChildProcess& emulator, const std::string& frameName) {
    using namespace std::chrono_literals;
    // The log line comes in pieces: wait for its end.
    test_support::Deadline deadline(10s);
    emulator.readErrorUntil("answered with garbage:", deadline);
    emulator.readErrorUntil("\n", deadline);
    const std::string& emulatorLog = emulator.errorOutput();
    const std::string marker = "panel-emulator: " + frameName + " answered with garbage:";
    std::vector<unsigned> bytes;
    const std::size_t at = emulatorLog.find(marker);
    if (at == std::string::npos) return bytes;
    const std::size_t start = at + marker.size();
    std::istringstream hex(emulatorLog.substr(start, emulatorLog.find('\n', start) - start));
    unsigned byte;
    while (hex >> std::hex >> byte) bytes.push_back(byte);
    return bytes;
}

}  // namespace fault_matrix
