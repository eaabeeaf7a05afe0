#include "command_framer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace module_emulator;

namespace {
std::vector<Command> drain(CommandFramer& framer) {
    std::vector<Command> commands;
    while (auto command = framer.next()) commands.push_back(*command);
    return commands;
}
}  // namespace

TEST(CommandFramer, LinesSplitAcrossReadsAreJoined) {
    CommandFramer framer;
    framer.feed("atFirmware");
    EXPECT_TRUE(drain(framer).empty());
    framer.feed("VersionGet\natOTA");
    const auto commands = drain(framer);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].bytes, "atFirmwareVersionGet");
    EXPECT_FALSE(commands[0].raw);
    EXPECT_EQ(framer.buffered(), 5u);
}

// A chunk is cut by its announced length: line feeds inside it and the
// missing terminator after it must not shift the framing of what follows.
TEST(CommandFramer, RawChunkIsCutByLengthNotByLineFeed) {
    CommandFramer framer;
    // The chunk's first bytes arrive together with the size command.
    framer.feed("atOTAFirmwareBufferSet=4123\n\n");
    auto command = framer.next();
    ASSERT_TRUE(command);
    EXPECT_EQ(command->bytes, "atOTAFirmwareBufferSet=4123");

    framer.expectRaw(4 + 3);
    framer.feed("\nab");
    EXPECT_TRUE(drain(framer).empty());
    framer.feed("201atOTAFirmwareEnd123\n");
    const auto commands = drain(framer);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_TRUE(commands[0].raw);
    EXPECT_EQ(commands[0].bytes, "\n\nab201");
    EXPECT_EQ(commands[1].bytes, "atOTAFirmwareEnd123");
    EXPECT_FALSE(commands[1].raw);
}

TEST(CommandFramer, FloodWithoutLineFeedIsBoundedAndResynchronises) {
    CommandFramer framer;
    const std::string flood(CommandFramer::maxLineLength + 100, 'x');
    framer.feed(flood);
    auto commands = drain(framer);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_TRUE(commands[0].overlong);
    EXPECT_EQ(framer.buffered(), 0u);

    framer.feed(flood);  // still the same line: dropped without a second report
    EXPECT_TRUE(drain(framer).empty());
    EXPECT_EQ(framer.buffered(), 0u);

    framer.feed("tail\natRestartSet\n");
    commands = drain(framer);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].bytes, "atRestartSet");
    EXPECT_FALSE(commands[0].overlong);
}
