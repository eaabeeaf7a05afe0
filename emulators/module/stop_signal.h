// SIGTERM and SIGINT turned into a readable file descriptor (a self-pipe),
// so the poll loops can wait on the line and on a stop request together.
#pragma once

namespace module_emulator {

// Installs the handlers; returns the descriptor that becomes readable on a
// stop request, or -1 when the pipe cannot be made.
int installStopSignal();

}  // namespace module_emulator
