#include "fault_plan.h"

#include "checksum.h"

namespace module_emulator {

const ReplyFault* FaultPlan::find(unsigned number) const {
    const auto found = faults_.find(number);
    return found == faults_.end() ? nullptr : &found->second;
}

std::optional<std::string> wireReply(const Reply& reply, const ReplyFault* fault) {
    if (fault && fault->silent) return std::nullopt;
    std::string wire = fault && fault->replacement ? *fault->replacement : reply.text;
    const std::uint8_t sum = byteSum(wire);
    if (fault && fault->badChecksum)
        wire += checksumDigits(static_cast<std::uint8_t>(sum + 1));
    else if (reply.checksummed)
        wire += checksumDigits(sum);
    if (!(fault && fault->noNewline)) wire += '\n';
    return wire;
}

}  // namespace module_emulator
