// The serial link to the panel: device path, open, set-up, close, and the
// blocking write and read the two protocol phases build on.
#pragma once

#include <cstdint>

#include "panel_session.h"

// Appends the port name to the device path prefix. False, with the path left
// as it was, when the name is longer than kMaxPortNameLength.
bool setDevicePath(PanelSession& session, const char* portName);
// Opens devicePath exclusively into `port`; prints nothing.
bool openPort(PanelSession& session);
// 57600 baud, 8N1, raw, 1000 ms total read time-out; DTR and RTS raised;
// both directions flushed.
void configurePort(PanelSession& session);
// DTR and RTS dropped, both directions flushed, port closed.
void closePort(PanelSession& session);
// Writes every byte before it returns.
void writePort(PanelSession& session, const uint8_t* data, uint32_t length);
// True only when all `count` bytes arrived within the read time-out; the
// bytes that did arrive are in the start of `buffer` either way.
bool readPort(PanelSession& session, uint8_t* buffer, uint32_t count);
