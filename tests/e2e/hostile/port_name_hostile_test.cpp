// Port names at and past the length the device path holds, and names that
// climb out of /dev with "../". A name may lead anywhere the user may go,
// but only a device is opened as the port: a name that leads to a file is
// refused like a port that does not exist, and the file is left untouched.
#include "file_io.h"
#include "panel_rig.h"

#include <gtest/gtest.h>

using namespace panel_e2e;

namespace {

// A name of exactly `length` characters for the emulator's port ("pts/N"):
// "/dev/" followed by it reaches the same device through "./" steps.
std::string paddedPortName(const std::string& port, std::size_t length) {
    std::string pad;
    if ((length - port.size()) % 2 != 0) pad = "/";
    while (pad.size() + port.size() < length) pad += "./";
    return pad + port;
}

TEST(HostilePortName, TwentySevenCharactersReachThePort) {
    PanelRig rig;
    rig.startPanel({"--model", "SKYRELAY"});
    rig.makeImage("SKYRELAY", 0x1000, "image.bim");
    const std::string name = paddedPortName(rig.port(), 27);
    ASSERT_EQ(name.size(), 27u);
    rig.startUpdater({"SKYRELAY", name});
    rig.expect(kPickPrompt);
    rig.updater().sendKeys("1\r");
    rig.expect(resetPrompt("SKYRELAY"), 20s);
    rig.expectKeyWaitThenExit(1);
}

TEST(HostilePortName, TwentyEightCharactersAreRefusedAsTyped) {
    PanelRig rig;
    rig.startPanel({"--model", "SKYRELAY"});
    const std::string name = paddedPortName(rig.port(), 28);
    ASSERT_EQ(name.size(), 28u);
    rig.startUpdater({"SKYRELAY", name});
    rig.expect(kBanner + "Error: Impossible open /dev/" + name + "\n");
    rig.expectKeyWaitThenExit(0);
    rig.stopPanel();
    EXPECT_EQ(rig.panel().errorOutput().find("line opened"), std::string::npos) << "the port was opened";
}

TEST(HostilePortName, DotDotThatLeadsBackToTheDeviceIsThatDevice) {
    PanelRig rig;
    rig.startPanel({"--model", "SKYRELAY"});
    rig.makeImage("SKYRELAY", 0x1000, "image.bim");
    rig.startUpdater({"SKYRELAY", "../dev/" + rig.port()});
    rig.expect(kPickPrompt);
    rig.updater().sendKeys("1\r");
    rig.expect(resetPrompt("SKYRELAY"), 20s);
    rig.expectKeyWaitThenExit(1);
}

TEST(HostilePortName, DotDotThatLeadsToAFileIsRefusedAndTheFileKept) {
    PanelRig rig;
    const std::string precious = "settings the user keeps\n";
    test_support::writeFile(rig.path("victim"), precious);
    // /dev/../proc/self/cwd is the updater's working directory.
    const std::string name = "../proc/self/cwd/victim";
    rig.startUpdater({"SKYRELAY", name});
    rig.expect(kBanner + "Error: Impossible open /dev/" + name + "\n");
    rig.expectKeyWaitThenExit(0);
    EXPECT_EQ(test_support::readFile(rig.path("victim")), precious);
}

}  // namespace
