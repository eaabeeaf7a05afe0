// The port's exclusive mode belongs to the terminal device, not to one run:
// a second run refused the port must leave the holder's mode in place, and
// a run that dies holding the port must give it back, so the technician can
// start again at once.
#include "panel_rig.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace panel_e2e;

namespace {

bool exclusiveMode(int descriptor) {
    int exclusive = 0;
    return ioctl(descriptor, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

// A descriptor on the port opened before any run, to read its mode through.
class PortWatch {
public:
    explicit PortWatch(const std::string& port) : fd_(open(("/dev/" + port).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
    ~PortWatch() {
        if (fd_ >= 0) close(fd_);
    }
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;
    bool valid() const { return fd_ >= 0; }
    bool exclusive() const { return exclusiveMode(fd_); }

private:
    int fd_;
};

}  // namespace

TEST(PortRelease, ASecondRunIsRefusedAndTheFirstKeepsItsExclusiveMode) {
    PanelRig rig;
    rig.startPanel({});
    PortWatch watch(rig.port());
    ASSERT_TRUE(watch.valid());
    ConsoleProcess first(test_support::LaunchPlan{{PANELFLASH, "KALDOR640", rig.port()}, rig.directory(), {}});
    ASSERT_TRUE(first.readUntil(kPickPrompt, Deadline(10s))) << first.transcript();
    ASSERT_TRUE(watch.exclusive());

    rig.startUpdater({"KALDOR640", rig.port()});
    rig.expect(kBanner + "Error: Impossible open /dev/" + rig.port() + "\n");
    rig.expectKeyWaitThenExit(0);
    EXPECT_TRUE(watch.exclusive()) << "the refused run cleared the holder's exclusive mode";

    first.sendKeys("\r");  // cancels the pick
    EXPECT_TRUE(first.waitForExit(Deadline(5s)).exitedWith(0));
    EXPECT_FALSE(watch.exclusive()) << "the run ended and left the port in exclusive mode";
}

TEST(PortRelease, ARunKilledInTheFirstPhaseGivesThePortAndTheTerminalBack) {
    PanelRig rig;
    rig.makeImage("KALDOR640", kMainPartSize, "kaldor640.bim");
    // The reply to the second data packet comes late: the run is killed
    // while it waits for it.
    rig.startPanel({"--delay", "8:3000"});
    PortWatch watch(rig.port());
    ASSERT_TRUE(watch.valid());
    ConsoleProcess& updater = rig.startUpdate("KALDOR640", "kaldor640.bim");
    rig.expect("06 07 01 ");
    ASSERT_TRUE(watch.exclusive());

    updater.sendSignal(SIGTERM);
    auto ended = updater.waitForExit(Deadline(5s));
    EXPECT_EQ(ended.signal, SIGTERM) << ended.describe();
    EXPECT_FALSE(watch.exclusive()) << "the killed run left the port in exclusive mode";
    EXPECT_TRUE(test_support::sameLineDiscipline(updater.settingsAtStart(), updater.currentSettings()));
}
