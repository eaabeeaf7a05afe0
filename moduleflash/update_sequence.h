// The update run on a connected device: version, optional stop, firmware file
// loaded whole, checksum mode, then initialise, size-and-chunk pairs, end and
// restart. Every stage writes one result line; the first failure ends the run.
#pragma once

#include "module_session.h"

void runUpdate(ModuleSession& session, int argc, const char* const* argv, int chunkSize);
