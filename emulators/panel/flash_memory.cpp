#include "flash_memory.h"

#include <algorithm>

namespace panel_emulator {

FlashMemory::FlashMemory() : bytes_(kFlashSize, 0xFF), erased_(kPageCount, false), written_(kPageCount, false) {}

void FlashMemory::erasePages(unsigned firstPage, unsigned count) {
    for (unsigned page = firstPage; page < firstPage + count && page < kPageCount; ++page) {
        std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(page * kPageSize), kPageSize, 0xFF);
        erased_[page] = true;
    }
}

bool FlashMemory::erasedSinceWrite(unsigned page) const { return page < kPageCount && erased_[page]; }

void FlashMemory::writePage(unsigned page, const std::uint8_t* bytes) {
    std::copy_n(bytes, kPageSize, bytes_.begin() + static_cast<std::ptrdiff_t>(page * kPageSize));
    erased_[page] = false;
    written_[page] = true;
}

std::optional<unsigned> FlashMemory::highestWrittenPage() const {
    for (unsigned page = kPageCount; page-- > 0;) {
        if (written_[page]) return page;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> FlashMemory::contentsFrom(std::size_t fromAddress) const {
    auto highest = highestWrittenPage();
    if (!highest) return {};
    std::size_t end = (*highest + 1) * kPageSize;
    if (end <= fromAddress) return {};
    return std::vector<std::uint8_t>(
        bytes_.begin() + static_cast<std::ptrdiff_t>(fromAddress), bytes_.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace panel_emulator
