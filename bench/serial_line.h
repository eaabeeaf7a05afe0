// The floor clients' serial line: a terminal device opened blocking and set
// raw at a baud rate, with reads and writes that take exactly the bytes asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bench {

// Opens /dev/NAME (e.g. pts/4) raw at `baud`; -1 on failure.
int openRawLine(const std::string& name, unsigned baud);
// Blocking; false when the line has gone.
bool writeExactly(int fd, const void* data, std::size_t length);
bool readExactly(int fd, void* buffer, std::size_t length);

}  // namespace bench
