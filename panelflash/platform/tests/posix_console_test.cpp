// The keyboard on a pipe (one byte, one key; end of input never hangs) and on
// a real pseudo-terminal (key mode, multi-byte keys, settings restored). The
// terminal cases run in a forked child, so key mode and the exit handlers
// never touch the terminal the tests were started from.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "deadline.h"
#include "platform/platform.h"
#include "platform/posix_backend.h"

namespace {

using namespace std::chrono_literals;
using test_support::Deadline;

// Puts the read end of a pipe on standard input for one test.
class PipedKeyboard : public ::testing::Test {
protected:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        savedInput_ = dup(STDIN_FILENO);
        ASSERT_GE(savedInput_, 0);
        ASSERT_EQ(dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
        close(ends[0]);
        writer_ = ends[1];
        platformInitConsole();
    }

    void TearDown() override {
        endInput();
        dup2(savedInput_, STDIN_FILENO);
        close(savedInput_);
    }

    void type(const std::string& text) {
        ASSERT_EQ(write(writer_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    void endInput() {
        if (writer_ >= 0) {
            close(writer_);
            writer_ = -1;
        }
    }

    int savedInput_ = -1;
    int writer_ = -1;
};

TEST_F(PipedKeyboard, PendingLeavesTheKeyAndEachWaitTakesOneByte) {
    type("a\x1b[A");
    EXPECT_TRUE(platformKeyPending());
    EXPECT_TRUE(platformKeyPending()) << "the test took the key";
    for (int key = 0; key < 4; ++key) {
        EXPECT_TRUE(platformKeyPending()) << "key " << key;
        platformWaitForKey();
    }
    EXPECT_FALSE(platformKeyPending());
}

TEST_F(PipedKeyboard, EndOfInputNeverBlocks) {
    type("k");
    endInput();
    platformWaitForKey();
    Deadline bound(2s);
    EXPECT_FALSE(platformKeyPending());
    platformWaitForKey();
    platformWaitForKey();
    EXPECT_FALSE(platformKeyPending());
    EXPECT_FALSE(bound.expired());
}

TEST_F(PipedKeyboard, LinesDropTheirLineEndAndEndWithTheInput) {
    type("firmware 2.bim\r\nlast");
    ASSERT_TRUE(platformKeyPending());  // the peeked byte belongs to the line
    endInput();
    std::string line;
    ASSERT_TRUE(platformReadLine(line));
    EXPECT_EQ(line, "firmware 2.bim");
    ASSERT_TRUE(platformReadLine(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(platformReadLine(line));
}

// Child exit codes of the terminal cases.
constexpr int kChildPassed = 0;
constexpr int kChildNotInKeyMode = 10;
constexpr int kChildWrongKeyCount = 11;

bool inKeyMode(const termios& settings) {
    return (settings.c_lflag & (ICANON | ECHO)) == 0 && (settings.c_lflag & ISIG) != 0;
}

bool inOriginalMode(const termios& settings) { return (settings.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO); }

// A child that waits for keys it never gets, so a signal finds it in key mode.
int waitForAKey() {
    platformWaitForKey();
    return kChildPassed;
}

// A child with the slave of a fresh pseudo-terminal as its standard input;
// it sets up the console, reports ready on a pipe and runs `body`.
class TerminalKeyboard : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0); }

    void TearDown() override {
        close(master_);
        close(slave_);
    }

    void startChild(const std::function<int()>& body) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        std::fflush(nullptr);
        child_ = fork();
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            alarm(10);  // a child that hangs dies instead of holding up the suite
            dup2(slave_, STDIN_FILENO);
            platformInitConsole();
            termios settings{};
            tcgetattr(STDIN_FILENO, &settings);
            if (!inKeyMode(settings)) {
                _exit(kChildNotInKeyMode);
            }
            (void)!write(ready[1], "r", 1);
            std::exit(body());  // exit, not _exit: the exit handlers must run
        }
        close(ready[1]);
        pollfd wait{ready[0], POLLIN, 0};
        ASSERT_EQ(poll(&wait, 1, 5000), 1) << "the child never got ready";
        close(ready[0]);
    }

    int waitForChild(int options = 0) {
        int status = 0;
        EXPECT_EQ(waitpid(child_, &status, options), child_);
        return status;
    }

