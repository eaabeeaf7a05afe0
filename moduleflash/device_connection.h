// Opens the link to the module: a serial port at 115200 8N1 without flow
// control, or a TCP connection that starts with a fixed 31-byte signature.
// Each writes its own success or failure line; on success the open device
// becomes the session's device, on failure the device object is already gone.
#pragma once

#include "module_session.h"

bool openSerialDevice(int argc, const char* const* argv, ModuleSession& session);
bool openTcpDevice(int argc, const char* const* argv, ModuleSession& session);
