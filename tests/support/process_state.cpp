#include "process_state.h"

#include <fstream>
#include <poll.h>
#include <string>
#include <sys/syscall.h>

namespace test_support {

namespace {

// /proc gives no notice of a change, so the file is read again after this.
constexpr int kProbeIntervalMs = 1;

// The number of the system call the process is blocked in; -1 while it
// runs ("running") or is blocked outside a system call.
long blockedSystemCall(std::istream& syscallFile) {
    long call = -1;
    syscallFile >> call;
    return syscallFile ? call : -1;
}

}  // namespace

bool awaitTimedSleep(pid_t pid, const Deadline& deadline) {
    const std::string path = "/proc/" + std::to_string(pid) + "/syscall";
    for (;;) {
        std::ifstream syscallFile(path);
        if (!syscallFile) return false;
        long call = blockedSystemCall(syscallFile);
        if (call == SYS_nanosleep || call == SYS_clock_nanosleep) return true;
        if (deadline.expired()) return false;
        poll(nullptr, 0, kProbeIntervalMs);
    }
}

}  // namespace test_support
