// The command line: what the lines a test or a technician writes set, and the
// complaint each refused line gets.
#include "emulator_options.h"

#include <gtest/gtest.h>

#include <functional>

using namespace module_emulator;
using namespace std::chrono;

namespace {

using Args = std::vector<std::string>;

// A line that parses, and what it must have set.
struct GoodLine {
    Args args;
    std::function<void(const EmulatorOptions&)> check;
};

ParsedOptions parse(const Args& args) {
    std::vector<const char*> argv{"module-emulator"};
    for (const auto& arg : args) argv.push_back(arg.c_str());
    return parseOptions(int(argv.size()), argv.data());
}

}  // namespace

TEST(EmulatorOptions, GoodLinesSetWhatTheySay) {
    const GoodLine cases[] = {
        {{"--tcp"},
            [](const EmulatorOptions& o) {
                EXPECT_EQ(o.transport, Transport::Tcp);
                EXPECT_EQ(o.port, 0);
                EXPECT_EQ(o.listenAddress, "127.0.0.1");
                EXPECT_FALSE(o.timing.paced());
            }},
        // The transport is settled after the whole line, so it may come last.
        {{"--port", "65535", "--listen", "0.0.0.0", "--tcp"},
            [](const EmulatorOptions& o) {
                EXPECT_EQ(o.transport, Transport::Tcp);
                EXPECT_EQ(o.port, 65535);
                EXPECT_EQ(o.listenAddress, "0.0.0.0");
            }},
        {{"--pty", "--baud", "115200", "--latency", "60000", "--version", "WL-9", "--checksum-required",
             "--plain-crc-ok", "--firmware-out", "fw.bin", "--command-log", "commands.txt", "--fragment"},
            [](const EmulatorOptions& o) {
                EXPECT_EQ(o.transport, Transport::Pty);
                EXPECT_EQ(o.timing.baud, 115200u);
                EXPECT_EQ(o.timing.replyLatency, milliseconds(60000));
                EXPECT_EQ(o.module.version, "WL-9");
                EXPECT_TRUE(o.module.checksumRequired);
                EXPECT_TRUE(o.module.plainCrcOk);
                EXPECT_EQ(o.firmwareOut, "fw.bin");
                EXPECT_EQ(o.commandLog, "commands.txt");
                EXPECT_TRUE(o.pacing.fragment);
            }},
        {{"--tcp", "--silent", "1", "--bad-checksum", "2", "--reply", "3:OK\\nX", "--fragment-reply", "4",
             "--no-newline", "5", "--close-mid-reply", "6", "--flood", "7"},
            [](const EmulatorOptions& o) {
                const auto fault = [&](unsigned command) {
                    return o.faults.find(command) ? *o.faults.find(command) : ReplyFault{};
                };
                EXPECT_TRUE(fault(1).silent);
                EXPECT_TRUE(fault(2).badChecksum);
                EXPECT_EQ(fault(3).replacement, std::string("OK\nX"));
                EXPECT_TRUE(fault(4).fragment);
                EXPECT_TRUE(fault(5).noNewline);
                EXPECT_TRUE(fault(6).closeMidReply);
                EXPECT_TRUE(fault(7).flood);
                EXPECT_EQ(o.faults.find(8), nullptr);
            }},
    };
    for (const GoodLine& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ParsedOptions result = parse(c.args);
        ASSERT_TRUE(result.options) << result.error;
        c.check(*result.options);
    }
}

TEST(EmulatorOptions, RefusedLinesSayWhy) {
    const std::pair<Args, std::string> cases[] = {
        {{}, "choose exactly one of --tcp and --pty"},
        {{"--tcp", "--pty"}, "choose exactly one of --tcp and --pty"},
        {{"--pty", "--port", "5"}, "--port needs --tcp"},
        {{"--pty", "--listen", "10.0.0.1"}, "--listen needs --tcp"},
        {{"--tcp", "--bogus"}, "unknown option: --bogus"},
        {{"--tcp", "--version"}, "--version needs a value"},
        {{"--tcp", "--port", "65536"}, "invalid value for --port: 65536"},
        {{"--tcp", "--baud", "0x10"}, "invalid value for --baud: 0x10"},
        {{"--tcp", "--latency", "60001"}, "invalid value for --latency: 60001"},
        {{"--tcp", "--reply", "3"}, "invalid value for --reply: 3"},
        {{"--tcp", "--reply", "0:OK"}, "invalid value for --reply: 0:OK"},
        {{"--tcp", "--reply", "3:bad\\q"}, "invalid value for --reply: 3:bad\\q"},
        {{"--tcp", "--flood", "1000000001"}, "invalid value for --flood: 1000000001"},
    };
    for (const auto& [args, error] : cases) {
        const ParsedOptions result = parse(args);
        EXPECT_FALSE(result.options) << testing::PrintToString(args);
        EXPECT_EQ(result.error, error) << testing::PrintToString(args);
    }
}

TEST(EmulatorOptions, EveryFaultCountsCommandsFromOne) {
    for (const std::string option :
        {"--silent", "--bad-checksum", "--fragment-reply", "--no-newline", "--close-mid-reply", "--flood"}) {
        EXPECT_EQ(parse({"--tcp", option, "0"}).error, "invalid value for " + option + ": 0");
    }
}
