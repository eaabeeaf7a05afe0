#include "sector_layout.h"

namespace panel_emulator {

std::optional<Sector> sectorAtRow(unsigned row) {
    constexpr unsigned kSmallLowRows = 8;  // pages 0..7
    constexpr unsigned kLargeRows = 14;    // pages 8..119, eight each
    constexpr unsigned kLargeSize = 8;
    if (row < kSmallLowRows) return Sector{row, 1};
    if (row < kSmallLowRows + kLargeRows) {
        return Sector{kSmallLowRows + (row - kSmallLowRows) * kLargeSize, kLargeSize};
    }
    if (row < kSectorCount) {
        unsigned firstHighPage = kSmallLowRows + kLargeRows * kLargeSize;  // 120
        return Sector{firstHighPage + (row - kSmallLowRows - kLargeRows), 1};
    }
    return std::nullopt;
}

}  // namespace panel_emulator
