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

// Runs steps 0 to 13 on an open, configured port; leaves stopFlag and
// failFlag for the run to read.
void runBootloaderUpload(PanelSession& session);
