#include "checksum.h"

#include <gtest/gtest.h>

using namespace module_emulator;

TEST(Checksum, DigitsOfByteSumModulo256) {
    struct Case {
        std::string bytes;
        const char* digits;
    };
    const Case cases[] = {
        {"", "000"},
        {"abc", "038"},
        {"OK", "154"},
        {"atFirmwareVersionGet", "024"},
        {std::string("\xff\x01", 2), "000"},  // wraps to zero
        {std::string(300, '\x01'), "044"},    // 300 mod 256
        {std::string("\xff", 1), "255"},
    };
    for (const Case& c : cases) EXPECT_EQ(checksumDigits(byteSum(c.bytes)), c.digits) << c.bytes;
}

TEST(Checksum, TrailingDigitsAreCheckedAndStripped) {
    std::string_view body;
    EXPECT_EQ(checkTrailingChecksum("OK154", body), ChecksumCheck::Valid);
    EXPECT_EQ(body, "OK");
    EXPECT_EQ(checkTrailingChecksum("000", body), ChecksumCheck::Valid);
    EXPECT_EQ(body, "");

    body = "untouched";
    EXPECT_EQ(checkTrailingChecksum("OK155", body), ChecksumCheck::Mismatch);
    EXPECT_EQ(checkTrailingChecksum("OK", body), ChecksumCheck::Missing);
    EXPECT_EQ(checkTrailingChecksum("atFirmwareVersionGet", body), ChecksumCheck::Missing);
    EXPECT_EQ(checkTrailingChecksum("OK15\r", body), ChecksumCheck::Missing);
    EXPECT_EQ(body, "untouched");
}
