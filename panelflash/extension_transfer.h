// Second phase: send the 32 KiB extension to the panel's running firmware in
// 128 blocks of 8 chunks, every frame answered but the last.
#pragma once

#include <cstdint>

#include "panel_session.h"

// A reply length byte the 128-byte reply buffer can take: 1 to 122.
constexpr uint32_t kMaxReplyLength = kReplyHeaderSize + kReplyPayloadSize - 6;

// The work of the current step: builds its frame in txFrame, sets txLength
// and rxExpected (1 when a reply is awaited) and updates the block and chunk
// counters. Step 20 moves to 21 here; step 21 ends the phase with success.
void prepareTransferStep(PanelSession& session);

// The status the reply to the current step's frame must carry.
uint8_t expectedTransferStatus(uint32_t step);

// Moves to the next step once the reply carried the expected status.
void advanceTransferStep(PanelSession& session);

// Runs steps 14 to 21 on an open, configured port. failFlag is 0 on return
// only when step 21 was reached.
void runExtensionTransfer(PanelSession& session);
