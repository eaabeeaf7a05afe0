// The first phase against the emulated bootloader: complete uploads land in
// flash byte for byte; every other end (a refused, silent or short reply, a
// hardware mismatch, a key) is a failure that stops the run with status 1
// and never reaches the second phase.
#include "panel_rig.h"

#include <gtest/gtest.h>

using namespace panel_e2e;

namespace {

struct FullUpload {
    const char* model;
    std::size_t bodySize;
    std::vector<std::string> panelOptions;
    std::string identifyLine;  // the trace of the Identify exchange
};

}  // namespace

TEST(FirstPhase, CompleteUploadsLandInFlashByteForByte) {
    const std::vector<FullUpload> uploads = {
        {"KALDOR640", kMainPartSize, {"--model", "KALDOR640"}, "01 05 -- 01 05 10\n"},
        {"KALDOR32", kMainPartSize, {"--hardware-code", "0x44"}, "01 05 -- 01 05 44\n"},
        // One page: device page 3 is written from the zero bytes after the
        // image, then the image's page goes to device page 2.
        {"SKYRELAY", 0x1000, {"--model", "SKYRELAY"}, "01 05 -- 01 05 18\n"},
    };
    for (const auto& upload : uploads) {
        SCOPED_TRACE(upload.model);
        PanelRig rig;
        rig.makeImage(upload.model, upload.bodySize, "image.bim");
        rig.startPanel(upload.panelOptions);
        rig.startUpdate(upload.model, "1");
        rig.expect("00 00 -- 00 00 00\n");
        rig.expect(upload.identifyLine);
        rig.expect(resetPrompt(upload.model), 30s);
        rig.expectKeyWaitThenExit(1);
        rig.stopPanel();
        std::string body = rig.imageBody("image.bim");
        std::string flash = rig.flash();
        ASSERT_GE(flash.size(), body.size());
        EXPECT_TRUE(flash.compare(0, body.size(), body) == 0) << "flash differs from the image";
        EXPECT_EQ(flash.substr(body.size()), std::string(flash.size() - body.size(), '\0'));
    }
}

TEST(FirstPhase, AHardwareMismatchFailsBeforeAnyPageAndSkipsTheSecondPhase) {
    PanelRig rig;
    rig.makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    rig.startPanel({"--hardware-code", "0x44"});
    ConsoleProcess& updater = rig.startUpdate("KALDOR64", "1");
    rig.expect(
        "01 05 -- 01 05 44\n\n\nERROR : INVALID HARDWARE\n\tSelected file is for KALDOR64\n"
        "Target hardware identified is KALDOR32B\n");
    rig.expect(kFirstPhaseFailure + kPressEnter);
    rig.expectKeyWaitThenExit(1);
    EXPECT_EQ(updater.transcript().find("USB LINK"), std::string::npos);
    rig.stopPanel();
    EXPECT_EQ(rig.flash(), "");
}

namespace {

struct BootFaultCase {
    const char* fault;
    std::vector<std::string> panelOptions;
    std::string frameTrace;  // the exchange that goes wrong, up to its reply
    bool timesOut;
};

}  // namespace

TEST(FirstPhase, AFailedExchangeAtAnyStepIsAFailure) {
    // Frame 6 is Identify, 7 the first Data packet of device page 3, 76 the
    // Erase of sector 3; the last frame of a 110-page body is its final Write.
    const std::vector<BootFaultCase> cases = {
        {"refused Identify", {"--refuse", "6"}, "01 05 -- 01 05 01\n", false},
        {"refused data packet", {"--refuse", "7"}, "06 06 00 ", false},
        {"refused erase", {"--refuse", "76"}, "0A 4B 03 -- 0A 4B 01\n", false},
        {"refused final write", {"--refuse", "7725"}, "0B 2C 02 00 -- 0B 2C 01\n", false},
        {"silent panel", {"--silent", "9"}, "06 08 02 ", true},
        {"short reply", {"--short", "9"}, "06 08 02 ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        PanelRig rig;
        rig.makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
        std::vector<std::string> options{"--model", "KALDOR64"};
        options.insert(options.end(), c.panelOptions.begin(), c.panelOptions.end());
        rig.startPanel(options);
        ConsoleProcess& updater = rig.startUpdate("KALDOR64", "1");
        rig.expect(c.frameTrace, 30s);
        Deadline wait(10s);
        rig.expect("FAIL -- " + kFirstPhaseFailure + kPressEnter);
        if (c.timesOut) {
            EXPECT_GE(wait.elapsed(), 900ms);
            EXPECT_LT(wait.elapsed(), 3000ms);
        }
        rig.expectKeyWaitThenExit(1);
        EXPECT_EQ(updater.transcript().find("Per cortesia"), std::string::npos);
        EXPECT_EQ(updater.transcript().find("USB LINK"), std::string::npos);
    }
}

TEST(FirstPhase, AKeyDuringTheUploadIsAFailureAndPassesItsPrompt) {
    PanelRig rig;
    rig.makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    // The reply to the second data packet comes late: the key is surely
    // pending when the updater judges it.
    rig.startPanel({"--model", "KALDOR64", "--delay", "8:500"});
    ConsoleProcess& updater = rig.startUpdate("KALDOR64", "1");
    rig.expect("06 07 01 ");
    updater.sendKeys("k");
    rig.expect("-- 06 07 00\n" + kFirstPhaseFailure + kPressEnter);
    rig.expectExit(1);
    EXPECT_EQ(updater.transcript().find("USB LINK"), std::string::npos);
    EXPECT_TRUE(test_support::sameLineDiscipline(updater.settingsAtStart(), updater.currentSettings()));
}
