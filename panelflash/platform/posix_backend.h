// What the POSIX backend's sources share besides the seam: the directory
// listing and the line input behind the file pick.
#pragma once

#include <string>
#include <vector>

// Names of the regular files in the current directory that end in `suffix`,
// in any case, sorted by name.
std::vector<std::string> platformListFiles(const char* suffix);
// Reads one line typed with echo and line editing into `line` (without its
// line end). False at end of input.
bool platformReadLine(std::string& line);
