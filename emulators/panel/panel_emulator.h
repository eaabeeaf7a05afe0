// The emulated panel on its pseudo-terminal: first its bootloader, then, once
// the first phase is complete (device page 2 written) and the updater has
// closed the port, its running firmware on the same port name.
// One thread, one poll(2) loop over the master, the slave's open watch (the
// line is up while at least one process has the slave open), a
// signalfd for SIGTERM/SIGINT and the time the next reply or the end is due.
// A paced line dates each frame by when its last byte has come down the line
// and lets its reply leave only after that, the reply latency and the reply's
// own bit times; the waits end on the monotonic clock to the nanosecond.
#pragma once

#include "arrival_clock.h"
#include "bootloader.h"
#include "emulator_options.h"
#include "firmware_link.h"
#include "pty_line.h"
#include "reply_queue.h"

#include <chrono>
#include <optional>
#include <ostream>

namespace panel_emulator {

class PanelEmulator {
public:
    PanelEmulator(EmulatorOptions options, std::ostream& log);
    ~PanelEmulator();

    std::string portName() const { return line_.portName(); }
    // Serves until the update is over or a signal ends it; returns the exit status.
    int run();

private:
    enum class Side { Bootloader, Firmware };

    void followOpenEvents();
    void receive();
    void serveBootFrames(std::chrono::steady_clock::time_point askedAt);
    void serveLinkFrames(std::chrono::steady_clock::time_point askedAt);
    void lineHungUp();
    void lineOpened();
    void sendDueReplies();
    std::optional<std::chrono::steady_clock::time_point> nextWake() const;
    void writeFlash();
    void writeExtension();
    int finish(const char* why);

    EmulatorOptions options_;
    std::ostream& log_;
    PtyLine line_;
    int signals_ = -1;
    Side side_ = Side::Bootloader;
    int openers_ = 0;
    bool done_ = false;
    Bootloader bootloader_;
    BootFrameAssembler bootFrames_;
    FirmwareLink firmware_;
    LinkFrameReader linkFrames_;
    ArrivalClock inputLine_;
    ReplyQueue replies_;
    unsigned bootFrameCount_ = 0;
    unsigned firmwareFrameCount_ = 0;
    bool hangUpAfterReplies_ = false;
    std::optional<std::chrono::steady_clock::time_point> endAfterTransfer_;
};

}  // namespace panel_emulator
