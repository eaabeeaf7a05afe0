#include "bootloader.h"

#include "sector_layout.h"

namespace panel_emulator {

Bootloader::Bootloader(std::uint8_t hardwareCode)
    : hardwareCode_(hardwareCode), pageData_(kPacketsPerPage * kDataPayloadSize, 0) {}

void Bootloader::lineOpened() {
    expectedSequence_.reset();
    identified_ = false;
    packetsReceived_ = 0;
}

void Bootloader::skip(const BootFrame& frame) { expectedSequence_ = static_cast<std::uint8_t>(frame.sequence() + 1); }

BootVerdict Bootloader::handle(const BootFrame& frame) {
    std::optional<std::uint8_t> expected = expectedSequence_;
    expectedSequence_ = static_cast<std::uint8_t>(frame.sequence() + 1);
    if (!frame.knownCommand()) return refuse("unknown command " + std::to_string(frame.command()));
    if (expected && frame.sequence() != *expected) {
        return refuse("sequence " + std::to_string(frame.sequence()) + ", expected " + std::to_string(*expected));
    }
    switch (frame.command()) {
    case boot_command::kSync: return {kBootAccepted, {}};
    case boot_command::kIdentify: identified_ = true; return {hardwareCode_, {}};
    case boot_command::kData: return data(frame);
    case boot_command::kErase: return erase(frame);
    default: return write(frame);
    }
}

BootVerdict Bootloader::data(const BootFrame& frame) {
    if (!identified_) return refuse("data before identify");
    unsigned packet = frame.bytes[2];
    if (packet != packetsReceived_ || packetsReceived_ >= kPacketsPerPage) {
        return refuse("data packet " + std::to_string(packet) + ", expected " + std::to_string(packetsReceived_));
    }
    std::copy(frame.bytes.begin() + 3, frame.bytes.end(),
        pageData_.begin() + static_cast<std::ptrdiff_t>(packet * kDataPayloadSize));
    ++packetsReceived_;
    return {kBootAccepted, {}};
}

BootVerdict Bootloader::erase(const BootFrame& frame) {
    auto sector = sectorAtRow(frame.bytes[2]);
    if (!sector) return refuse("erase of sector " + std::to_string(frame.bytes[2]) + " outside the map");
    flash_.erasePages(sector->firstPage, sector->pageCount);
    return {kBootAccepted, {}};
}

BootVerdict Bootloader::write(const BootFrame& frame) {
    unsigned row = frame.bytes[2];
    unsigned pageInSector = frame.bytes[3];
    auto sector = sectorAtRow(row);
    if (!sector) return refuse("write to sector " + std::to_string(row) + " outside the map");
    if (pageInSector >= sector->pageCount) {
        return refuse("write to page " + std::to_string(pageInSector) + " of sector " + std::to_string(row) +
                      ", which has " + std::to_string(sector->pageCount));
    }
    if (packetsReceived_ != kPacketsPerPage) {
        return refuse("write after " + std::to_string(packetsReceived_) + " data packets");
    }
    unsigned page = sector->firstPage + pageInSector;
    if (!flash_.erasedSinceWrite(page)) return refuse("write to page " + std::to_string(page) + " not erased");
    flash_.writePage(page, pageData_.data());
    packetsReceived_ = 0;
    return {kBootAccepted, {}};
}

}  // namespace panel_emulator
