// The module updater under every fault at every command of a run over TCP:
// a 5000-byte file in 2048-byte chunks makes 11 commands (version, checksum
// mode, initialise, three buffer-sets each followed by its chunk, end,
// restart). Each where is one test whose eight fault cells run side by side,
// as separate emulator and updater pairs, so the cells that wait out the
// updater's 51 reply waits cost that wait once. Every cell must end with
// status 0, no signal, within its time-out, and with exactly the result
// lines the protocol gives: the lines of the stages before, then that
// stage's failure line (a fault the protocol tolerates: the full run). A
// flood of 256 MiB without a line feed must leave the updater small.
#include "module_rig.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace module_e2e;
using test_support::ChildProcess;
using test_support::Deadline;
using test_support::ExitStatus;

namespace {

constexpr std::size_t kFileSize = 5000;
constexpr std::size_t kChunkSize = 2048;  // TCP
constexpr std::size_t kChunkCount = (kFileSize + kChunkSize - 1) / kChunkSize;
// Far above what the updater needs (about 12 MiB, 30 MiB with the
// sanitizers) and well below what it holds when it keeps all it is sent:
// such a reader takes over 110 MiB of the flood before its waits run out.
constexpr long kPeakRssBoundKb = 64 * 1024;
// What the updater waits for a reply line: 51 waits of 100 ms.
constexpr auto kReplyTimeOut = 5100ms;

enum class Stage { version, checksumMode, initialise, bufferSet, chunk, end, restart };

struct Where {
    std::string name;
    Stage stage;
    std::size_t chunk;  // for bufferSet and chunk: which one, from 0
};

// Commands in the order the module receives them, numbered from 1.
std::vector<Where> commandsOfARun() {
    std::vector<Where> all = {
        {"Version", Stage::version, 0}, {"ChecksumMode", Stage::checksumMode, 0}, {"Initialise", Stage::initialise, 0}};
    const char* names[] = {"First", "Middle", "Last"};
    static_assert(kChunkCount == 3, "one first, one middle and one last chunk");
    for (std::size_t i = 0; i < kChunkCount; ++i) {
        all.push_back({std::string("BufferSet") + names[i], Stage::bufferSet, i});
        all.push_back({std::string("Chunk") + names[i], Stage::chunk, i});
    }
    all.push_back({"End", Stage::end, 0});
    all.push_back({"Restart", Stage::restart, 0});
    return all;
}

std::string checksumDigits(unsigned sum) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%03u", sum % 256);
    return digits;
}

unsigned byteSum(const std::string& text) {
    unsigned sum = 0;
    for (unsigned char c : text) sum += c;
    return sum % 256;
}

const std::string kVersion = "WL-4.2.17";
// A reply holding a quote, a line feed and a NUL: the updater reads up to the
// NUL; the debug stream escapes the quote and the line feed.
const std::string kOddReplyOption = "N\"O\\nK\\x00Z";
const std::string kOddReplyShown = "N\\\"O\\nK";

std::vector<std::string> successLines(const std::string& versionShown) {
    std::vector<std::string> lines = {resultLine(0, 0, "Connected"),
        resultLine(2, 0, "Current firmware version: " + versionShown),
        resultLine(1, 0, "File in size: " + std::to_string(kFileSize)), resultLine(3, 0, "Crc enabled correctly"),
        resultLine(5, 0, "Firmware upload initialized correctly")};
    std::size_t remaining = kFileSize;
    for (std::size_t i = 0; i < kChunkCount; ++i) {
        remaining -= std::min(remaining, kChunkSize);
        lines.push_back(resultLine(6, int(remaining), "Firmware packet sent, remaining: " + std::to_string(remaining)));
    }
    lines.push_back(resultLine(4, 0, "Firmware confirmed from device"));
    lines.push_back(resultLine(8, 0, "Device restarted correctly"));
    return lines;
}

// The success lines a run writes before the stage of `where` reports.
std::vector<std::string> linesBefore(const Where& where) {
    std::vector<std::string> all = successLines(kVersion);
    std::size_t count = 0;
    switch (where.stage) {
    case Stage::version: count = 1; break;
    case Stage::checksumMode: count = 3; break;
    case Stage::initialise: count = 4; break;
    case Stage::bufferSet:
    case Stage::chunk: count = 5 + where.chunk; break;
    case Stage::end: count = 5 + kChunkCount; break;
    case Stage::restart: count = 6 + kChunkCount; break;
    }
    return {all.begin(), all.begin() + long(count)};
}

// The failure line of the stage; `reply` is what a chunk's line quotes.
std::string failureLine(const Where& where, const std::string& reply) {
    switch (where.stage) {
    case Stage::version: return resultLine(2, -1, "Unable to get current firmware version!!!");
    case Stage::checksumMode: return resultLine(3, -1, "Unable to enable crc!!!");
    case Stage::initialise: return resultLine(5, -1, "Unable to initialize firmware upload!!!");
    case Stage::bufferSet: return resultLine(6, -1, "Unable to set buffer size!!!");
    case Stage::chunk: return resultLine(6, -1, "Unable to send firmware packet!!! " + reply);
    case Stage::end: return resultLine(4, -1, "Firmware get firmware confirmation!!!");
    case Stage::restart: return resultLine(8, -1, "Unable to restart the device!!!");
    }
    return {};
}

enum class Fault { notOk, badChecksum, pieces, oddBytes, closeMidReply, silent, noNewline, flood };

struct FaultCell {
    const char* name;
    Fault fault;
    std::vector<std::string> options;  // the emulator options, for command k
    bool timesOut;                     // ends only when the updater's reply waits run out
};

