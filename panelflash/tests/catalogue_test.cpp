#include "catalogue.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct ModelCase {
    const char* name;
    uint8_t hardwareCode;
    uint8_t modelByte;
    SizeRule sizeRule;
};

const ModelCase kModels[] = {
    {"KALDOR640", 0x10, 0x00, SizeRule::fixed},
    {"KALDOR64", 0x14, 0x04, SizeRule::fixed},
    {"KALDOR32", 0x24, 0x14, SizeRule::fixed},
    {"KALDOR6", 0x34, 0x24, SizeRule::fixed},
    {"TORVANEXUS640", 0x20, 0x30, SizeRule::fixed},
    {"TORVANEXUS64", 0x54, 0x64, SizeRule::fixed},
    {"TORVANEXUS32", 0x64, 0x74, SizeRule::fixed},
    {"TORVANEXUS6", 0x74, 0x84, SizeRule::fixed},
    {"SKYRELAY", 0x18, 0x08, SizeRule::free},
    {"MISTGUARD", 0x1A, 0x0A, SizeRule::free},
};

TEST(Catalogue, RowsInOrderWithTheirCodesHeadersAndRules) {
    ASSERT_EQ(kCatalogueSize, 10u);
    for (uint32_t row = 0; row < kCatalogueSize; ++row) {
        const ModelCase& expected = kModels[row];
        const ModelEntry& entry = kCatalogue[row];
        SCOPED_TRACE(expected.name);
        EXPECT_STREQ(entry.name, expected.name);
        EXPECT_EQ(entry.hardwareCode, expected.hardwareCode);
        EXPECT_EQ(entry.sizeRule, expected.sizeRule);

        uint8_t header[kHeaderSize] = {};
        std::memcpy(header, "Norvel Controls", 15);
        header[18] = expected.modelByte;
        EXPECT_EQ(0, std::memcmp(entry.header.bytes, header, kHeaderSize));
    }
}

TEST(Catalogue, SelectModelMatchesWholeNamesExactly) {
    struct {
        const char* argument;
        int row;  // -1: no model
    } cases[] = {
        {"KALDOR640", 0},
        {"KALDOR64", 1},
        {"MISTGUARD", 9},
        {"kaldor640", -1},
        {"KALDOR640 ", -1},
        {"KALDOR32B", -1},
        {"KALDOR", -1},
        {"", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_EQ(selectModel(c.argument), c.row < 0 ? nullptr : &kCatalogue[c.row]);
    }
}

TEST(Catalogue, HardwareMismatchAcceptsEqualCodesAndKaldor32bOneWay) {
    struct {
        uint8_t reported;
        uint8_t chosen;
        const char* identified;  // nullptr: the panel takes the image
    } cases[] = {
        {0x44, 0x24, nullptr},
        {0x10, 0x10, nullptr},
        {0x44, 0x14, "KALDOR32B"},
        {0x24, 0x44, "KALDOR32"},
        {0x20, 0x10, "TORVANEXUS640"},
        {0x99, 0x10, "UNDETECTED"},
        {0x1A, 0x18, "MISTGUARD"},
        {0x01, 0x10, "UNDETECTED"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.reported) << " for " << int(c.chosen));
        const char* identified = hardwareMismatch(c.reported, c.chosen);
        if (c.identified == nullptr) {
            EXPECT_EQ(identified, nullptr);
        } else {
            EXPECT_STREQ(identified, c.identified);
        }
    }
}

}  // namespace
