// The serial link on real pseudo-terminals: the test holds the master side
// as the panel, panelflash opens the slave by its device path.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "deadline.h"
#include "line_settings.h"
#include "serial_link.h"

namespace {

using namespace std::chrono_literals;
using test_support::Deadline;

bool exclusiveMode(int descriptor) {
    int exclusive = 0;
    return ioctl(descriptor, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

std::unique_ptr<PanelSession> freshSession() {
    auto session = std::make_unique<PanelSession>();
    resetSession(*session);
    return session;
}

class PseudoTerminalPort : public ::testing::Test {
protected:
    void SetUp() override {
        char name[64] = {};
        ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        slavePath_ = name;
        ASSERT_EQ(slavePath_.rfind("/dev/", 0), 0u);
        session_ = freshSession();
        ASSERT_TRUE(setDevicePath(*session_, slavePath_.c_str() + 5));
    }

    void TearDown() override {
        if (session_->port != kNoPort) {
            closePort(*session_);
        }
        closeMaster();
        close(slave_);
    }

    void openAndConfigure() {
        ASSERT_TRUE(openPort(*session_));
        configurePort(*session_);
    }

    void panelSends(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    void closeMaster() {
        if (master_ >= 0) {
            close(master_);
            master_ = -1;
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::unique_ptr<PanelSession> session_;
};

TEST(DevicePath, TakesTwentySevenCharactersAndRefusesTwentyEight) {
    auto session = freshSession();
    std::string longest(27, 'a');
    ASSERT_TRUE(setDevicePath(*session, longest.c_str()));
    EXPECT_EQ(std::string(session->devicePath), "/dev/" + longest);
    EXPECT_EQ(session->devicePath[kDevicePathSize - 1], '\0');

    auto other = freshSession();
    std::string tooLong(28, 'b');
    EXPECT_FALSE(setDevicePath(*other, tooLong.c_str()));
    EXPECT_STREQ(other->devicePath, "/dev/");
}

TEST_F(PseudoTerminalPort, SetUpTurnsAHostileLineIntoRaw57600_8N1) {
    ASSERT_TRUE(test_support::makeLineHostile(slave_));
    openAndConfigure();
    termios line{};
    ASSERT_EQ(tcgetattr(slave_, &line), 0);
    EXPECT_EQ(test_support::rawLineFaults(line), std::vector<std::string>{});

    // Every byte value crosses untouched both ways, and nothing comes back
    // that was not sent.
    std::vector<uint8_t> everyByte(256);
    for (size_t value = 0; value < everyByte.size(); ++value) {
        everyByte[value] = static_cast<uint8_t>(value);
    }
    panelSends(everyByte);
    std::vector<uint8_t> received(everyByte.size());
    EXPECT_TRUE(readPort(*session_, received.data(), static_cast<uint32_t>(received.size())));
    EXPECT_TRUE(received == everyByte);

    writePort(*session_, everyByte.data(), static_cast<uint32_t>(everyByte.size()));
    std::vector<uint8_t> atPanel;
    Deadline bound(5s);
    uint8_t chunk[512];
    while (atPanel.size() <= everyByte.size() && !bound.expired()) {
        pollfd wait{master_, POLLIN, 0};
        if (poll(&wait, 1, atPanel.size() < everyByte.size() ? bound.pollTimeout() : 0) != 1) {
            break;
        }
        ssize_t got = read(master_, chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        atPanel.insert(atPanel.end(), chunk, chunk + got);
    }
    EXPECT_TRUE(atPanel == everyByte) << atPanel.size() << " bytes reached the panel";
}

TEST_F(PseudoTerminalPort, ReadReturnsAsSoonAsItsBytesAreThere) {
    openAndConfigure();
    panelSends({0x00, 0x01, 0x24});
    uint8_t reply[3] = {};
    size_t received = 0;
    Deadline bound(900ms);
    ASSERT_TRUE(platformReadPort(session_->port, reply, 3, received));
    EXPECT_FALSE(bound.expired()) << "the read waited for its time-out";
    EXPECT_EQ(received, 3u);
    EXPECT_EQ(reply[2], 0x24);
}

TEST_F(PseudoTerminalPort, TricklingBytesDoNotStretchTheTotalTimeOut) {
    openAndConfigure();
    std::atomic<bool> stop{false};
    int master = master_;
    std::thread panel([&stop, master] {
        // One byte every 150 ms: an inter-byte time-out would never expire.
        for (int sent = 0; sent < 20 && !stop; ++sent) {
            uint8_t byte = 0x55;
            (void)!write(master, &byte, 1);
            std::this_thread::sleep_for(150ms);
        }
    });
    uint8_t buffer[64] = {};
    size_t received = 0;
    auto start = std::chrono::steady_clock::now();
    bool lineOk = platformReadPort(session_->port, buffer, sizeof buffer, received);
    auto took = std::chrono::steady_clock::now() - start;
    stop = true;
    panel.join();

    EXPECT_TRUE(lineOk);
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 2000ms);
    EXPECT_GE(received, 1u);
    EXPECT_LT(received, sizeof buffer);
    EXPECT_FALSE(readPort(*session_, buffer, sizeof buffer)) << "a short read counts as failed";
}

TEST_F(PseudoTerminalPort, EachOpenPortKeepsTheReadTimeOutOfItsOwnSetUp) {
    openAndConfigure();
    int otherMaster = -1;
    int otherSlave = -1;
    char otherName[64] = {};
    ASSERT_EQ(openpty(&otherMaster, &otherSlave, otherName, nullptr, nullptr), 0);
    PortHandle other = kNoPort;
    ASSERT_TRUE(platformOpenPort(otherName, other));
    // The port set up last asks for a long wait; the first keeps its second.
    const PortSettings settings{57600, 8, false, 1, true, false};
    platformConfigurePort(other, settings, PortTimeouts{0, 0, 60000, 0, 0});

    uint8_t buffer[3] = {};
    size_t received = 0;
    Deadline bound(20s);
    EXPECT_TRUE(platformReadPort(session_->port, buffer, 3, received));
    EXPECT_FALSE(bound.expired()) << "the read waited for the other port's time-out";
    EXPECT_EQ(received, 0u);

    platformClosePort(other);
    close(otherMaster);
    close(otherSlave);
}

TEST_F(PseudoTerminalPort, HungUpLineFailsAtOnce) {
    openAndConfigure();
    closeMaster();
    uint8_t buffer[3] = {};
    size_t received = 0;
    Deadline bound(900ms);
    EXPECT_FALSE(platformReadPort(session_->port, buffer, 3, received));
    EXPECT_FALSE(bound.expired()) << "a hung-up line spun until the time-out";
}

TEST_F(PseudoTerminalPort, WriteDeliversEveryByteThroughAFullQueue) {
    openAndConfigure();
    // Far more than the terminal's queue holds, so writes come back partial
    // or with EAGAIN while the panel side drains.
    std::vector<uint8_t> image(256 * 1024);
    for (size_t index = 0; index < image.size(); ++index) {
        image[index] = static_cast<uint8_t>(index * 7);
    }
    std::vector<uint8_t> arrived;
    int master = master_;
    std::thread panel([&arrived, master, expected = image.size()] {
        Deadline bound(10s);
        uint8_t chunk[4096];
        while (arrived.size() < expected && !bound.expired()) {
            ssize_t got = read(master, chunk, sizeof chunk);
            if (got <= 0) {
                return;
            }
            arrived.insert(arrived.end(), chunk, chunk + got);
        }
    });
    writePort(*session_, image.data(), static_cast<uint32_t>(image.size()));
    panel.join();
    EXPECT_TRUE(arrived == image);
}

TEST_F(PseudoTerminalPort, OpenIsExclusive) {
    openAndConfigure();
    PortHandle second = kNoPort;
    EXPECT_FALSE(platformOpenPort(session_->devicePath, second)) << "a second holder got the port";

    closePort(*session_);
    int plain = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_GE(plain, 0) << "the port stayed locked after close";

    // Another process's lock keeps panelflash out, whoever runs it.
    ASSERT_EQ(flock(plain, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(openPort(*session_));
    close(plain);
    EXPECT_TRUE(openPort(*session_));
}

TEST_F(PseudoTerminalPort, AFailedOpenLeavesTheHoldersExclusiveMode) {
    openAndConfigure();
    ASSERT_TRUE(exclusiveMode(slave_));
    PortHandle second = kNoPort;
    ASSERT_FALSE(platformOpenPort(session_->devicePath, second));
    EXPECT_TRUE(exclusiveMode(slave_)) << "the failed open cleared the holder's exclusive mode";
}

TEST_F(PseudoTerminalPort, ARunKilledWhileHoldingThePortGivesItsExclusiveModeBack) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(10);  // a child that hangs dies instead of holding up the suite
        int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, STDIN_FILENO);
        platformInitConsole();
        if (!openPort(*session_)) {
            _exit(1);
        }
        (void)!write(ready[1], "r", 1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1) << "the child never held the port";
    close(ready[0]);
    ASSERT_TRUE(exclusiveMode(slave_));
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_FALSE(exclusiveMode(slave_)) << "the dead run left the port in exclusive mode";
}

TEST(NonTerminalPort, OpensAndEveryReadFailsAtOnce) {
    auto session = freshSession();
    std::strcpy(session->devicePath, "/dev/null");
    ASSERT_TRUE(openPort(*session));
    configurePort(*session);
    uint8_t buffer[7] = {};
    size_t received = 0;
    Deadline bound(900ms);
    EXPECT_FALSE(platformReadPort(session->port, buffer, sizeof buffer, received));
    EXPECT_FALSE(bound.expired());
    closePort(*session);
}

TEST(MissingPort, DoesNotOpen) {
    auto session = freshSession();
    ASSERT_TRUE(setDevicePath(*session, "ttyNoSuchPort9"));
    EXPECT_FALSE(openPort(*session));
}

}  // namespace