std::vector<FaultCell> cellsAt(unsigned k) {
    const std::string n = std::to_string(k);
    return {
        {"NotOk", Fault::notOk, {"--reply", n + ":ERROR"}, false},
        {"BadChecksum", Fault::badChecksum, {"--bad-checksum", n}, false},
        {"Pieces", Fault::pieces, {"--fragment-reply", n}, false},
        {"OddBytes", Fault::oddBytes, {"--reply", n + ":" + kOddReplyOption}, false},
        {"CloseMidReply", Fault::closeMidReply, {"--close-mid-reply", n}, false},
        {"Silent", Fault::silent, {"--silent", n}, true},
        {"NoNewline", Fault::noNewline, {"--no-newline", n}, true},
        {"Flood", Fault::flood, {"--flood", n}, true},
    };
}

// The result lines the protocol gives for a fault at `where`.
std::vector<std::string> expectedLines(const Where& where, Fault fault) {
    // The version is any text, and in plain mode unchecked: a reply the
    // other commands refuse is the version there.
    if (where.stage == Stage::version) {
        switch (fault) {
        case Fault::notOk: return successLines("ERROR");
        case Fault::badChecksum: return successLines(kVersion + checksumDigits(byteSum(kVersion) + 1));
        case Fault::oddBytes: return successLines(kOddReplyShown);
        default: break;
        }
    }
    if (fault == Fault::pieces) return successLines(kVersion);
    std::vector<std::string> lines = linesBefore(where);
    std::string quoted;  // what a failed chunk's line quotes
    switch (fault) {
    case Fault::notOk: quoted = "ERROR"; break;
    case Fault::oddBytes: quoted = kOddReplyShown; break;
    case Fault::badChecksum:
        lines.push_back(resultLine(7, 0, "Binary parse, Crc ERROR, crc is: 155, should be: 154"));
        quoted = "OK155";
        break;
    default: break;  // no reply line was read: the quote is empty
    }
    lines.push_back(failureLine(where, quoted));
    return lines;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

struct CellRun {
    FaultCell cell;
    ModuleRig rig;
    std::unique_ptr<ChildProcess> updater;
    std::unique_ptr<Deadline> started;
};

class ModuleFault : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ModuleFault, EachFaultEndsTheRunAsTheProtocolSays) {
    const Where where = commandsOfARun().at(GetParam());
    const unsigned command = unsigned(GetParam() + 1);
    const std::string firmware = firmwareOfSize(kFileSize);

    std::vector<std::unique_ptr<CellRun>> runs;
    for (FaultCell& cell : cellsAt(command)) {
        auto run = std::make_unique<CellRun>();
        run->cell = std::move(cell);
        run->rig.startModule(Link::Tcp, run->cell.options);
        const std::string file = run->rig.writeFirmware("firmware.bin", firmware);
        std::vector<std::string> argv{MODULEFLASH};
        for (const std::string& word : run->rig.connectionWords()) argv.push_back(word);
        argv.push_back("FileIn=" + file);
        run->started = std::make_unique<Deadline>(20s);
        run->updater = std::make_unique<ChildProcess>(test_support::LaunchPlan{argv, "", {}});
        runs.push_back(std::move(run));
    }
    // The cells that time out come last, so the quick ones are timed alone.
    for (auto& run : runs) {
        SCOPED_TRACE(where.name + "_" + run->cell.name);
        const ExitStatus status = run->updater->waitForExit(*run->started);
        const auto elapsed = run->started->elapsed();
        EXPECT_TRUE(status.exitedWith(0)) << status.describe();
        EXPECT_EQ(run->updater->output(), "");
        EXPECT_EQ(splitLines(run->updater->errorOutput()), expectedLines(where, run->cell.fault))
            << "emulator log:\n"
            << run->rig.moduleLog();
        if (run->cell.timesOut && run->cell.fault != Fault::flood) {
            EXPECT_GE(elapsed, kReplyTimeOut - 200ms);
        }
        EXPECT_LT(elapsed, kReplyTimeOut + 5s);
        EXPECT_LT(status.peakRssKb, kPeakRssBoundKb) << "peak resident memory " << status.peakRssKb << " KiB";
        RecordProperty(std::string(run->cell.name) + "_peakRssKb", std::to_string(status.peakRssKb));
        if (run->cell.fault == Fault::pieces) {
            run->rig.expectModuleEnded();
            EXPECT_TRUE(run->rig.firmwareReceived() == firmware) << "the module's copy differs";
        }
    }
}

std::string whereName(const ::testing::TestParamInfo<std::size_t>& info) {
    return commandsOfARun().at(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Commands, ModuleFault, ::testing::Range<std::size_t>(0, commandsOfARun().size()), whereName);

TEST(ModuleFlood, OnTheSerialLineTheUpdaterStaysSmallToo) {
    ModuleRig rig;
    rig.startModule(Link::Serial, {"--flood", "5"});  // the first chunk
    const std::string file = rig.writeFirmware("firmware.bin", firmwareOfSize(kFileSize));
    std::vector<std::string> argv{MODULEFLASH};
    for (const std::string& word : rig.connectionWords()) argv.push_back(word);
    argv.push_back("FileIn=" + file);
    ChildProcess updater(test_support::LaunchPlan{argv, "", {}});
    const ExitStatus status = updater.waitForExit(Deadline(20s));
    EXPECT_TRUE(status.exitedWith(0)) << status.describe();
    const auto lines = splitLines(updater.errorOutput());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), resultLine(6, -1, "Unable to send firmware packet!!! "));
    EXPECT_LT(status.peakRssKb, kPeakRssBoundKb);
    RecordProperty("peakRssKb", std::to_string(status.peakRssKb));
    rig.expectModuleEnded();
}

}  // namespace
