// Second phase: send the 32 KiB extension to the panel's running firmware in
// 128 blocks of 8 chunks, every frame answered but the last.
#pragma once

#include <cstdint>

#include "panel_session.h"

// The status the reply to the current step's frame must carry.
uint8_t expectedTransferStatus(uint32_t step);

// Runs steps 14 to 21 on an open, configured port. failFlag is 0 on return
// only when step 21 was reached.
void runExtensionTransfer(PanelSession& session);
