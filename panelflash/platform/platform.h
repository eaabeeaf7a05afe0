// The one seam between panelflash and the operating system.
//
// Everything outside this folder is portable C++ that calls only the
// functions below. Each platform gets one backend source chosen by CMake
// (platform_posix.cpp for Linux); a test or fuzz build links an in-memory
// backend in its place. Backends never print protocol messages and never end
// the process: they report success or failure and the caller decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// An open serial port; kNoPort when none is open.
using PortHandle = std::intptr_t;
constexpr PortHandle kNoPort = -1;

// Line settings that each set-up applies.
struct PortSettings {
    uint32_t baudRate;
    uint8_t dataBits;
    bool parityChecking;  // false: no parity bit and no parity check
    uint8_t stopBits;
    bool binary;          // raw bytes, no translation of any kind
    bool abortOnError;    // false: a line error does not abort reads and writes
};

// Time-outs that each set-up applies; 0 means "none".
struct PortTimeouts {
    uint32_t readIntervalMs;
    uint32_t readTotalMultiplierMs;
    uint32_t readTotalConstantMs;
    uint32_t writeTotalMultiplierMs;
    uint32_t writeTotalConstantMs;
};

// --- serial port -----------------------------------------------------------

// Opens the device for reading and writing, exclusively: the open fails while
// another process holds the port, and no other process can open it after.
bool platformOpenPort(const char* devicePath, PortHandle& port);
// Gives up the exclusive hold and closes the port.
void platformClosePort(PortHandle port);
// Applies the line settings and the time-outs; results are not reported.
void platformConfigurePort(PortHandle port, const PortSettings& settings, const PortTimeouts& timeouts);
// Discards whatever is waiting in both directions.
void platformFlushPort(PortHandle port);
// Raises (true) or drops (false) the DTR and RTS lines.
void platformSetModemLines(PortHandle port, bool raised);
// Blocks until every byte has been taken by the port.
void platformWritePort(PortHandle port, const uint8_t* data, size_t length);
// Blocks until `count` bytes have arrived or the read time-out set by
// platformConfigurePort has run out since the call began, whichever comes
// first; `received` tells how many arrived. Fails at once when the line is
// hung up or reports an error.
bool platformReadPort(PortHandle port, uint8_t* buffer, size_t count, size_t& received);

// --- console ---------------------------------------------------------------

// Prepares the console: output unbuffered, keyboard in key mode (one key at a
// time, no echo) with its settings restored at every exit and on the signals
// that end or stop the process; a port still held at such an exit is given
// back too.
void platformInitConsole();
// Writes the text to standard output at once, in one piece.
void platformConsoleWrite(const char* text, size_t length);
// True when a key press is waiting; the key stays waiting.
bool platformKeyPending();
// Waits for one key press and takes it, without echo. A key that the
// terminal sends as several bytes (an escape sequence, a character of
// several bytes) counts as one. Returns at once when the keyboard input has
// ended.
void platformWaitForKey();
// Discards every key typed so far and not yet taken.
void platformDiscardTypedKeys();
// Reads one line typed with echo and line editing into `line` (without its
// line end). False at end of input.
bool platformReadLine(std::string& line);

// --- files and time --------------------------------------------------------

// Names of the regular files in the current directory that end in `suffix`,
// in any case, sorted by name.
std::vector<std::string> platformListFiles(const char* suffix);
// Opens a regular file for binary reading; nullptr for anything else
// (missing, unreadable, a directory, a FIFO, a device).
std::FILE* platformOpenFileForReading(const char* path);
// Pauses the calling thread.
void platformSleep(uint32_t milliseconds);
