// The files the emulator leaves behind for whoever drives it: the firmware
// as reassembled from the chunks, and a log of every command received, one
// escaped line per command, flushed as it is written.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace module_emulator {

// Replaces `path` with `bytes`; false (and a note on stderr) on failure.
bool writeFirmwareFile(const std::string& path, std::string_view bytes);

class CommandLog {
public:
    // An empty path records nothing.
    bool open(const std::string& path);
    void record(std::string_view line);

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace module_emulator
