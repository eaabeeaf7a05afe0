// Terminal line settings for the tests of the port set-up: a line left as
// unfit for a binary protocol as a terminal can be, and what keeps a line
// from being the raw 57600 baud 8N1 one the updater sets up.
#pragma once

#include <string>
#include <termios.h>
#include <vector>

namespace test_support {

// Cooked at 9600 baud, 7 data bits, even parity, 2 stop bits: canonical
// input with echo and signal keys, CR and LF translated both ways, the
// eighth bit stripped, XON/XOFF flow control, and a read that waits for
// several bytes. A pseudo-terminal takes all of it but the character size
// and parity, which it keeps at 8 bits without parity whatever is asked.
// False when the terminal does not take the rest.
bool makeLineHostile(int terminal);

// Raw, without flow control of any kind: the line a serial driver reports
// before any program has set it up. False when the terminal does not take it.
bool makeLineRaw(int terminal);

// One phrase for each way the settings fall short of raw 57600 8N1 with
// reads that return from the first byte; empty when they do not.
std::vector<std::string> rawLineFaults(const termios& settings);

}  // namespace test_support
