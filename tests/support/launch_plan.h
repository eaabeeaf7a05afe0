// What to start: the program with its arguments, where, and with which
// additions to the inherited environment.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace test_support {

struct LaunchPlan {
    std::vector<std::string> argv;  // argv[0] is the program (path, or a name looked up in PATH)
    std::string workingDirectory;   // empty: the caller's
    std::vector<std::pair<std::string, std::string>> environment;  // set on top of the caller's
};

}  // namespace test_support
