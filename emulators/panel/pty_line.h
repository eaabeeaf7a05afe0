// The panel's USB serial port, played by a pseudo-terminal pair. The emulator
// keeps the master; the updater opens the slave by its name. The master is
// raw (no byte translated or echoed) and non-blocking. When the updater closes
// the slave the master reports POLLHUP; while hung up, the master is left out
// of polling and an inotify watch on the slave's node signals the next open,
// so waiting for the port to come back is a blocking wait, not a busy loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace panel_emulator {

class PtyLine {
public:
    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // The slave's path without "/dev/", e.g. "pts/4".
    std::string portName() const;
    int masterFd() const { return master_; }
    int openWatchFd() const { return openWatch_; }

    // Everything waiting on the master now.
    std::vector<std::uint8_t> readAvailable();
    // True while no process has the slave open (after it was opened once).
    bool hungUp() const;
    // Takes pending open/close notifications off the watch descriptor.
    void drainOpenWatch();
    // Writes all bytes, waiting up to a second for room; false if the line took them not.
    bool write(const std::vector<std::uint8_t>& bytes);
    // Closes the master: the slave's node disappears and the port is gone.
    void close();

private:
    int master_ = -1;
    int openWatch_ = -1;
    std::string slavePath_;
};

}  // namespace panel_emulator
