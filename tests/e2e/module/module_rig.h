// One end-to-end run: the real module emulator on a pseudo-terminal or on
// loopback TCP, and the real moduleflash against it, in a temporary
// directory that holds the firmware files. The updater's account of a run
// is its standard error, one quoted result line per line; the module's is
// the firmware it reassembled and the log of the commands it received.
#pragma once

#include "child_process.h"
#include "deadline.h"
#include "temp_dir.h"

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace module_e2e {

using namespace std::chrono_literals;

enum class Link { Serial, Tcp };

// The line as the updater's debug stream writes it: step|value|message in
// double quotes. `message` must already carry the stream's escapes.
std::string resultLine(int step, int value, const std::string& message);

// A command as the module receives it in checksum mode: text and digits.
std::string withChecksum(const std::string& text);
// A raw chunk as the emulator logs it: its size and its checksum digits.
std::string chunkEntry(const std::string& data);

struct UpdaterRun {
    std::vector<std::string> lines;  // standard error, split at line feeds
    std::string standardOutput;
    test_support::ExitStatus status;
    std::chrono::milliseconds elapsed{0};
};

// The run ended with status 0, wrote nothing on standard output, and its
// result lines are exactly `expected`.
void expectResultLines(const UpdaterRun& run, const std::vector<std::string>& expected);

// Firmware whose bytes include line feeds, zeros and 0xff, so that a chunk
// cut at a line feed or a text conversion shows in the received copy.
std::string firmwareOfSize(std::size_t size);

class ModuleRig {
public:
    // Starts the emulator with these options (plus its output files).
    void startModule(Link link, const std::vector<std::string>& options = {});
    test_support::ChildProcess& module() { return *module_; }
    // The TCP port or the pty name the emulator announced.
    const std::string& address() const { return address_; }
    // The words that lead the updater to the emulator started last.
    std::vector<std::string> connectionWords() const;

    // Set in the updater's environment for the runs that follow.
    void setUpdaterVariable(const std::string& name, const std::string& value);

    std::string writeFirmware(const std::string& name, const std::string& bytes) const;
    std::string path(const std::string& name) const { return work_.file(name); }

    // Runs the updater to its end with these words (the program name is added).
    UpdaterRun runUpdater(const std::vector<std::string>& words, std::chrono::milliseconds within = 30s) const;
    // The connection words, then `words`.
    UpdaterRun runUpdate(const std::vector<std::string>& words, std::chrono::milliseconds within = 30s) const;

    // The emulator must end by itself once the updater has gone, with status 0.
    void expectModuleEnded();
    std::vector<std::string> commandsReceived() const;
    std::string firmwareReceived() const;
    std::string moduleLog();

private:
    test_support::TempDir work_;
    Link link_ = Link::Tcp;
    std::string address_;  // TCP port or pty name
    std::unique_ptr<test_support::ChildProcess> module_;
    std::vector<std::pair<std::string, std::string>> updaterEnvironment_;
};

}  // namespace module_e2e
