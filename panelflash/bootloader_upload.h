// First phase: greet the bootloader, check the hardware and write the image
// body into the panel's flash page by page, the first image page last.
#pragma once

#include <cstdint>

#include "panel_session.h"

constexpr uint32_t kSectorCount = 28;

// One flash sector: its first page and its number of pages.
struct SectorMapRow {
    uint8_t firstPage;
    uint8_t pageCount;
};
extern const SectorMapRow kSectorMap[kSectorCount];

// Every BootFrame is answered with 3 bytes; byte 2 is the status.
constexpr uint32_t kBootReplySize = 3;

enum class BootReply {
    accepted,
    refused,        // failed or short read, or status 1
    wrongHardware,  // Identify answered with a code the chosen model does not take
};

// Judges one reply; `identification` is true for the reply to Identify, whose
// status byte is the panel's hardware code.
BootReply judgeBootReply(bool readOk, uint8_t status, bool identification, uint8_t chosenCode);

// Runs steps 0 to 13 on an open, configured port. failFlag is 0 on return
// only when the final Write was accepted; stopFlag is 1 unless a key ended it.
void runBootloaderUpload(PanelSession& session);
