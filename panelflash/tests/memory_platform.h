// An in-memory stand-in for the platform: the serial port is a scripted peer
// that sees each written frame and queues the bytes of its reply; reads take
// queued bytes, and fewer than asked behave like a read that ran into its
// time-out. Console output is captured, key presses are injected, and pauses
// are recorded instead of taken. One process-wide instance; no threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/platform.h"

struct Pause {
    uint32_t milliseconds;
    size_t afterWrites;  // writes made before the pause began
};

using PeerScript = std::function<void(const uint8_t* frame, size_t length)>;

struct MemoryPlatform {
    PeerScript peer;               // called after every write; may be empty
    std::deque<uint8_t> incoming;  // bytes the next reads take
    bool hungUp = false;           // every read fails, as on a dropped line
    bool openFails = false;
    size_t writeCount = 0;
    size_t keyAfterWrite = 0;  // a key becomes pending once writeCount reaches it; 0: never
    bool keyWaiting = false;
    size_t keysTaken = 0;
    std::string console;
    size_t consoleWrites = 0;
    std::vector<Pause> pauses;

    // Queues bytes for the reads that follow.
    void reply(std::initializer_list<uint8_t> bytes);
    void reply(const uint8_t* bytes, size_t length);
};

// The one instance the platform functions work on.
MemoryPlatform& memoryPlatform();
// The port every open yields: a session can be given it without an open.
PortHandle memoryPort();
// Puts the instance back to its starting state.
void resetMemoryPlatform();
