// Complete updates: the result lines, the commands the module received and
// the firmware it reassembled, over both links and for the sizes that shape
// the chunking.
#include "module_rig.h"

#include <gtest/gtest.h>

namespace module_e2e {
namespace {

struct Course {
    const char* name;
    Link link;
    std::size_t fileSize;
    std::vector<std::string> moduleOptions;
    std::vector<int> remaining;  // the value of each packet line
};

std::string connectedLine(Link link) {
    return link == Link::Serial ? resultLine(0, 0, "Serial port open") : resultLine(0, 0, "Connected");
}

std::vector<std::string> successLines(Link link, std::size_t size, const std::vector<int>& remaining) {
    std::vector<std::string> lines = {
        connectedLine(link),
        resultLine(2, 0, "Current firmware version: WL-4.2.17"),
        resultLine(1, 0, "File in size: " + std::to_string(size)),
        resultLine(3, 0, "Crc enabled correctly"),
        resultLine(5, 0, "Firmware upload initialized correctly"),
    };
    for (int left : remaining)
        lines.push_back(resultLine(6, left, "Firmware packet sent, remaining: " + std::to_string(left)));
    lines.push_back(resultLine(4, 0, "Firmware confirmed from device"));
    lines.push_back(resultLine(8, 0, "Device restarted correctly"));
    return lines;
}

// The upload as the module must see it, the chunks cut where the packet
// lines say they end.
std::vector<std::string> uploadCommands(const std::string& firmware, const std::vector<int>& remaining) {
    std::vector<std::string> commands = {withChecksum("atOTAFirmwareInitialize")};
    std::size_t offset = 0;
    for (int left : remaining) {
        const std::size_t length = firmware.size() - std::size_t(left) - offset;
        commands.push_back(withChecksum("atOTAFirmwareBufferSet=" + std::to_string(length)));
        commands.push_back(chunkEntry(firmware.substr(offset, length)));
        offset += length;
    }
    commands.push_back(withChecksum("atOTAFirmwareEnd"));
    commands.push_back(withChecksum("atRestartSet"));
    return commands;
}

class UpdateCourse : public testing::TestWithParam<Course> {};

TEST_P(UpdateCourse, DeliversTheFileAndReportsEveryStage) {
    const Course& course = GetParam();
    ModuleRig rig;
    rig.startModule(course.link, course.moduleOptions);
    const std::string firmware = firmwareOfSize(course.fileSize);
    const std::string file = rig.writeFirmware("fw.bin", firmware);

    const UpdaterRun run = rig.runUpdate({"FileIn=" + file});
    rig.expectModuleEnded();

    expectResultLines(run, successLines(course.link, course.fileSize, course.remaining));
    EXPECT_EQ(rig.firmwareReceived(), firmware);
    std::vector<std::string> commands = {"atFirmwareVersionGet", "atCrcEnabledSet=true"};
    const auto upload = uploadCommands(firmware, course.remaining);
    commands.insert(commands.end(), upload.begin(), upload.end());
    EXPECT_EQ(rig.commandsReceived(), commands);
}

INSTANTIATE_TEST_SUITE_P(Files, UpdateCourse,
    testing::Values(Course{"SerialThreeKilobytes", Link::Serial, 3000, {}, {1976, 952, 0}},
        Course{"TcpThreeKilobytes", Link::Tcp, 3000, {}, {952, 0}},
        Course{"TcpExactMultipleOfChunk", Link::Tcp, 4096, {}, {2048, 0}},
        Course{"SerialOneByte", Link::Serial, 1, {}, {0}}, Course{"TcpEmptyFile", Link::Tcp, 0, {}, {}},
        Course{"SerialFragmentedReplies", Link::Serial, 3000, {"--fragment"}, {1976, 952, 0}},
        Course{"TcpFragmentedReplies", Link::Tcp, 3000, {"--fragment"}, {952, 0}}),
    [](const testing::TestParamInfo<Course>& info) { return std::string(info.param.name); });

// A module that takes only checksummed commands: the plain query draws
// "ERROR138", the query goes again with its checksum, and the switch to
// checksum mode is not sent.
TEST(ChecksumRequiredModule, QueryIsResentWithChecksumAndModeSwitchIsSkipped) {
    ModuleRig rig;
    rig.startModule(Link::Tcp, {"--checksum-required"});
    const std::string firmware = firmwareOfSize(3000);
    const UpdaterRun run = rig.runUpdate({"FileIn=" + rig.writeFirmware("fw.bin", firmware)});
    rig.expectModuleEnded();

    expectResultLines(run, successLines(Link::Tcp, 3000, {952, 0}));
    EXPECT_EQ(rig.firmwareReceived(), firmware);
    std::vector<std::string> commands = {"atFirmwareVersionGet", "atFirmwareVersionGet024"};
    const auto upload = uploadCommands(firmware, {952, 0});
    commands.insert(commands.end(), upload.begin(), upload.end());
    EXPECT_EQ(rig.commandsReceived(), commands);
    EXPECT_NE(rig.moduleLog().find("#1 atFirmwareVersionGet -> ERROR138\\n"), std::string::npos) << rig.moduleLog();
}

// The module drops a connection that does not begin with the signature, so
// this run also shows that nothing goes before it and nothing between it and
// the first command.
TEST(TcpSignature, ComesFirstAndAloneBeforeTheFirstCommand) {
    ModuleRig rig;
    rig.startModule(Link::Tcp);
    const UpdaterRun run = rig.runUpdate({"FirmwareVersionGetOnly"});
    rig.expectModuleEnded();

    expectResultLines(run, {resultLine(0, 0, "Connected"), resultLine(2, 0, "Current firmware version: WL-4.2.17")});
    const std::string log = rig.moduleLog();
    EXPECT_EQ(log.rfind("module-emulator: signature accepted\nmodule-emulator: #1 atFirmwareVersionGet ->", 0), 0u)
        << log;
}

// A path is everything after the first "=" of the FileIn word.
TEST(FileInWord, PathContainingAnEqualsSignIsKeptWhole) {
    ModuleRig rig;
    rig.startModule(Link::Tcp);
    const std::string firmware = firmwareOfSize(100);
    const std::string file = rig.writeFirmware("build=7.bin", firmware);
    const UpdaterRun run = rig.runUpdate({"FileIn=" + file});
    rig.expectModuleEnded();

    expectResultLines(run, successLines(Link::Tcp, 100, {0}));
    EXPECT_EQ(rig.firmwareReceived(), firmware);
}

}  // namespace
}  // namespace module_e2e
