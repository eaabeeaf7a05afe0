// The panel models the emulator can play: the hardware code its bootloader
// reports, the model byte of its image header and whether its images have a
// fixed body size (with the optional 32 KiB extension) or a free one.
#pragma once

#include <cstdint>
#include <string_view>

namespace panel_emulator {

struct PanelModel {
    std::string_view name;
    std::uint8_t hardwareCode;
    std::uint8_t headerModelByte;
    bool fixedBodySize;
};

// nullptr when the name is not a catalogue model.
const PanelModel* findPanelModel(std::string_view name);

}  // namespace panel_emulator
