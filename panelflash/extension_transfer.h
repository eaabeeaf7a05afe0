// Second phase: send the 32 KiB extension to the panel's running firmware in
// 128 blocks of 8 chunks, every frame answered but the last.
#pragma once

#include "panel_session.h"

// Runs steps 14 to 21 on an open, configured port; leaves stopFlag and
// failFlag for the run to read.
void runExtensionTransfer(PanelSession& session);
