#include "sample_image.h"

#include "panel_models.h"

#include <cstring>
#include <stdexcept>

namespace panel_emulator {

std::uint8_t sampleBodyByte(std::size_t offset) {
    std::uint32_t x = static_cast<std::uint32_t>(offset) * 0x9E3779B1u + 0x7F4A7C15u;
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    x ^= x >> 12;
    return static_cast<std::uint8_t>(x >> 24);
}

std::vector<std::uint8_t> makeSampleImage(const std::string& model, std::size_t bodySize) {
    const PanelModel* entry = findPanelModel(model);
    if (entry == nullptr) throw std::invalid_argument("unknown model " + model);
    std::vector<std::uint8_t> image(kImageHeaderSize + bodySize, 0);
    static const char kMaker[] = "Norvel Controls";
    std::memcpy(image.data(), kMaker, sizeof kMaker - 1);
    image[18] = entry->headerModelByte;
    for (std::size_t offset = 0; offset < bodySize; ++offset) {
        image[kImageHeaderSize + offset] = sampleBodyByte(offset);
    }
    return image;
}

}  // namespace panel_emulator
