#include "extension_transfer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "link_frame.h"
#include "panel_protocol.h"
#include "session_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A LinkFrame reply with length byte `length` and `status`, padded with
// payload bytes, CRC last. A length of 0 still carries the status byte.
Bytes replyFrame(uint8_t length, uint8_t status) {
    Bytes reply = {0xAA, 0x16, 0x30, length, status};
    if (length > 1) {
        reply.insert(reply.end(), length - 1u, 0x5A);
    }
    uint16_t crc = 0;
    for (uint8_t byte : reply) {
        crc = crc16Update(crc, byte);
    }
    reply.push_back(static_cast<uint8_t>(crc >> 8));
    reply.push_back(static_cast<uint8_t>(crc));
    return reply;
}

Bytes prefix(Bytes bytes, size_t length) {
    bytes.resize(length);
    return bytes;
}

// Firmware that answers each frame but 0x99 with a reply of `replyLength`
// carrying the status the transfer expects; the frame numbered `oddFrame`
// gets `oddReply` instead, or a dropped line.
class ExtensionTransferTest : public testing::Test {
protected:
    void SetUp() override {
        session = newSession("KALDOR640");
        fillImage(*session);
        memoryPlatform().peer = [this](const uint8_t* data, size_t length) { answer(Bytes(data, data + length)); };
    }

    void answer(const Bytes& frame) {
        frames.push_back(frame);
        uint8_t command = frame[4];
        if (frames.size() - 1 == oddFrame) {
            memoryPlatform().reply(oddReply.data(), oddReply.size());
            memoryPlatform().hungUp = hangUpAtOddFrame;
        } else if (command != kFinalCommand) {
            Bytes reply = replyFrame(replyLength, command == kOpenCommand ? 0x0F : 0x10);
            memoryPlatform().reply(reply.data(), reply.size());
        }
    }

    std::unique_ptr<PanelSession> session;
    std::vector<Bytes> frames;
    uint8_t replyLength = 1;
    size_t oddFrame = SIZE_MAX;
    Bytes oddReply;
    bool hangUpAtOddFrame = false;
};

// The command and payload of every frame of a complete transfer.
std::vector<Bytes> expectedCommands(const PanelSession& session) {
    std::vector<Bytes> commands = {{0x61}, {0x1F}, {0x70, 0x41, 0x07, 0x07}};
    for (uint32_t block = 0; block < 128; ++block) {
        commands.push_back({0x70, 0x01});
        for (uint32_t chunk = 0; chunk < 8; ++chunk) {
            const uint8_t* data = session.image + 0x6E000 + 256 * block + 32 * chunk;
            Bytes command = {0x71};
            command.insert(command.end(), data, data + 32);
            commands.push_back(command);
        }
        commands.push_back({0x70, 0x42, 0x07, static_cast<uint8_t>(block)});
    }
    commands.push_back({0x99});
    return commands;
}

