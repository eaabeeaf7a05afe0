// The serial side of the emulator: the master of a pseudo-terminal pair in
// raw mode. The updater opens the slave by the name printed at start.
#pragma once

#include <optional>
#include <string>

#include "file_descriptor.h"

namespace module_emulator {

struct PtyPort {
    FileDescriptor master;
    std::string portName;  // the slave's path without "/dev/", e.g. "pts/5"
};

std::optional<PtyPort> openPtyPort(std::string& error);

}  // namespace module_emulator
