// A console program started on a new pseudo-terminal that becomes its
// controlling terminal (openpty + login_tty in the child, as forkpty does).
// The test holds the master: what the program prints is read from it, keys
// are written to it, and the line's settings are read through it with
// tcgetattr, so a test can check that the program put them back at exit.
// The settings the line had before the program ran are kept for comparison.
#pragma once

#include "deadline.h"
#include "exit_status.h"
#include "launch_plan.h"
#include "output_buffer.h"
#include "process_control.h"

#include <memory>
#include <string>
#include <termios.h>

namespace test_support {

class ConsoleProcess {
public:
    explicit ConsoleProcess(const LaunchPlan& launch);
    ~ConsoleProcess();
    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    // Waits until text appears on the console after what earlier waits consumed.
    bool readUntil(const std::string& text, const Deadline& deadline);
    // Everything the console showed so far (after draining what is available now).
    const std::string& transcript();
    // What the console showed after the last text that readUntil found.
    std::string unread();

    void sendKeys(const std::string& keys);
    void sendSignal(int signo);
    bool running();
    ExitStatus waitForExit(const Deadline& deadline);
    // Whether it ends by the deadline; unlike waitForExit, a survivor is left running.
    bool exitsWithin(const Deadline& deadline);
    pid_t pid() const { return process_->pid(); }

    const termios& settingsAtStart() const { return initialSettings_; }
    termios currentSettings() const;

private:
    std::vector<detail::Stream> streams();

    int master_ = -1;
    termios initialSettings_{};
    OutputBuffer console_;
    std::unique_ptr<detail::ProcessHandle> process_;
};

// The members of two settings that a program in raw mode changes and must restore.
bool sameLineDiscipline(const termios& a, const termios& b);

}  // namespace test_support
