// The catalogue is a constant table searched in row order. Every image header
// is the maker's name, zero bytes and one model byte at offset 18; the table
// stores that byte rather than deriving it from the hardware code.
#include "catalogue.h"

#include <cstring>

namespace {

constexpr char kMakerName[] = "Norvel Controls";
constexpr uint32_t kModelByteOffset = 18;

constexpr ImageHeader makeHeader(uint8_t modelByte) {
    ImageHeader header{};
    for (uint32_t i = 0; i < sizeof kMakerName - 1; ++i) {
        header.bytes[i] = static_cast<uint8_t>(kMakerName[i]);
    }
    header.bytes[kModelByteOffset] = modelByte;
    return header;
}

// A panel reporting this code is a KALDOR32 variant; it has no row of its own
// because it takes the KALDOR32 images.
constexpr uint8_t kKaldor32bCode = 0x44;
constexpr uint8_t kKaldor32Code = 0x24;

}  // namespace

// The columns line up under their headings.
// clang-format off
const ModelEntry kCatalogue[] = {
    // name             hardware code  header (model byte)  body size rule
    {"KALDOR640",       0x10,          makeHeader(0x00),    SizeRule::fixed},
    {"KALDOR64",        0x14,          makeHeader(0x04),    SizeRule::fixed},
    {"KALDOR32",        0x24,          makeHeader(0x14),    SizeRule::fixed},
    {"KALDOR6",         0x34,          makeHeader(0x24),    SizeRule::fixed},
    {"TORVANEXUS640",   0x20,          makeHeader(0x30),    SizeRule::fixed},
    {"TORVANEXUS64",    0x54,          makeHeader(0x64),    SizeRule::fixed},
    {"TORVANEXUS32",    0x64,          makeHeader(0x74),    SizeRule::fixed},
    {"TORVANEXUS6",     0x74,          makeHeader(0x84),    SizeRule::fixed},
    {"SKYRELAY",        0x18,          makeHeader(0x08),    SizeRule::free},
    {"MISTGUARD",       0x1A,          makeHeader(0x0A),    SizeRule::free},
};
// clang-format on
const uint32_t kCatalogueSize = sizeof kCatalogue / sizeof kCatalogue[0];

const ModelEntry* selectModel(const char* name) {
    for (const ModelEntry& entry : kCatalogue) {
        if (std::strcmp(entry.name, name) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

const char* hardwareName(uint8_t code) {
    if (code == kKaldor32bCode) {
        return "KALDOR32B";
    }
    for (const ModelEntry& entry : kCatalogue) {
        if (entry.hardwareCode == code) {
            return entry.name;
        }
    }
    return "UNDETECTED";
}

const char* hardwareMismatch(uint8_t reportedCode, uint8_t chosenCode) {
    if (reportedCode == kKaldor32bCode && chosenCode == kKaldor32Code) {
        return nullptr;
    }
    if (reportedCode == chosenCode) {
        return nullptr;
    }
    return hardwareName(reportedCode);
}
