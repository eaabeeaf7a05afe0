// Whole-file reads and writes for checking what a program produced.
#pragma once

#include <string>

namespace test_support {

// The file's bytes; throws when it cannot be opened.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);

}  // namespace test_support
