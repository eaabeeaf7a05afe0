// The port name "null" opens /dev/null, a device that takes every setting
// in vain, swallows every write and ends every read at once: the first
// exchange fails and the run ends as a failed first phase, with the
// console as it was. (The run holds an exclusive lock on /dev/null for the
// whole machine: CTest keeps it apart from every other test that does.)
#include "panel_rig.h"

#include <gtest/gtest.h>

using namespace panel_e2e;

namespace {

TEST(NullPort, EveryReadEndsAtOnceAndTheFirstPhaseFails) {
    PanelRig rig;
    rig.makeImage("SKYRELAY", 0x1000, "image.bim");
    ConsoleProcess& updater = rig.startUpdater({"SKYRELAY", "null"});
    rig.expect(kPickPrompt);
    updater.sendKeys("1\r");
    rig.expect("00 00 -- 00 00 00\nFAIL -- " + kFirstPhaseFailure + kPressEnter);
    rig.expectKeyWaitThenExit(1);
    EXPECT_TRUE(test_support::sameLineDiscipline(updater.settingsAtStart(), updater.currentSettings()));
}

}  // namespace
