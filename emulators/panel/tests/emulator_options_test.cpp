// The command line: what the lines a test or a technician writes set, and the
// complaint each refused line gets.
#include "emulator_options.h"

#include <gtest/gtest.h>

#include <functional>

using namespace panel_emulator;
using namespace std::chrono;

namespace {

using Args = std::vector<std::string>;

EmulatorOptions parsed(const Args& args) {
    ParsedOptions result = parseEmulatorOptions(args);
    EXPECT_TRUE(result.options) << testing::PrintToString(args) << ": " << result.error;
    return result.options.value_or(EmulatorOptions{});
}

}  // namespace

TEST(EmulatorOptions, GoodLinesSetWhatTheySay) {
    struct Case {
        Args args;
        std::function<void(const EmulatorOptions&)> check;
    };
    const Case cases[] = {
        {{},
            [](const EmulatorOptions& o) {
                EXPECT_EQ(o.hardwareCode, 0x10);
                EXPECT_TRUE(o.reopen);
                EXPECT_FALSE(o.timing.paced());
                EXPECT_FALSE(o.makeImage);
            }},
        {{"--model", "KALDOR64"}, [](const EmulatorOptions& o) { EXPECT_EQ(o.hardwareCode, 0x14); }},
        // An explicit hardware code wins over the model's, whichever comes first.
        {{"--hardware-code", "0x2a", "--model", "KALDOR64"},
            [](const EmulatorOptions& o) { EXPECT_EQ(o.hardwareCode, 0x2A); }},
        {{"--flash-out", "flash.bin", "--extension-out", "ext.bin", "--no-reopen"},
            [](const EmulatorOptions& o) {
                EXPECT_EQ(o.flashOut, "flash.bin");
                EXPECT_EQ(o.extensionOut, "ext.bin");
                EXPECT_FALSE(o.reopen);
            }},
        {{"--baud", "0x1C200", "--latency", "3"},
            [](const EmulatorOptions& o) {
                EXPECT_EQ(o.timing.baud, 115200u);
                EXPECT_EQ(o.timing.replyLatency, milliseconds(3));
            }},
        {{"--refuse", "1", "--silent", "2", "--short", "3", "--garbage", "4", "--hangup", "5", "--delay", "6:250"},
            [](const EmulatorOptions& o) {
                EXPECT_TRUE(o.faults.forBootFrame(1).refuse);
                EXPECT_TRUE(o.faults.forBootFrame(2).silent);
                EXPECT_TRUE(o.faults.forBootFrame(3).shortReply);
                EXPECT_TRUE(o.faults.forBootFrame(4).garbage);
                EXPECT_TRUE(o.faults.forBootFrame(5).hangUp);
                EXPECT_EQ(o.faults.forBootFrame(6).delay, milliseconds(250));
                EXPECT_FALSE(o.faults.forBootFrame(7).refuse);
            }},
        {{"--fw-status", "1:0x02", "--fw-silent", "2", "--fw-length", "3:7", "--fw-delay", "4:10", "--fw-short", "5",
             "--fw-garbage", "6", "--fw-hangup", "7"},
            [](const EmulatorOptions& o) {
                EXPECT_EQ(o.faults.forFirmwareFrame(1).status, std::uint8_t(2));
                EXPECT_TRUE(o.faults.forFirmwareFrame(2).silent);
                EXPECT_EQ(o.faults.forFirmwareFrame(3).length, std::uint8_t(7));
                EXPECT_EQ(o.faults.forFirmwareFrame(4).delay, milliseconds(10));
                EXPECT_TRUE(o.faults.forFirmwareFrame(5).shortReply);
                EXPECT_TRUE(o.faults.forFirmwareFrame(6).garbage);
                EXPECT_TRUE(o.faults.forFirmwareFrame(7).hangUp);
                EXPECT_TRUE(o.faults.boot.empty());
            }},
        {{"--make-image", "SKYRELAY", "0x400", "out.bim"},
            [](const EmulatorOptions& o) {
                ASSERT_TRUE(o.makeImage);
                EXPECT_EQ(o.makeImage->model, "SKYRELAY");
                EXPECT_EQ(o.makeImage->bodySize, 0x400u);
                EXPECT_EQ(o.makeImage->path, "out.bim");
            }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        c.check(parsed(c.args));
    }
}

TEST(EmulatorOptions, RefusedLinesSayWhy) {
    const std::pair<Args, std::string> cases[] = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"--flash-out"}, "--flash-out needs a value"},
        {{"--model", "NOPE"}, "unknown model NOPE"},
        {{"--hardware-code", "0x100"}, "bad hardware code: 0x100"},
        {{"--baud", "4000001"}, "bad baud rate: 4000001"},
        {{"--latency", "0x"}, "bad delay: 0x"},
        {{"--silent", "-1"}, "bad frame number: -1"},
        {{"--delay", "3"}, "expected N:VALUE, got 3"},
        {{"--fw-delay", "3:600001"}, "bad delay: 600001"},
        {{"--fw-status", "1:256"}, "bad status: 256"},
        {{"--fw-length", "1:x"}, "bad length byte: x"},
        {{"--make-image", "SKYRELAY", "0x400"}, "--make-image needs MODEL SIZE FILE"},
        {{"--make-image", "NOPE", "1", "out.bim"}, "unknown model NOPE"},
        {{"--make-image", "SKYRELAY", "0x1000001", "out.bim"}, "bad image size: 0x1000001"},
    };
    for (const auto& [args, error] : cases) {
        ParsedOptions result = parseEmulatorOptions(args);
        EXPECT_FALSE(result.options) << testing::PrintToString(args);
        EXPECT_EQ(result.error, error) << testing::PrintToString(args);
    }
}

TEST(EmulatorOptions, EveryFaultCountsFramesFromOne) {
    for (const char* option : {"--refuse", "--silent", "--short", "--garbage", "--hangup", "--fw-silent", "--fw-short",
             "--fw-garbage", "--fw-hangup"}) {
        EXPECT_EQ(parseEmulatorOptions({option, "0"}).error, "frame numbers count from 1") << option;
    }
    for (const char* option : {"--delay", "--fw-status", "--fw-length", "--fw-delay"}) {
        EXPECT_EQ(parseEmulatorOptions({option, "0:1"}).error, "frame numbers count from 1") << option;
    }
}
