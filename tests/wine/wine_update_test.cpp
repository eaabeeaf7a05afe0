// panelflash.exe under Wine against the panel emulator: a whole two-phase
// update that leaves the same flash and the same console text as the Linux
// build, and the ends that differ on Windows or that cross the Win32
// backend's every part (a failed identification, a silent panel, a missing
// COM port, a key during the upload, a cancelled dialog).
#include "wine_rig.h"
#include "wine_setup.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace wine_e2e;
using panel_e2e::finalPrompt;
using panel_e2e::kBanner;
using panel_e2e::kExtensionSize;
using panel_e2e::kFirstPhaseFailure;
using panel_e2e::kMainPartSize;
using panel_e2e::kPressEnter;
using panel_e2e::kUsbLinkPrompt;
using panel_e2e::kWithExtensionSize;
using panel_e2e::resetPrompt;

namespace {

const std::string kFirstExchange = "00 00 -- 00 00 00\n";

// From the first exchange's reply to the reset prompt, and to the final one.
struct Timings {
    std::chrono::milliseconds firstPhase{};
    std::chrono::milliseconds update{};
};

void record(const char* build, const Timings& timings) {
    std::cout << build << ": first phase " << timings.firstPhase.count() << " ms, to the final prompt "
              << timings.update.count() << " ms\n";
}

// The console text of the Linux build for the same update, without its
// numbered pick (Windows picks in a dialog); also how long it took.
std::string linuxUpdateText(Timings& timings) {
    PanelRig rig;
    rig.makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    rig.startPanel({"--model", "KALDOR64"});
    ConsoleProcess& updater = rig.startUpdate("KALDOR64", "1");
    rig.expect(kFirstExchange);
    Deadline clock(120s);
    rig.expect(resetPrompt("KALDOR64"), 60s);
    timings.firstPhase = clock.elapsed();
    updater.sendKeys("\r");
    rig.expect(kUsbLinkPrompt);
    rig.expectPanelLog("firmware running");
    updater.sendKeys("\r");
    rig.expect(finalPrompt("KALDOR64"), 60s);
    timings.update = clock.elapsed();
    rig.expectKeyWaitThenExit(1);
    std::string text = posixConsoleText(updater.transcript());
    std::size_t pickStart = text.find("File disponibili");
    std::size_t pickEnd = text.find("(ENTER cancels): ");
    EXPECT_NE(pickStart, std::string::npos);
    EXPECT_NE(pickEnd, std::string::npos);
    if (pickStart == std::string::npos || pickEnd == std::string::npos) {
        return text;
    }
    return text.erase(pickStart, text.find('\n', pickEnd) + 1 - pickStart);
}

}  // namespace

TEST(WineUpdate, TwoPhasesLeaveTheImageInThePanelAndTheLinuxConsoleText) {
    Timings linuxTimings;
    std::string linuxText = linuxUpdateText(linuxTimings);

    WineRig rig;
    rig.panel().makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    rig.startPanel({"--model", "KALDOR64"});
    ConsoleProcess& updater = rig.startUpdate("KALDOR64", "kaldor64.bim");
    rig.expect(kFirstExchange, 30s);
    Deadline clock(300s);
    rig.expect(resetPrompt("KALDOR64"), 240s);
    Timings wineTimings;
    wineTimings.firstPhase = clock.elapsed();
    updater.sendKeys("\r");
    rig.expect(kUsbLinkPrompt);
    rig.panel().expectPanelLog("firmware running");
    updater.sendKeys("\r");
    rig.expect(finalPrompt("KALDOR64"), 120s);
    wineTimings.update = clock.elapsed();
    rig.expectKeyWaitThenExit(1);

    EXPECT_TRUE(rig.panel().panel().exitsWithin(Deadline(5s))) << rig.panel().panel().errorOutput();
    std::string body = rig.panel().imageBody("kaldor64.bim");
    EXPECT_TRUE(rig.panel().flash() == body.substr(0, kMainPartSize)) << "flash differs from the image";
    EXPECT_TRUE(rig.panel().extension() == body.substr(kMainPartSize, kExtensionSize)) << "extension differs";
    std::string wineText = rig.text();
    EXPECT_TRUE(wineText == linuxText)
        << "first difference at "
        << std::distance(wineText.begin(),
               std::mismatch(wineText.begin(), wineText.end(), linuxText.begin(), linuxText.end()).first);
    // For the record, not judged.
    record("Linux", linuxTimings);
    record("Wine", wineTimings);
}

TEST(WineUpdate, AHardwareMismatchFailsTheFirstPhase) {
    WineRig rig;
    rig.panel().makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    rig.startPanel({"--hardware-code", "0x44"});
    rig.startUpdate("KALDOR64", "kaldor64.bim");
    rig.expect(
        "01 05 -- 01 05 44\n\n\nERROR : INVALID HARDWARE\n        Selected file is for KALDOR64\n"
        "Target hardware identified is KALDOR32B\n",
        30s);
    rig.expect(kFirstPhaseFailure + kPressEnter);
    rig.expectKeyWaitThenExit(1);
    EXPECT_EQ(rig.text().find("USB LINK"), std::string::npos);
    rig.panel().stopPanel();
    EXPECT_EQ(rig.panel().flash(), "");
}

TEST(WineUpdate, ASilentPanelFailsAfterTheReadTimeOut) {
    WineRig rig;
    rig.panel().makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    rig.startPanel({"--model", "KALDOR64", "--silent", "9"});
    rig.startUpdate("KALDOR64", "kaldor64.bim");
    rig.expect("06 08 02 C2 BD -- ", 30s);
    Deadline wait(10s);
    rig.expect("FAIL -- " + kFirstPhaseFailure + kPressEnter);
    EXPECT_GE(wait.elapsed(), 900ms);
    EXPECT_LT(wait.elapsed(), 3000ms);
    rig.expectKeyWaitThenExit(1);
}

TEST(WineUpdate, AComPortThatDoesNotExistEndsBeforeTheDialog) {
    WineRig rig;
    rig.startUpdater({"KALDOR64", "COM9"});
    rig.expect(kBanner + "Error: Impossible open \\\\.\\COM9\n");
    rig.expectKeyWaitThenExit(0);
}

TEST(WineUpdate, AKeyDuringTheUploadEndsThePhase) {
    WineRig rig;
    rig.panel().makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    // The reply to the second data packet comes late: the key is surely
    // pending when the updater judges it.
    rig.startPanel({"--model", "KALDOR64", "--delay", "8:500"});
    ConsoleProcess& updater = rig.startUpdate("KALDOR64", "kaldor64.bim");
    rig.expect("06 07 01 ", 30s);
    updater.sendKeys("k");
    rig.expect("-- 06 07 00\n" + kFirstPhaseFailure + kPressEnter);
    rig.expectExit(1);
    EXPECT_EQ(rig.text().find("USB LINK"), std::string::npos);
}

TEST(WineUpdate, ACancelledDialogEndsAtOnceWithoutAWord) {
    WineRig rig;
    rig.startPanel({"--model", "KALDOR64"});
    rig.startUpdater({"KALDOR64", rig.comPort()});
    rig.answerDialog("--cancel");
    rig.expectExit(0);
    EXPECT_EQ(rig.text(), kBanner);
    // The dialog offered the image filter (a Windows program's text output
    // ends its lines with CR LF).
    EXPECT_EQ(rig.dialogReport(), "filter: KALDOR FW upgrade file (*.bim)\r\n");
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new WineSetup);
    return RUN_ALL_TESTS();
}
