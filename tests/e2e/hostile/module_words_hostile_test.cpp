// Hostile words on the module updater's command line: huge words, bytes
// that are no UTF-8, port numbers out of range or no number, an empty
// address and one that does not resolve. Each run ends with status 0, no
// crash, nothing on standard output and exactly the result lines of the
// stage that the word spoils.
#include "module_rig.h"

#include <gtest/gtest.h>

using namespace module_e2e;
using test_support::ChildProcess;
using test_support::Deadline;

namespace {

const std::string kConnected = resultLine(0, 0, "Connected");
const std::string kVersionLine = resultLine(2, 0, "Current firmware version: WL-4.2.17");
const std::string kConnectionError = resultLine(0, -1, "Connection error!!!");

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

struct WordsCase {
    const char* what;
    // The words after the program name, given the emulator's TCP port.
    std::vector<std::string> (*words)(const std::string& port, const std::string& directory);
    std::vector<std::string> lines;
};

TEST(HostileWords, EachEndsWithTheLinesOfTheStageItSpoils) {
    static const std::string huge(100000, 'w');
    const std::vector<WordsCase> cases = {
        {"a huge FileIn path",
            [](const std::string& port, const std::string&) {
                return std::vector<std::string>{
                    "ConnectionType=Tcp", "RemoteAddress=127.0.0.1", "RemoteSocket=" + port, "FileIn=" + huge};
            },
            {kConnected, kVersionLine, resultLine(1, -1, "File not exists!!!")}},
        {"a huge unknown word",
            [](const std::string& port, const std::string&) {
                return std::vector<std::string>{huge, "ConnectionType=Tcp", "RemoteAddress=127.0.0.1",
                    "RemoteSocket=" + port, "FirmwareVersionGetOnly"};
            },
            {kConnected, kVersionLine}},
        // Words are read as UTF-8: the byte 0xff becomes U+FFFD and names
        // another file, and a connection word with it is no connection word.
        {"a FileIn path that is no UTF-8",
            [](const std::string& port, const std::string& directory) {
                return std::vector<std::string>{"ConnectionType=Tcp", "RemoteAddress=127.0.0.1", "RemoteSocket=" + port,
                    "FileIn=" + directory + "/fw\xff.bin"};
            },
            {kConnected, kVersionLine, resultLine(1, -1, "File not exists!!!")}},
        {"a connection word that is no UTF-8",
            [](const std::string& port, const std::string&) {
                return std::vector<std::string>{
                    "ConnectionType=Tcp\xff", "RemoteAddress=127.0.0.1", "RemoteSocket=" + port};
            },
            {resultLine(0, -1, "Unable to get connection type!!!")}},
        // Only the low 16 bits of the number make the port.
        {"RemoteSocket 65536 above the port",
            [](const std::string& port, const std::string&) {
                return std::vector<std::string>{"ConnectionType=Tcp", "RemoteAddress=127.0.0.1",
                    "RemoteSocket=" + std::to_string(std::stoi(port) + 65536), "FirmwareVersionGetOnly"};
            },
            {kConnected, kVersionLine}},
        {"RemoteSocket negative, 65536 below the port",
            [](const std::string& port, const std::string&) {
                return std::vector<std::string>{"ConnectionType=Tcp", "RemoteAddress=127.0.0.1",
                    "RemoteSocket=" + std::to_string(std::stoi(port) - 65536), "FirmwareVersionGetOnly"};
            },
            {kConnected, kVersionLine}},
        {"RemoteSocket that is no number",
            [](const std::string&, const std::string&) {
                return std::vector<std::string>{"ConnectionType=Tcp", "RemoteAddress=127.0.0.1", "RemoteSocket=80x"};
            },
            {kConnectionError}},
        {"RemoteSocket beyond int",
            [](const std::string&, const std::string&) {
                return std::vector<std::string>{
                    "ConnectionType=Tcp", "RemoteAddress=127.0.0.1", "RemoteSocket=99999999999999999999"};
            },
            {kConnectionError}},
        {"an empty RemoteAddress",
            [](const std::string& port, const std::string&) {
                return std::vector<std::string>{"ConnectionType=Tcp", "RemoteAddress=", "RemoteSocket=" + port};
            },
            {kConnectionError}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ModuleRig rig;
        rig.startModule(Link::Tcp);
        rig.writeFirmware("fw\xff.bin", "firmware");
        const std::string directory = rig.path("");
        const UpdaterRun run = rig.runUpdater(c.words(rig.address(), directory.substr(0, directory.size() - 1)), 20s);
        expectResultLines(run, c.lines);
    }
}

TEST(HostileWords, HugeAndNonUtf8PortNamesDoNotOpen) {
    for (const std::string& name : {std::string(100000, 'p'), std::string("pts/\xff\xfe")}) {
        ModuleRig rig;
        const UpdaterRun run = rig.runUpdater({"ConnectionType=ComPort", "ComPort=" + name}, 20s);
        expectResultLines(run, {resultLine(0, -1, "Unable to open serial port!!!")});
    }
}

TEST(HostileWords, AHostNameThatDoesNotResolveIsAConnectionError) {
    // The look-up runs in a network namespace of its own, with nothing but
    // a loopback that is down, so no query can leave the machine.
    ChildProcess probe({{"unshare", "--net", "true"}, "", {}});
    if (!probe.waitForExit(Deadline(5s)).exitedWith(0)) GTEST_SKIP() << "cannot make a network namespace here";
    ChildProcess updater(
        {{"unshare", "--net", MODULEFLASH, "ConnectionType=Tcp", "RemoteAddress=module.invalid", "RemoteSocket=3000"},
            "", {}});
    const auto status = updater.waitForExit(Deadline(20s));
    EXPECT_TRUE(status.exitedWith(0)) << status.describe();
    EXPECT_EQ(updater.output(), "");
    EXPECT_EQ(splitLines(updater.errorOutput()), std::vector<std::string>{kConnectionError});
}

}  // namespace