TEST(TransferReplyJudge, OnlyTheOpenStepExpects0F) {
    struct {
        uint32_t step;
        uint8_t expected;
    } cases[] = {
        {kOpenStep, 0x0F},
        {kSecondCommandStep, 0x10},
        {kBeforeBlocksStep, 0x10},
        {kOpenBlockStep, 0x10},
        {kChunkStep, 0x10},
        {kCloseBlockStep, 0x10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        EXPECT_EQ(expectedTransferStatus(c.step), c.expected);
    }
}

TEST_F(ExtensionTransferTest, SendsEveryBlockThenPausesAfterTheFinalFrame) {
    runExtensionTransfer(*session);

    EXPECT_EQ(session->failFlag, 0u);
    EXPECT_EQ(session->stopFlag, 1u);
    std::vector<Bytes> expected = expectedCommands(*session);
    ASSERT_EQ(frames.size(), 1284u);
    for (size_t i = 0; i < frames.size(); ++i) {
        const Bytes& frame = frames[i];
        ASSERT_EQ(Bytes(frame.begin() + 4, frame.end() - 2), expected[i]) << "frame " << i;
    }
    EXPECT_EQ(Bytes(frames[1281].begin() + 5, frames[1281].end() - 2),
        Bytes(session->image + 0x75FE0, session->image + 0x76000));

    ASSERT_EQ(memoryPlatform().pauses.size(), 1u);
    EXPECT_EQ(memoryPlatform().pauses[0].milliseconds, 2000u);
    EXPECT_EQ(memoryPlatform().pauses[0].afterWrites, 1284u);

    const std::string& console = memoryPlatform().console;
    EXPECT_EQ(console.substr(0, 21), "01 61 DA E7 -- 01 0F\n");
    EXPECT_EQ(console.substr(console.size() - 16), "\n01 99 B4 F0 -- ");
    EXPECT_EQ(memoryPlatform().consoleWrites, 2 * 1283u + 1);
}

TEST_F(ExtensionTransferTest, ReadsEachReplyWholeByItsLengthByte) {
    for (uint8_t length : {1, 2, 122}) {
        SCOPED_TRACE(int(length));
        SetUp();
        frames.clear();
        replyLength = length;

        runExtensionTransfer(*session);

        EXPECT_EQ(session->failFlag, 0u);
        EXPECT_EQ(frames.size(), 1284u);
        EXPECT_TRUE(memoryPlatform().incoming.empty()) << "a reply was not read to its end";
    }
}

TEST_F(ExtensionTransferTest, FailingEndsLeaveFailFlagSet) {
    // Frames: 0 is 0x61, 1 is 0x1F, 2 the 0x70 before the blocks, 3 opens
    // block 0, 4 is its first chunk.
    struct {
        const char* name;
        size_t oddFrame;
        Bytes oddReply;
        bool hangUp;
        size_t keyAfterWrite;
        size_t framesSent;
        uint32_t stopFlag;
        std::string consoleEnd;
    } cases[] = {
        {"0x10 answering 0x61", 0, replyFrame(1, 0x10), false, 0, 1, 1,
            "01 61 DA E7 -- 01 10\n\n\nERROR : data transfer\n"},
        {"0x0F answering a chunk", 4, replyFrame(1, 0x0F), false, 0, 5, 1, "-- 01 0F\n\n\nERROR : data transfer\n"},
        {"length byte 0", 2, replyFrame(0, 0x10), false, 0, 3, 1, "04 70 41 07 07 -- FAIL -- "},
        {"length byte 123", 2, replyFrame(123, 0x10), false, 0, 3, 1, "04 70 41 07 07 -- FAIL -- "},
        {"silence", 2, {}, false, 0, 3, 1, "04 70 41 07 07 -- FAIL -- "},
        {"short first part", 2, prefix(replyFrame(1, 0x10), 5), false, 0, 3, 1, "04 70 41 07 07 -- FAIL -- "},
        {"short second part", 2, prefix(replyFrame(3, 0x10), 8), false, 0, 3, 1, "04 70 41 07 07 -- FAIL -- "},
        {"line dropped", 2, {}, true, 0, 3, 1, "04 70 41 07 07 -- FAIL -- "},
        {"key pressed", SIZE_MAX, {}, false, 4, 4, 0, "01 F4 04 -- 01 10\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        frames.clear();
        oddFrame = c.oddFrame;
        oddReply = c.oddReply;
        hangUpAtOddFrame = c.hangUp;
        memoryPlatform().keyAfterWrite = c.keyAfterWrite;

        runExtensionTransfer(*session);

        EXPECT_EQ(frames.size(), c.framesSent);
        EXPECT_EQ(session->failFlag, 1u);
        EXPECT_EQ(session->stopFlag, c.stopFlag);
        EXPECT_TRUE(memoryPlatform().pauses.empty());
        const std::string& console = memoryPlatform().console;
        ASSERT_GE(console.size(), c.consoleEnd.size());
        EXPECT_EQ(console.substr(console.size() - c.consoleEnd.size()), c.consoleEnd);
        if (c.keyAfterWrite != 0) {
            EXPECT_TRUE(platformKeyPending()) << "the key is left for the run";
        }
    }
}

}  // namespace
