// A whole update of an image with the extension: the bootloader gets the main
// part, the running firmware the extension, over the same port name.
#include "panel_rig.h"

#include <gtest/gtest.h>

using namespace panel_e2e;

TEST(TwoPhaseUpdate, FlashesTheMainPartAndSendsTheExtension) {
    PanelRig rig;
    rig.makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    rig.startPanel({"--model", "KALDOR64"});
    ConsoleProcess& updater = rig.startUpdate("KALDOR64", "1");
    rig.expect(resetPrompt("KALDOR64"), 30s);
    updater.sendKeys("\r");
    rig.expect(kUsbLinkPrompt);
    rig.expectPanelLog("firmware running");
    updater.sendKeys("\r");
    rig.expect("01 61 DA E7 -- 01 0F\n");
    rig.expect("01 99 B4 F0 -- ", 30s);
    Deadline pause(10s);
    rig.expect(finalPrompt("KALDOR64"));
    EXPECT_GE(pause.elapsed(), 1900ms) << "no pause after the final frame";
    rig.expectKeyWaitThenExit(1);
    EXPECT_TRUE(test_support::sameLineDiscipline(updater.settingsAtStart(), updater.currentSettings()));

    EXPECT_TRUE(rig.panel().exitsWithin(Deadline(5s))) << rig.panel().errorOutput();
    std::string body = rig.imageBody("kaldor64.bim");
    EXPECT_TRUE(rig.flash() == body.substr(0, kMainPartSize));
    EXPECT_TRUE(rig.extension() == body.substr(kMainPartSize, kExtensionSize));
}
