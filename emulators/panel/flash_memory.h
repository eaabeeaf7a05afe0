// The panel's flash: 0x82000 bytes in 4096-byte pages. A page takes a write
// only when it has been erased since it was last written; the flash the panel
// leaves the factory with counts as written (old firmware), so every page
// needs an erase before its first write. Content reads 0xFF where nothing
// has been written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace panel_emulator {

constexpr std::size_t kFlashSize = 0x82000;
constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kPageCount = kFlashSize / kPageSize;

class FlashMemory {
public:
    FlashMemory();

    void erasePages(unsigned firstPage, unsigned count);
    bool erasedSinceWrite(unsigned page) const;
    // Stores kPageSize bytes; the caller has checked the page is erased.
    void writePage(unsigned page, const std::uint8_t* bytes);

    bool pageWritten(unsigned page) const { return written_.at(page); }
    std::optional<unsigned> highestWrittenPage() const;
    // From fromAddress up to the end of the highest written page (empty if none).
    std::vector<std::uint8_t> contentsFrom(std::size_t fromAddress) const;

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<bool> erased_;
    std::vector<bool> written_;
};

}  // namespace panel_emulator
