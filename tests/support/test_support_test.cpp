// Checks the harness itself against /bin/sh, so that an end-to-end failure
// can be trusted to come from the program under test.
#include "child_process.h"
#include "console_process.h"
#include "file_io.h"
#include "temp_dir.h"

#include <csignal>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace test_support;

namespace {

LaunchPlan shell(const std::string& script) { return LaunchPlan{{"/bin/sh", "-c", script}, "", {}}; }

}  // namespace

TEST(ChildProcess, ReadsLinesAndStderrAndReportsTheExitCode) {
    LaunchPlan launch = shell("read word; echo \"got $word in $(pwd) $EXTRA\"; echo oops >&2; exit 3");
    TempDir dir;
    launch.workingDirectory = dir.path();
    launch.environment = {{"EXTRA", "x1"}};
    ChildProcess child(launch);
    child.writeInput("hello\n");
    auto line = child.readLine(Deadline(5s));
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(*line, "got hello in " + dir.path() + " x1");
    EXPECT_TRUE(child.readErrorUntil("oops", Deadline(5s)));
    EXPECT_TRUE(child.waitForExit(Deadline(5s)).exitedWith(3));
}

TEST(ChildProcess, ClosedInputIsEndOfFileAndSignalsEndTheChild) {
    ChildProcess cat(shell("cat; echo eof"));
    cat.closeInput();
    EXPECT_TRUE(cat.readUntil("eof", Deadline(5s)));
    EXPECT_TRUE(cat.waitForExit(Deadline(5s)).exitedWith(0));

    ChildProcess sleeper(shell("exec sleep 30"));
    sleeper.sendSignal(SIGTERM);
    ExitStatus status = sleeper.waitForExit(Deadline(5s));
    EXPECT_EQ(status.signal, SIGTERM);
    EXPECT_FALSE(status.hung);
}

TEST(ChildProcess, AHangIsKilledAtTheDeadlineAndAMissingTextTimesOut) {
    ChildProcess child(shell("echo partial; exec sleep 30"));
    Deadline wait(500ms);
    EXPECT_FALSE(child.readUntil("never", wait));
    EXPECT_GE(wait.elapsed(), 500ms);
    EXPECT_EQ(child.output(), "partial\n");
    ExitStatus status = child.waitForExit(Deadline(200ms));
    EXPECT_TRUE(status.hung);
    EXPECT_FALSE(status.exited);
}

TEST(ChildProcess, ReportsThePeakMemoryOfTheChildAlone) {
    // dd holds one buffer of its block size; the shell that execs it little.
    ChildProcess large(shell("exec dd if=/dev/zero of=/dev/null bs=64M count=1 2>/dev/null"));
    ChildProcess small(shell("exec true"));
    ExitStatus largeEnd = large.waitForExit(Deadline(10s));
    ExitStatus smallEnd = small.waitForExit(Deadline(10s));
    EXPECT_GE(largeEnd.peakRssKb, 64 * 1024);
    EXPECT_GT(smallEnd.peakRssKb, 0);
    EXPECT_LT(smallEnd.peakRssKb, 16 * 1024);
}

TEST(ChildProcess, AProgramThatCannotBeStartedThrows) {
    EXPECT_THROW(ChildProcess(LaunchPlan{{"/nonexistent/program"}, "", {}}), std::runtime_error);
}

TEST(ConsoleProcess, RunsOnItsOwnTerminalAndShowsItsSettingsAfterExit) {
    ConsoleProcess console(shell("test -t 0 && echo tty; stty raw -echo; read -r key; echo \"key=$key\"; exit 0"));
    ASSERT_TRUE(console.readUntil("tty", Deadline(5s)));
    // The program changed the line and did not restore it: the master shows that.
    // A line feed ends the read whether it lands before or after `stty raw`
    // (a carriage return becomes one only while the line still translates).
    console.sendKeys("k\n");
    EXPECT_TRUE(console.readUntil("key=k", Deadline(5s)));
    EXPECT_TRUE(console.waitForExit(Deadline(5s)).exitedWith(0));
    EXPECT_FALSE(sameLineDiscipline(console.settingsAtStart(), console.currentSettings()));
    EXPECT_TRUE(console.settingsAtStart().c_lflag & ECHO);
}

TEST(FileHelpers, TempDirIsRemovedWithItsFiles) {
    std::string path;
    {
        TempDir dir;
        path = dir.path();
        writeFile(dir.file("a.bin"), std::string("\0\xff", 2));
        EXPECT_EQ(readFile(dir.file("a.bin")), std::string("\0\xff", 2));
    }
    EXPECT_FALSE(fileExists(path));
    EXPECT_THROW(readFile(path + "/a.bin"), std::runtime_error);
}
