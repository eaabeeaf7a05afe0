// How a child process ended, as seen by wait4, plus whether it had to be
// killed because it outlived the caller's deadline, and its peak memory.
#pragma once

#include <string>

namespace test_support {

struct ExitStatus {
    bool exited = false;  // ended by exit(); code is valid
    int code = -1;
    int signal = 0;      // the signal that ended it, 0 if none
    bool hung = false;   // still running at the deadline and killed
    long peakRssKb = 0;  // the most memory it held resident (wait4's ru_maxrss)

    bool exitedWith(int expected) const { return exited && code == expected; }
    std::string describe() const;
};

}  // namespace test_support
