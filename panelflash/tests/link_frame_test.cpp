#include "link_frame.h"

#include <gtest/gtest.h>

#include <vector>

#include "panel_protocol.h"
#include "session_fixture.h"

namespace {

TEST(Crc16, CheckValueOfTheNineDigits) {
    uint16_t crc = 0;
    for (const char* digit = "123456789"; *digit != '\0'; ++digit) {
        crc = crc16Update(crc, static_cast<uint8_t>(*digit));
    }
    EXPECT_EQ(crc, 0x31C3);
}

TEST(LinkFrame, WorkedFramesWithTheirLengths) {
    std::vector<uint8_t> zeroChunk = {0xAA, 0x16, 0x30, 0x21, 0x71};
    zeroChunk.insert(zeroChunk.end(), 32, 0x00);
    zeroChunk.insert(zeroChunk.end(), {0xEC, 0xF6});
    struct {
        const char* name;
        uint8_t command;
        uint32_t step;
        uint32_t blockIndex;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"open", kOpenCommand, kOpenStep, 0, {0xAA, 0x16, 0x30, 0x01, 0x61, 0xDA, 0xE7}},
        {"second", kSecondCommand, kSecondCommandStep, 0, {0xAA, 0x16, 0x30, 0x01, 0x1F, 0x45, 0xBE}},
        {"before blocks", kBlockCommand, kBeforeBlocksStep, 0,
            {0xAA, 0x16, 0x30, 0x04, 0x70, 0x41, 0x07, 0x07, 0xA6, 0xD9}},
        {"open block", kBlockCommand, kOpenBlockStep, 5, {0xAA, 0x16, 0x30, 0x02, 0x70, 0x01, 0xF4, 0x04}},
        {"close block 0", kBlockCommand, kCloseBlockStep, 0,
            {0xAA, 0x16, 0x30, 0x04, 0x70, 0x42, 0x07, 0x00, 0x8F, 0x6E}},
        {"close block 127", kBlockCommand, kCloseBlockStep, 127,
            {0xAA, 0x16, 0x30, 0x04, 0x70, 0x42, 0x07, 0x7F, 0x00, 0x16}},
        {"final", kFinalCommand, kFinalFrameStep, 0, {0xAA, 0x16, 0x30, 0x01, 0x99, 0xB4, 0xF0}},
        {"zero chunk", kChunkCommand, kChunkStep, 0, zeroChunk},
    };
    auto session = newSession("KALDOR640");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session->step = c.step;
        session->blockIndex = c.blockIndex;
        uint8_t frame[kFrameCapacity] = {};
        uint8_t length = buildLinkFrame(*session, c.command, frame);
        ASSERT_EQ(length, c.bytes.size());
        EXPECT_EQ(length, frame[3] + 6);
        EXPECT_EQ(std::vector<uint8_t>(frame, frame + length), c.bytes);
    }
}

}  // namespace