    void type(const std::string& keys) {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Polls the line's settings until `wanted` holds or the deadline passes.
    bool settingsBecome(bool (*wanted)(const termios&), const Deadline& deadline) {
        while (!wanted(slaveSettings())) {
            if (deadline.expired()) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    termios slaveSettings() {
        termios settings{};
        EXPECT_EQ(tcgetattr(slave_, &settings), 0);
        return settings;
    }

    int master_ = -1;
    int slave_ = -1;
    pid_t child_ = -1;
};

TEST_F(TerminalKeyboard, MultiByteKeysCountOnceAndExitRestoresTheTerminal) {
    startChild([] {
        // Up arrow (CSI), F1 (SS3), then a plain key: three keys, no more.
        for (int key = 0; key < 3; ++key) {
            platformWaitForKey();
        }
        return platformKeyPending() ? kChildWrongKeyCount : kChildPassed;
    });
    const char keys[] = "\x1b[A\x1bOPx";
    ASSERT_EQ(write(master_, keys, sizeof keys - 1), static_cast<ssize_t>(sizeof keys - 1));
    int status = waitForChild();
    ASSERT_TRUE(WIFEXITED(status)) << "child died, status " << status;
    EXPECT_EQ(WEXITSTATUS(status), kChildPassed);
    EXPECT_TRUE(inOriginalMode(slaveSettings()));
}

TEST_F(TerminalKeyboard, TerminationSignalRestoresTheTerminalAndStillKills) {
    startChild([] {
        platformWaitForKey();
        return kChildPassed;
    });
    ASSERT_FALSE(inOriginalMode(slaveSettings()));
    kill(child_, SIGTERM);
    int status = waitForChild();
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(inOriginalMode(slaveSettings()));
}

TEST_F(TerminalKeyboard, CharactersOfSeveralBytesCountOnce) {
    // è, à, ù, €, an emoji, then a lead byte cut short by a plain key: seven keys.
    const std::string keys = "\xC3\xA8\xC3\xA0\xC3\xB9\xE2\x82\xAC\xF0\x9F\x98\x80\xC3y";
    constexpr int kKeys = 7;
    startChild([] {
        for (int key = 0; key < kKeys; ++key) {
            if (!platformKeyPending() && key > 0) {
                return kChildWrongKeyCount;  // a key was taken in pieces, or with the next one
            }
            platformWaitForKey();
        }
        return platformKeyPending() ? kChildWrongKeyCount : kChildPassed;
    });
    type(keys);
    int status = waitForChild();
    ASSERT_TRUE(WIFEXITED(status)) << "child died, status " << status;
    EXPECT_EQ(WEXITSTATUS(status), kChildPassed);
}

TEST_F(TerminalKeyboard, KeysTypedAheadAreDiscarded) {
    startChild([] {
        while (!platformKeyPending()) {
        }
        platformDiscardTypedKeys();
        return platformKeyPending() ? kChildWrongKeyCount : kChildPassed;
    });
    type("1\r\r\r");
    int status = waitForChild();
    ASSERT_TRUE(WIFEXITED(status)) << "child died, status " << status;
    EXPECT_EQ(WEXITSTATUS(status), kChildPassed);
}

TEST_F(TerminalKeyboard, EverySignalThatEndsTheRunRestoresTheTerminal) {
    for (int signalNumber : {SIGINT, SIGHUP, SIGQUIT, SIGPIPE}) {
        SCOPED_TRACE(strsignal(signalNumber));
        startChild([] {
            rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            return waitForAKey();
        });
        ASSERT_FALSE(inOriginalMode(slaveSettings()));
        kill(child_, signalNumber);
        int status = waitForChild();
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), signalNumber);
        EXPECT_TRUE(inOriginalMode(slaveSettings()));
    }
}

TEST_F(TerminalKeyboard, AStoppedRunRestoresTheTerminalAndTakesKeyModeBackWhenContinued) {
    startChild(waitForAKey);
    kill(child_, SIGTSTP);
    int status = waitForChild(WUNTRACED);
    ASSERT_TRUE(WIFSTOPPED(status)) << "status " << status;
    EXPECT_TRUE(inOriginalMode(slaveSettings()));
    kill(child_, SIGCONT);
    EXPECT_TRUE(settingsBecome(inKeyMode, Deadline(5s))) << "key mode did not come back";
    type("k");
    status = waitForChild();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), kChildPassed);
}

}  // namespace
