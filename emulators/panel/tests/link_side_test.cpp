// The firmware side: its CRC, its frames on the wire and its order rule.
#include "crc16_xmodem.h"
#include "firmware_link.h"
#include "link_frame.h"

#include <gtest/gtest.h>

using namespace panel_emulator;

namespace {

std::optional<LinkFrame> roundTrip(const std::vector<std::uint8_t>& wire) {
    LinkFrameReader reader;
    reader.feed(wire.data(), wire.size());
    return reader.next();
}

LinkVerdict send(FirmwareLink& link, std::uint8_t command, std::initializer_list<std::uint8_t> payload) {
    return link.handle(*roundTrip(encodeLinkFrame(command, payload)));
}

}  // namespace

TEST(Crc16Xmodem, MatchesTheCheckValue) {
    const std::string digits = "123456789";
    EXPECT_EQ(crc16Xmodem(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()), 0x31C3);
}

TEST(LinkFrame, EncodesTheKnownFramesAndReadsThemBackAfterNoise) {
    EXPECT_EQ(encodeLinkFrame(0x61, {}), (std::vector<std::uint8_t>{0xAA, 0x16, 0x30, 0x01, 0x61, 0xDA, 0xE7}));
    EXPECT_EQ(encodeLinkFrame(0x70, {0x42, 0x07, 0x7F}),
        (std::vector<std::uint8_t>{0xAA, 0x16, 0x30, 0x04, 0x70, 0x42, 0x07, 0x7F, 0x00, 0x16}));

    std::vector<std::uint8_t> wire{0x00, 0xAA, 0x16};
    auto frame = encodeLinkFrame(0x70, {0x41, 0x07, 0x07});
    wire.insert(wire.end(), frame.begin(), frame.end());
    auto read = roundTrip(wire);
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->crcValid);
    EXPECT_EQ(read->command, 0x70);
    EXPECT_EQ(read->payload, (std::vector<std::uint8_t>{0x41, 0x07, 0x07}));

    frame.back() ^= 1;
    EXPECT_FALSE(roundTrip(frame)->crcValid);
}

TEST(FirmwareLink, TakesTheTransferInOrderOnly) {
    FirmwareLink link;
    EXPECT_EQ(send(link, 0x1F, {}).status, kLinkRejected);  // before 0x61
    EXPECT_EQ(send(link, 0x61, {}).status, kLinkOpened);
    EXPECT_EQ(send(link, 0x1F, {}).status, kLinkAccepted);
    EXPECT_EQ(send(link, 0x70, {0x41, 0x07, 0x07}).status, kLinkAccepted);
    for (unsigned block = 0; block < 128; ++block) {
        ASSERT_EQ(send(link, 0x70, {0x01}).status, kLinkAccepted);
        for (unsigned chunk = 0; chunk < 8; ++chunk) {
            std::vector<std::uint8_t> body(33, static_cast<std::uint8_t>(block));
            body[0] = 0x71;
            ASSERT_EQ(link.handle(*roundTrip(encodeLinkFrame(33, body))).status, kLinkAccepted);
        }
        if (block == 5) {
            EXPECT_EQ(send(link, 0x70, {0x42, 0x07, 4}).status, kLinkRejected);  // wrong block number
        }
        ASSERT_EQ(send(link, 0x70, {0x42, 0x07, static_cast<std::uint8_t>(block)}).status, kLinkAccepted);
    }
    EXPECT_FALSE(link.transferFinished());
    EXPECT_FALSE(send(link, 0x99, {}).status.has_value());
    EXPECT_TRUE(link.transferFinished());
    auto extension = link.extension();
    ASSERT_EQ(extension.size(), kExtensionSize);
    EXPECT_EQ(extension[0x7FFF], 127);
    EXPECT_EQ(extension[5 * 256], 5);
}
