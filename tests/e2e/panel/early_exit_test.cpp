// Every way the run ends before the first phase: the message on the console,
// the wait for a key (none for a cancelled pick), exit status 0, and the
// terminal's settings back as they were.
#include "panel_rig.h"

#include "file_io.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace panel_e2e;

namespace {

struct EarlyExit {
    const char* situation;
    std::vector<std::string> args;  // "PORT" stands for the emulator's port
    std::string pick;               // empty: the run ends before the pick
    std::string message;            // "PORT" as in args
    bool waitsForKey = true;
};

std::string withPort(std::string text, const std::string& port) {
    auto at = text.find("PORT");
    return at == std::string::npos ? text : text.replace(at, 4, port);
}

}  // namespace

TEST(EarlyExit, EachRefusalShowsItsMessageWaitsForAKeyAndEndsWithZero) {
    PanelRig rig;
    rig.makeImage("KALDOR64", kMainPartSize, "kaldor64.bim");
    rig.makeImage("KALDOR640", 0x6E001, "misaligned.bim");
    rig.makeImage("KALDOR640", 0x6F000, "odd-size.bim");
    test_support::writeFile(rig.path("short.bim"), "Norvel Controls");
    rig.startPanel({});
    const std::string longName(28, 'x');

    const std::vector<EarlyExit> rows = {
        {"no arguments", {}, "", "Error: system control\n"},
        {"one argument", {"KALDOR640"}, "", "Error: system control\n"},
        {"model in lower case", {"kaldor640", "PORT"}, "", "Error: system control\n"},
        {"port that does not exist", {"KALDOR640", "ttyNOSUCH7"}, "", "Error: Impossible open /dev/ttyNOSUCH7\n"},
        {"port name too long", {"KALDOR640", longName}, "", "Error: Impossible open /dev/" + longName + "\n"},
        {"cancelled pick", {"KALDOR640", "PORT"}, "\r", "", false},
        {"file that cannot be opened", {"KALDOR640", "PORT"}, "missing.bim\r", "Error: Impossible open missing.bim\n"},
        {"image of another model", {"KALDOR640", "PORT"}, "kaldor64.bim\r", "Error: File not valid kaldor64.bim\n"},
        {"file shorter than a header", {"KALDOR640", "PORT"}, "short.bim\r", "Error: File not valid short.bim\n"},
        {"body not page aligned", {"KALDOR640", "PORT"}, "misaligned.bim\r", "Error: Binary not aligned 4k\n"},
        {"body size not allowed", {"KALDOR640", "PORT"}, "odd-size.bim\r", "Error: file error\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.situation);
        std::vector<std::string> args;
        for (const auto& arg : row.args) args.push_back(withPort(arg, rig.port()));
        ConsoleProcess& updater = rig.startUpdater(args);
        rig.expect(kBanner);
        if (!row.pick.empty()) {
            rig.expect(kPickPrompt);
            updater.sendKeys(row.pick);
        }
        if (row.waitsForKey) {
            rig.expect(withPort(row.message, rig.port()));
            rig.expectKeyWaitThenExit(0);
        } else {
            rig.expectExit(0);
            std::string after = updater.unread();
            EXPECT_EQ(after.find_first_not_of("\r\n"), std::string::npos) << "printed after the pick: " << after;
        }
        EXPECT_TRUE(test_support::sameLineDiscipline(updater.settingsAtStart(), updater.currentSettings()));
    }
}

TEST(EarlyExit, APortHeldByAnotherProcessIsRefused) {
    PanelRig rig;
    rig.startPanel({});
    int holder = open(("/dev/" + rig.port()).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    rig.startUpdater({"KALDOR640", rig.port()});
    rig.expect(kBanner + "Error: Impossible open /dev/" + rig.port() + "\n");
    rig.expectKeyWaitThenExit(0);
    close(holder);
}
