// What a running process is doing, as /proc shows it: the system call it is
// blocked in is the first field of /proc/PID/syscall. A test waits on it for
// a moment that the process shows by no output, such as a pause.
#pragma once

#include "deadline.h"

#include <sys/types.h>

namespace test_support {

// Waits until the process is asleep in a timed pause (nanosleep or
// clock_nanosleep); false at the deadline or when the process is gone.
bool awaitTimedSleep(pid_t pid, const Deadline& deadline);

}  // namespace test_support
