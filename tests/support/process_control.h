// Shared machinery of the two child-process kinds: starting a program with
// fork/exec (an exec failure comes back to the parent through a close-on-exec
// pipe and is thrown), pumping its output descriptors with poll(2) until a
// deadline, and reaping it through a pidfd so that a wait for its end is a
// poll as well, never a sleep.
#pragma once

#include "deadline.h"
#include "exit_status.h"
#include "launch_plan.h"
#include "output_buffer.h"

#include <functional>
#include <sys/types.h>
#include <vector>

namespace test_support::detail {

struct Stream {
    int fd;
    OutputBuffer* buffer;
};

// Forks and execs launch; inChild runs in the child before exec (descriptor
// set-up only: it must be async-signal-safe).
pid_t spawn(const LaunchPlan& launch, const std::function<void()>& inChild);

// Waits up to timeoutMs for output on any open stream (or, with pidfd >= 0,
// for the process to end) and drains what came. False when no stream is open
// and there is no pidfd to wait on, i.e. nothing more can happen.
bool pump(const std::vector<Stream>& streams, int pidfd, int timeoutMs);

// Owns a started process: its pid, its pidfd and, once reaped, its status.
class ProcessHandle {
public:
    explicit ProcessHandle(pid_t pid);
    ~ProcessHandle();
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;

    pid_t pid() const { return pid_; }
    bool reaped() const { return reaped_; }
    bool running();
    void signal(int signo);
    // Drains the streams while waiting; true once the process has ended.
    bool awaitEnd(const std::vector<Stream>& streams, const Deadline& deadline);
    // As awaitEnd, but kills the process at the deadline.
    ExitStatus waitForExit(const std::vector<Stream>& streams, const Deadline& deadline);
    void killAndReap();

private:
    bool tryReap();

    pid_t pid_;
    int pidfd_;
    bool reaped_ = false;
    ExitStatus status_;
};

void setNonBlocking(int fd);
void writeAll(int fd, const std::string& bytes, const Deadline& deadline);

}  // namespace test_support::detail
