// The framed commands of the panel link and their CRC-16/XMODEM.
#pragma once

#include <cstdint>

#include "panel_session.h"

// One byte of CRC-16/XMODEM (polynomial 0x1021, initial value 0).
uint16_t crc16Update(uint16_t crc, uint8_t byte);

// Builds the frame for `command` in `frame` (at least 128 bytes), choosing the
// payload from the command and the session's step, block and chunk; returns
// the frame's total length.
uint8_t buildLinkFrame(const PanelSession& session, uint8_t command, uint8_t* frame);
