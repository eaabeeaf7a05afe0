#include "panel_frame_plan.h"

#include <cstdio>
#include <stdexcept>

namespace fault_matrix {

namespace {

constexpr std::size_t kPage = 4096;
constexpr unsigned kPacketsPerPage = 69;
constexpr unsigned kPacketBytes = 60;
constexpr std::size_t kExtensionOffset = 0x6E000;
constexpr std::size_t kMainPart = kExtensionOffset;

// First page of each sector row; rows 8 to 21 span eight pages each.
std::vector<unsigned> sectorFirstPages() {
    std::vector<unsigned> pages;
    for (unsigned row = 0; row < 8; ++row) pages.push_back(row);
    for (unsigned row = 8; row < 22; ++row) pages.push_back(8 + 8 * (row - 8));
    for (unsigned row = 22; row < 28; ++row) pages.push_back(120 + (row - 22));
    return pages;
}

class Planner {
public:
    Planner(const std::string& image, std::uint8_t hardwareCode) : image_(image), code_(hardwareCode) {}

    void add(BootKind kind, std::vector<std::uint8_t> args, unsigned page = 0, unsigned packet = 0) {
        std::vector<std::uint8_t> shown{commandOf(kind), sequence_++};
        shown.insert(shown.end(), args.begin(), args.end());
        if (shown.size() > 5) shown.resize(5);
        std::uint8_t status = kind == BootKind::identify ? code_ : 0x00;
        frames_.push_back({kind, page, packet, shown, status});
    }

    void page(unsigned devicePage, std::size_t imageOffset) {
        for (unsigned packet = 0; packet < kPacketsPerPage; ++packet) {
            std::size_t at = imageOffset + packet * kPacketBytes;
            add(BootKind::data, {static_cast<std::uint8_t>(packet), byteAt(at), byteAt(at + 1)}, devicePage, packet);
        }
    }

    std::vector<PlannedBootFrame> take() { return std::move(frames_); }

private:
    static std::uint8_t commandOf(BootKind kind) {
        switch (kind) {
        case BootKind::sync: return 0x00;
        case BootKind::identify: return 0x01;
        case BootKind::data: return 0x06;
        case BootKind::erase: return 0x0A;
        case BootKind::write: return 0x0B;
        }
        return 0xFF;
    }
    std::uint8_t byteAt(std::size_t offset) const {
        return offset < image_.size() ? static_cast<std::uint8_t>(image_[offset]) : 0;
    }

    const std::string& image_;
    std::uint8_t code_;
    std::uint8_t sequence_ = 0;
    std::vector<PlannedBootFrame> frames_;
};

}  // namespace

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char cell[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(cell, sizeof cell, "%02X ", byte);
        text += cell;
    }
    return text;
}

std::vector<PlannedBootFrame> firstPhaseFrames(const std::string& body, std::uint8_t hardwareCode) {
    if (body.size() % kPage != 0 || body.empty()) throw std::invalid_argument("body must be whole pages");
    // An image with the extension uploads its main part only; what follows it
    // is still read by the last packet of the last page.
    std::size_t uploaded = body.size() > kMainPart ? kMainPart : body.size();
    Planner plan(body, hardwareCode);
    for (int i = 0; i < 5; ++i) plan.add(BootKind::sync, {});
    plan.add(BootKind::identify, {});
    const std::vector<unsigned> sectorStarts = sectorFirstPages();
    unsigned currentSector = 0;
    const unsigned endPage = static_cast<unsigned>((0x2000 + uploaded) / kPage);
    unsigned devicePage = 3;
    do {
        plan.page(devicePage, (devicePage - 2) * kPage);
        for (unsigned row = 0; row < sectorStarts.size(); ++row) {
            if (sectorStarts[row] == devicePage) {
                plan.add(BootKind::erase, {static_cast<std::uint8_t>(row)}, devicePage);
                currentSector = row;
                break;
            }
        }
        plan.add(BootKind::write,
            {static_cast<std::uint8_t>(currentSector),
                static_cast<std::uint8_t>(devicePage - sectorStarts[currentSector])},
            devicePage);
        ++devicePage;
    } while (devicePage < endPage);
    plan.page(2, 0);
    plan.add(BootKind::erase, {2}, 2);
    plan.add(BootKind::write, {2, 0}, 2);
    return plan.take();
}

std::string bootTrace(const PlannedBootFrame& frame) { return hexBytes(frame.shown) + "-- "; }

std::string bootReplyLine(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    char line[16];
    std::snprintf(line, sizeof line, "%02X %02X %02X\n", b0, b1, b2);
    return line;
}

std::string bootAcceptedLine(const PlannedBootFrame& frame) {
    return bootTrace(frame) + bootReplyLine(frame.shown[0], frame.shown[1], frame.acceptedStatus);
}

std::string linkTrace(unsigned frame, const std::string& extension) {
    std::vector<std::uint8_t> shown;
    if (frame == kOpeningFrame) {
        shown = {0x01, 0x61, 0xDA, 0xE7};
    } else if (frame == kSecondFrame) {
        shown = {0x01, 0x1F, 0x45, 0xBE};
    } else if (frame == kBeforeBlocksFrame) {
        shown = {0x04, 0x70, 0x41, 0x07, 0x07};
    } else if (frame == kFinalLinkFrame) {
        shown = {0x01, 0x99, 0xB4, 0xF0};
    } else {
        unsigned inBlock = (frame - blockOpenFrame(0)) % (kChunksPerBlock + 2);
        unsigned block = (frame - blockOpenFrame(0)) / (kChunksPerBlock + 2);
        if (inBlock == 0) {
            shown = {0x02, 0x70, 0x01, 0xF4, 0x04};
        } else if (inBlock == kChunksPerBlock + 1) {
            shown = {0x04, 0x70, 0x42, 0x07, static_cast<std::uint8_t>(block)};
        } else {
            std::size_t at = block * 256 + (inBlock - 1) * 32;
            shown = {0x21, 0x71, static_cast<std::uint8_t>(extension.at(at)),
                static_cast<std::uint8_t>(extension.at(at + 1)), static_cast<std::uint8_t>(extension.at(at + 2))};
        }
    }
    return hexBytes(shown) + "-- ";
}

std::string linkAcceptedReply(unsigned frame) { return frame == kOpeningFrame ? "01 0F\n" : "01 10\n"; }

}  // namespace fault_matrix
