#include "fault_plan.h"

namespace panel_emulator {

BootFault FaultPlan::forBootFrame(unsigned number) const {
    auto found = boot.find(number);
    return found == boot.end() ? BootFault{} : found->second;
}

FirmwareFault FaultPlan::forFirmwareFrame(unsigned number) const {
    auto found = firmware.find(number);
    return found == firmware.end() ? FirmwareFault{} : found->second;
}

}  // namespace panel_emulator
