// The panel's flash sectors: 8 of one page, 14 of eight pages, 6 of one page,
// covering device pages 0 to 125. Erase and Write name a sector by its row.
#pragma once

#include <optional>

namespace panel_emulator {

struct Sector {
    unsigned firstPage;
    unsigned pageCount;
};

constexpr unsigned kSectorCount = 28;

// The sector of a row, or none for a row past the table.
std::optional<Sector> sectorAtRow(unsigned row);

}  // namespace panel_emulator
