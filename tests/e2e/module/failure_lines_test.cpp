// Every failure of the update: the lines up to and including the failure
// line, nothing after it, and no command sent past the failed one. Faults
// come from the emulator's options; commands are numbered from 1 as the
// module receives them (on TCP a 3000-byte file goes as: 1 version, 2 crc,
// 3 initialise, 4 size, 5 chunk, 6 size, 7 chunk, 8 end, 9 restart; on the
// serial link one more size and chunk pair comes before the end).
#include "module_rig.h"

#include <gtest/gtest.h>

namespace module_e2e {
namespace {

enum class FileArg { Firmware, Absent, NoWord, Directory };

struct FailureCase {
    const char* name;
    Link link;
    std::vector<std::string> moduleOptions;
    FileArg file;
    std::vector<std::string> lines;
    std::size_t commandsSent;
    bool moduleSilent;  // the updater gives up waiting for a reply
};

const std::string serialOpen = resultLine(0, 0, "Serial port open");
const std::string connected = resultLine(0, 0, "Connected");
const std::string version = resultLine(2, 0, "Current firmware version: WL-4.2.17");
const std::string fileSize = resultLine(1, 0, "File in size: 3000");
const std::string crcOn = resultLine(3, 0, "Crc enabled correctly");
const std::string initialised = resultLine(5, 0, "Firmware upload initialized correctly");
std::string packet(int left) { return resultLine(6, left, "Firmware packet sent, remaining: " + std::to_string(left)); }
const std::string okWithBadChecksum = resultLine(7, 0, "Binary parse, Crc ERROR, crc is: 155, should be: 154");

class UpdateFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(UpdateFailure, EndsTheRunWithItsLine) {
    const FailureCase& c = GetParam();
    ModuleRig rig;
    rig.startModule(c.link, c.moduleOptions);
    std::vector<std::string> words;
    switch (c.file) {
    case FileArg::Firmware: words.push_back("FileIn=" + rig.writeFirmware("fw.bin", firmwareOfSize(3000))); break;
    case FileArg::Absent: words.push_back("FileIn=" + rig.path("absent.bin")); break;
    case FileArg::Directory: words.push_back("FileIn=" + rig.path("")); break;
    case FileArg::NoWord: break;
    }

    const UpdaterRun run = rig.runUpdate(words);
    rig.expectModuleEnded();

    expectResultLines(run, c.lines);
    EXPECT_EQ(rig.commandsReceived().size(), c.commandsSent);
    if (c.moduleSilent) {
        // About 5.1 s of waiting for the reply line; a bound, not a speed.
        EXPECT_GE(run.elapsed, 4s);
        EXPECT_LT(run.elapsed, 9s);
    }
}

INSTANTIATE_TEST_SUITE_P(Stages, UpdateFailure,
    testing::Values(FailureCase{"VersionQueryUnanswered", Link::Serial, {"--silent", "1"}, FileArg::Firmware,
                        {serialOpen, resultLine(2, -1, "Unable to get current firmware version!!!")}, 1, true},
        FailureCase{"VersionResendUnanswered", Link::Tcp, {"--checksum-required", "--silent", "2"}, FileArg::Firmware,
            {connected, resultLine(2, -1, "Unable to get current firmware version!!!")}, 2, true},
        FailureCase{"FileMissing", Link::Tcp, {}, FileArg::Absent,
            {connected, version, resultLine(1, -1, "File not exists!!!")}, 1, false},
        FailureCase{"NoFileInWord", Link::Serial, {}, FileArg::NoWord,
            {serialOpen, version, resultLine(1, -1, "File not exists!!!")}, 1, false},
        FailureCase{"FileUnreadable", Link::Tcp, {}, FileArg::Directory,
            {connected, version, resultLine(1, -1, "Unable to open file!!!")}, 1, false},
        FailureCase{"CrcConfirmedWithoutChecksum", Link::Tcp, {"--plain-crc-ok"}, FileArg::Firmware,
            {connected, version, fileSize, resultLine(3, -1, "Unable to enable crc!!!")}, 2, false},
        FailureCase{"CrcUnanswered", Link::Serial, {"--silent", "2"}, FileArg::Firmware,
            {serialOpen, version, fileSize, resultLine(3, -1, "Unable to enable crc!!!")}, 2, true},
        FailureCase{"CrcConfirmationBadChecksum", Link::Tcp, {"--bad-checksum", "2"}, FileArg::Firmware,
            {connected, version, fileSize, okWithBadChecksum, resultLine(3, -1, "Unable to enable crc!!!")}, 2, false},
        FailureCase{"InitialiseRefused", Link::Tcp, {"--reply", "3:ERROR"}, FileArg::Firmware,
            {connected, version, fileSize, crcOn, resultLine(5, -1, "Unable to initialize firmware upload!!!")}, 3,
            false},
        FailureCase{"InitialiseBadChecksum", Link::Serial, {"--bad-checksum", "3"}, FileArg::Firmware,
            {serialOpen, version, fileSize, crcOn, okWithBadChecksum,
                resultLine(5, -1, "Unable to initialize firmware upload!!!")},
            3, false},
        FailureCase{"BufferSetRefused", Link::Tcp, {"--reply", "4:ERROR143"}, FileArg::Firmware,
            {connected, version, fileSize, crcOn, initialised, resultLine(6, -1, "Unable to set buffer size!!!")}, 4,
            false},
        FailureCase{"ChunkRefusedWithQuotes", Link::Serial, {"--reply", "7:busy \"flash\""}, FileArg::Firmware,
            {serialOpen, version, fileSize, crcOn, initialised, packet(1976),
                resultLine(6, -1, "Unable to send firmware packet!!! busy \\\"flash\\\"")},
            7, false},
        FailureCase{"ChunkRefusedOverTwoLines", Link::Tcp, {"--reply", "5:NO\\nWAY"}, FileArg::Firmware,
            {connected, version, fileSize, crcOn, initialised,
                resultLine(6, -1, "Unable to send firmware packet!!! NO\\nWAY")},
            5, false},
        FailureCase{"ChunkBadChecksum", Link::Tcp, {"--bad-checksum", "5"}, FileArg::Firmware,
            {connected, version, fileSize, crcOn, initialised, okWithBadChecksum,
                resultLine(6, -1, "Unable to send firmware packet!!! OK155")},
            5, false},
        FailureCase{"ChunkUnanswered", Link::Tcp, {"--silent", "5"}, FileArg::Firmware,
            {connected, version, fileSize, crcOn, initialised, resultLine(6, -1, "Unable to send firmware packet!!! ")},
            5, true},
        FailureCase{"EndRefused", Link::Tcp, {"--reply", "8:ERROR"}, FileArg::Firmware,
            {connected, version, fileSize, crcOn, initialised, packet(952), packet(0),
                resultLine(4, -1, "Firmware get firmware confirmation!!!")},
            8, false},
        FailureCase{"RestartRefused", Link::Serial, {"--reply", "11:ERROR"}, FileArg::Firmware,
            {serialOpen, version, fileSize, crcOn, initialised, packet(1976), packet(952), packet(0),
                resultLine(4, 0, "Firmware confirmed from device"),
                resultLine(8, -1, "Unable to restart the device!!!")},
            11, false}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace module_e2e
