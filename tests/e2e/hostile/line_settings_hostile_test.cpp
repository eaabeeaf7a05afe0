// A port whose line was left cooked, slow and translating by whoever used it
// last: the updater sets it up itself at each open, so a whole two-phase
// update still reaches the panel byte for byte. (The emulator leaves the
// line's settings alone, so a set-up that failed to make the line raw would
// show here as lost, doubled or translated bytes.)
#include "line_settings.h"
#include "panel_rig.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace panel_e2e;

namespace {

// Opens the port as another program would, leaves its line hostile and
// closes it again. The emulator takes it for one more session; the updater
// is let go on only once the emulator has logged its end, or bytes the
// updater writes at once could be counted to that session.
void leaveLineHostile(PanelRig& rig, const std::string& panelSawItClose) {
    int port = open(("/dev/" + rig.port()).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(port, 0);
    EXPECT_TRUE(test_support::makeLineHostile(port));
    close(port);
    rig.expectPanelLog(panelSawItClose);
}

TEST(HostileLine, EachOpenSetsUpALineLeftCookedBySomeoneElse) {
    PanelRig rig;
    rig.makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    rig.startPanel({"--model", "KALDOR64"});
    leaveLineHostile(rig, "line closed after 0 bootloader frames");
    ConsoleProcess& updater = rig.startUpdate("KALDOR64", "1");
    rig.expect(resetPrompt("KALDOR64"), 30s);
    updater.sendKeys("\r");
    rig.expect(kUsbLinkPrompt);
    rig.expectPanelLog("firmware running");
    // The port that comes back after the reset is hostile again.
    leaveLineHostile(rig, "line closed during the transfer (0 extension bytes so far)");
    updater.sendKeys("\r");
    rig.expect("01 61 DA E7 -- 01 0F\n");
    rig.expect(finalPrompt("KALDOR64"), 30s);
    rig.expectKeyWaitThenExit(1);

    EXPECT_TRUE(rig.panel().exitsWithin(Deadline(5s))) << rig.panel().errorOutput();
    const std::string body = rig.imageBody("kaldor64.bim");
    EXPECT_TRUE(rig.flash() == body.substr(0, kMainPartSize));
    EXPECT_TRUE(rig.extension() == body.substr(kMainPartSize, kExtensionSize));
}

}  // namespace
