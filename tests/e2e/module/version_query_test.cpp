// Runs that stop after the version: FirmwareVersionGetOnly with a plain
// module, with one that demands checksums, with a version reply whose
// checksum is wrong (reported, but the query still succeeds), and with
// replies that look like the error that asks for checksums but are not it.
#include "module_rig.h"

#include <gtest/gtest.h>

namespace module_e2e {
namespace {

struct VersionCase {
    const char* name;
    Link link;
    std::vector<std::string> moduleOptions;
    std::vector<std::string> linesAfterConnection;
    std::vector<std::string> commands;
};

class VersionOnly : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionOnly, WritesTheVersionAndTouchesNothingElse) {
    const VersionCase& c = GetParam();
    ModuleRig rig;
    rig.startModule(c.link, c.moduleOptions);
    // The file is never looked at: a missing one draws no line.
    const UpdaterRun run = rig.runUpdate({"FirmwareVersionGetOnly", "FileIn=" + rig.path("absent.bin")});
    rig.expectModuleEnded();

    std::vector<std::string> lines = {resultLine(0, 0, c.link == Link::Serial ? "Serial port open" : "Connected")};
    lines.insert(lines.end(), c.linesAfterConnection.begin(), c.linesAfterConnection.end());
    expectResultLines(run, lines);
    EXPECT_EQ(rig.commandsReceived(), c.commands);
    EXPECT_EQ(rig.firmwareReceived(), "");
}

// "WL-4.2.17" sums to 250 (mod 256); the faulty reply carries 251.
INSTANTIATE_TEST_SUITE_P(Modules, VersionOnly,
    testing::Values(VersionCase{"SerialPlainModule", Link::Serial, {},
                        {resultLine(2, 0, "Current firmware version: WL-4.2.17")}, {"atFirmwareVersionGet"}},
        VersionCase{"TcpVersionTrimmed", Link::Tcp, {"--version", " \tWL-5.0 beta\r"},
            {resultLine(2, 0, "Current firmware version: WL-5.0 beta")}, {"atFirmwareVersionGet"}},
        VersionCase{"SerialChecksumRequired", Link::Serial, {"--checksum-required"},
            {resultLine(2, 0, "Current firmware version: WL-4.2.17")},
            {"atFirmwareVersionGet", "atFirmwareVersionGet024"}},
        VersionCase{"TcpBadChecksumOnVersion", Link::Tcp, {"--checksum-required", "--bad-checksum", "2"},
            {resultLine(7, 0, "Binary parse, Crc ERROR, crc is: 251, should be: 250"),
                resultLine(2, 0, "Current firmware version: WL-4.2.17251")},
            {"atFirmwareVersionGet", "atFirmwareVersionGet024"}},
        // Blanks and a carriage return around the error still mean "send again
        // with a checksum", once.
        VersionCase{"TcpSpacedErrorWithCrLf", Link::Tcp, {"--checksum-required", "--reply", "1: ERROR138 \\x0d"},
            {resultLine(2, 0, "Current firmware version: WL-4.2.17")},
            {"atFirmwareVersionGet", "atFirmwareVersionGet024"}},
        VersionCase{"SerialLowerCaseErrorIsTheVersion", Link::Serial, {"--reply", "1:error138"},
            {resultLine(2, 0, "Current firmware version: error138")}, {"atFirmwareVersionGet"}},
        VersionCase{"TcpLongerErrorIsTheVersion", Link::Tcp, {"--reply", "1:ERROR1380"},
            {resultLine(2, 0, "Current firmware version: ERROR1380")}, {"atFirmwareVersionGet"}},
        // The answer to the resend is not tested again: with its checksum
        // stripped it is the version.
        VersionCase{"TcpErrorAnsweringTheResend", Link::Tcp, {"--checksum-required", "--reply", "2:ERROR138"},
            {resultLine(2, 0, "Current firmware version: ERROR138")},
            {"atFirmwareVersionGet", "atFirmwareVersionGet024"}}),
    [](const testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace module_e2e
