#include "panel_models.h"

#include <array>

namespace panel_emulator {

namespace {

constexpr std::array<PanelModel, 10> kModels{{
    {"KALDOR640", 0x10, 0x00, true},
    {"KALDOR64", 0x14, 0x04, true},
    {"KALDOR32", 0x24, 0x14, true},
    {"KALDOR6", 0x34, 0x24, true},
    {"TORVANEXUS640", 0x20, 0x30, true},
    {"TORVANEXUS64", 0x54, 0x64, true},
    {"TORVANEXUS32", 0x64, 0x74, true},
    {"TORVANEXUS6", 0x74, 0x84, true},
    {"SKYRELAY", 0x18, 0x08, false},
    {"MISTGUARD", 0x1A, 0x0A, false},
}};

}  // namespace

const PanelModel* findPanelModel(std::string_view name) {
    for (const auto& model : kModels) {
        if (model.name == name) return &model;
    }
    return nullptr;
}

}  // namespace panel_emulator
