// The one seam between panelflash and the operating system.
//
// Everything outside this folder is portable C++ that calls only the
// functions below. Each platform gets its backend sources chosen by CMake
// (posix_*.cpp for Linux, win32_*.cpp for Windows); a test or fuzz build links
// an in-memory backend in their place. Backends never print protocol messages
// and never end the process: they report success or failure and the caller
// decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// An open serial port: a record of the backend's own, holding the device and
// what belongs to it for as long as it is open (such as its read time-out).
// kNoPort when none is open.
struct PlatformPort;
using PortHandle = PlatformPort*;
constexpr PortHandle kNoPort = nullptr;

// What comes before the port name in a device path: "/dev/" on POSIX,
// "\\.\" on Windows. Defined by each backend, at most
// kMaxDevicePathPrefixLength characters.
extern const char kDevicePathPrefix[];
constexpr size_t kMaxDevicePathPrefixLength = 5;

// Line settings that each set-up applies. Every backend applies the speed,
// the data bits, the parity checking and the stop bits. `binary` and
// `abortOnError` are for a platform whose driver has such switches; a backend
// whose line is always raw and never aborts transfers on an error may
// ignore them.
struct PortSettings {
    uint32_t baudRate;
    uint8_t dataBits;
    bool parityChecking;  // false: no parity bit and no parity check
    uint8_t stopBits;
    bool binary;        // raw bytes, no translation of any kind
    bool abortOnError;  // false: a line error does not abort reads and writes
};

// Time-outs that each set-up applies; 0 means "none". Every backend honours
// readTotalConstantMs as the limit of each read. The interval and the
// multipliers, and a write limit, may be ignored by a backend that has no
// such timers, provided the caller asks for none (0): such a backend's
// writes never time out.
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
// The whole set-up, in the platform's order: the line settings and the
// time-outs applied, both directions emptied, DTR and RTS raised. Results are
// not reported. The time-outs hold for this port until it is closed.
void platformConfigurePort(PortHandle port, const PortSettings& settings, const PortTimeouts& timeouts);
// The whole close, in the platform's order: DTR and RTS dropped, both
// directions emptied, the exclusive hold given up and the port closed.
void platformClosePort(PortHandle port);
// Blocks until every byte has been taken by the port.
void platformWritePort(PortHandle port, const uint8_t* data, size_t length);
// Blocks until `count` bytes have arrived or this port's read time-out has
// run out since the call began, whichever comes first; `received` tells how
// many arrived. Fails when the line reports an error; POSIX also fails at
// once when the line is hung up.
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
// keyboard sends as several codes (an escape sequence, a character of several
// bytes, a function key's two codes) counts as one. Returns at once when the
// keyboard input has ended.
void platformWaitForKey();
// Discards every key typed so far and not yet taken.
void platformDiscardTypedKeys();

// --- files and time --------------------------------------------------------

// Longest path a pick yields.
constexpr size_t kMaxPickedPathLength = 255;
// Lets the user choose a file in the platform's own way: the system's
// open-file dialog where there is one, otherwise a numbered list of the
// current directory's files that end in `extension` (".bim"), typed into on
// the console. `description` names the kind of file for the dialog's filter.
// False when the user cancelled (or the dialog failed); `path` then is
// untouched and nothing has been printed since the pick began, besides the
// list itself.
bool platformPickFile(const char* description, const char* extension, std::string& path);
// Opens a regular file for binary reading; nullptr for anything else
// (missing, unreadable, a directory, a FIFO, a device).
std::FILE* platformOpenFileForReading(const char* path);
// Pauses the calling thread.
void platformSleep(uint32_t milliseconds);
