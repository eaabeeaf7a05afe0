// Backslash escapes for texts that cross the command line or a log line:
// fault replies given as options may hold line feeds and arbitrary bytes,
// and logged commands may hold raw firmware.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace module_emulator {

// Decodes \n, \r, \t, \\ and \xHH; nullopt on an unknown or cut escape.
std::optional<std::string> decodeEscapes(std::string_view text);

// Printable ASCII stays, a backslash doubles, \n \r \t are named and every
// other byte becomes \xHH, so the result is one printable line.
std::string encodeEscapes(std::string_view bytes);

}  // namespace module_emulator
