#include "text_escape.h"

#include <gtest/gtest.h>

using namespace module_emulator;

TEST(TextEscape, DecodesReplyTexts) {
    EXPECT_EQ(decodeEscapes("OK\\nOK"), "OK\nOK");
    EXPECT_EQ(decodeEscapes("a\\x00b\\xFf"), std::string("a\0b\xff", 4));
    EXPECT_EQ(decodeEscapes("say \\\"hi\\\\"), std::nullopt);  // \" is no escape
    EXPECT_EQ(decodeEscapes("back\\\\slash"), "back\\slash");
    for (const char* cut : {"end\\", "\\x4", "\\x", "\\xzz"}) EXPECT_EQ(decodeEscapes(cut), std::nullopt) << cut;
}

TEST(TextEscape, EncodingIsOnePrintableLineThatDecodesBack) {
    const std::string bytes("a\\b\n\r\t\x01\x7f\xff \"", 11);
    const std::string encoded = encodeEscapes(bytes);
    EXPECT_EQ(encoded, "a\\\\b\\n\\r\\t\\x01\\x7f\\xff \"");
    EXPECT_EQ(decodeEscapes(encoded), bytes);
}
