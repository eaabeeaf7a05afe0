// The second phase against the emulated firmware, after a complete first
// phase: a reply the updater cannot trust (wrong status, none, a length byte
// outside 1..122) or a key ends it as a failure with status 1; a reply with a
// payload byte is read whole; a port that does not come back ends with 0.
#include "panel_rig.h"

#include <gtest/gtest.h>

using namespace panel_e2e;

namespace {

// Runs the first phase of a KALDOR64 image with the extension and confirms
// both prompts, so that the second phase starts. The USB link prompt is
// confirmed only once the panel has taken the reset, as a user would.
ConsoleProcess& reachSecondPhase(
    PanelRig& rig, std::vector<std::string> panelOptions, const std::string& panelReset = "firmware running") {
    rig.makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    panelOptions.insert(panelOptions.begin(), {"--model", "KALDOR64"});
    rig.startPanel(panelOptions);
    ConsoleProcess& updater = rig.startUpdate("KALDOR64", "1");
    rig.expect(resetPrompt("KALDOR64"), 30s);
    updater.sendKeys("\r");
    rig.expect(kUsbLinkPrompt);
    rig.expectPanelLog(panelReset);
    updater.sendKeys("\r");
    return updater;
}

struct FirmwareFaultCase {
    const char* fault;
    std::vector<std::string> panelOptions;
    std::string frameTrace;  // the exchange that goes wrong
    std::string thenShown;   // what follows it, before the failure message
    bool timesOut;
};

}  // namespace

TEST(SecondPhase, AnUntrustworthyReplyIsAFailure) {
    const std::string secondFrame = "01 1F 45 BE -- ";
    const std::vector<FirmwareFaultCase> cases = {
        {"wrong status to the opening frame", {"--fw-status", "1:0x10"}, "01 61 DA E7 -- ",
            "01 10\n\n\nERROR : data transfer\n", false},
        {"wrong status inside a block", {"--fw-status", "13:0xEE"}, "04 70 42 07 00 -- ",
            "01 EE\n\n\nERROR : data transfer\n", false},
        {"no reply", {"--fw-silent", "2"}, secondFrame, "FAIL -- ", true},
        {"reply too late", {"--fw-delay", "2:1500"}, secondFrame, "FAIL -- ", true},
        {"length byte 0", {"--fw-length", "2:0"}, secondFrame, "", false},
        {"length byte 123", {"--fw-length", "2:123"}, secondFrame, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        PanelRig rig;
        ConsoleProcess& updater = reachSecondPhase(rig, c.panelOptions);
        rig.expect(c.frameTrace);
        Deadline wait(10s);
        rig.expect(c.thenShown + kSecondPhaseFailure + kPressEnter);
        if (c.timesOut) {
            EXPECT_GE(wait.elapsed(), 900ms);
            EXPECT_LT(wait.elapsed(), 3000ms);
        }
        rig.expectKeyWaitThenExit(1);
        EXPECT_EQ(updater.transcript().find("6 - Disconnect USB cable"), std::string::npos);
    }
}

TEST(SecondPhase, AReplyWithAPayloadByteIsReadWhole) {
    PanelRig rig;
    reachSecondPhase(rig, {"--fw-length", "2:2"});
    rig.expect("01 1F 45 BE -- 02 10\n04 70 41 07 07 -- 01 10\n");
    rig.expect(finalPrompt("KALDOR64"), 30s);
    rig.expectKeyWaitThenExit(1);
    EXPECT_TRUE(rig.panel().exitsWithin(Deadline(5s)));
    EXPECT_TRUE(rig.extension() == rig.imageBody("kaldor64.bim").substr(kMainPartSize));
}

TEST(SecondPhase, AKeyDuringTheTransferIsAFailureAndPassesItsPrompt) {
    PanelRig rig;
    // The reply that closes the first block comes late: the key is surely
    // pending when the updater judges it.
    ConsoleProcess& updater = reachSecondPhase(rig, {"--fw-delay", "13:500"});
    rig.expect("04 70 42 07 00 -- ");
    updater.sendKeys("k");
    rig.expect("01 10\n" + kSecondPhaseFailure + kPressEnter);
    rig.expectExit(1);
    EXPECT_TRUE(test_support::sameLineDiscipline(updater.settingsAtStart(), updater.currentSettings()));
}

TEST(SecondPhase, APortThatDoesNotComeBackEndsWithZero) {
    PanelRig rig;
    reachSecondPhase(rig, {"--no-reopen"}, "port not coming back");
    rig.expect("Error: Impossible open /dev/" + rig.port() + "\n");
    rig.expectKeyWaitThenExit(0);
    EXPECT_TRUE(rig.panel().exitsWithin(Deadline(5s)));
    EXPECT_TRUE(rig.flash() == rig.imageBody("kaldor64.bim").substr(0, kMainPartSize));
}
