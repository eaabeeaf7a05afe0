// The panel's USB serial port, played by a pseudo-terminal pair. The emulator
// keeps the master; the updater opens the slave by its name. The master's own
// side is raw (the pty driver translates and echoes nothing there) and
// non-blocking. The slave's line settings are left as whoever opened the port
// set them: a port is configured by its opener, as a real one is, so an
// updater that failed to set its line up fails here as it would on a panel.
// An inotify watch on the slave's node reports every open and close in order,
// so the line hangs up when its last opener closes it, even when the port is
// opened again before the emulator gets round to looking (POLLHUP alone would
// be gone by then), and waiting for the port to come back is a blocking wait,
// not a busy loop.
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
    enum class Event { Opened, Closed };
    // The slave's opens and closes since the last call, in order.
    std::vector<Event> takeOpenEvents();
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
