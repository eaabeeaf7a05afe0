// The model catalogue: which panel models exist, the hardware code each one
// reports to the bootloader, the 32-byte header its image files begin with,
// and how long its image body may be.
#pragma once

#include <cstdint>

constexpr uint32_t kHeaderSize = 32;
constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kImageCapacity = 0x80000;
constexpr uint32_t kMainBodySize = 0x6E000;      // body of a fixed-rule image
constexpr uint32_t kExtendedBodySize = 0x76000;  // main body plus the extension
constexpr uint32_t kExtensionOffset = 0x6E000;
constexpr uint32_t kExtensionSize = 0x8000;

// The exact first 32 bytes of an image file: the maker's name, zero bytes,
// and the model byte at offset 18.
struct ImageHeader {
    uint8_t bytes[kHeaderSize];
};

enum class SizeRule {
    fixed,  // body of 0x6E000 bytes, or 0x76000 with the extension
    free,   // any multiple of 4096 up to 0x80000, never an extension
};

struct ModelEntry {
    const char* name;
    uint8_t hardwareCode;
    ImageHeader header;
    SizeRule sizeRule;
};

// The catalogue rows, in the order they are searched.
extern const ModelEntry kCatalogue[];
extern const uint32_t kCatalogueSize;

// The row whose name equals `name` exactly (case-sensitive), or nullptr.
const ModelEntry* selectModel(const char* name);

// The name of the hardware that reports `code`: its catalogue row's name,
// "KALDOR32B" for 0x44, "UNDETECTED" for any other code.
const char* hardwareName(uint8_t code);

// nullptr when a panel reporting `reportedCode` may take the images of the
// model whose code is `chosenCode`; otherwise the name of the reported
// hardware ("UNDETECTED" for a code that names none).
const char* hardwareMismatch(uint8_t reportedCode, uint8_t chosenCode);
