#include "memory_platform.h"

#include <algorithm>

#include "platform/platform.h"

const char kDevicePathPrefix[] = "/dev/";

// The in-memory port has nothing of its own to hold.
struct PlatformPort {};

namespace {

MemoryPlatform instance;
PlatformPort theOnlyPort;

}  // namespace

void MemoryPlatform::reply(std::initializer_list<uint8_t> bytes) {
    incoming.insert(incoming.end(), bytes.begin(), bytes.end());
}

void MemoryPlatform::reply(const uint8_t* bytes, size_t length) {
    incoming.insert(incoming.end(), bytes, bytes + length);
}

MemoryPlatform& memoryPlatform() { return instance; }

PortHandle memoryPort() { return &theOnlyPort; }

void resetMemoryPlatform() { instance = MemoryPlatform{}; }

bool platformOpenPort(const char*, PortHandle& port) {
    if (instance.openFails) {
        return false;
    }
    port = memoryPort();
    return true;
}

// Set-up and close both empty the line.
void platformConfigurePort(PortHandle, const PortSettings&, const PortTimeouts&) { instance.incoming.clear(); }

void platformClosePort(PortHandle) { instance.incoming.clear(); }

void platformWritePort(PortHandle, const uint8_t* data, size_t length) {
    ++instance.writeCount;
    if (instance.peer) {
        instance.peer(data, length);
    }
}

bool platformReadPort(PortHandle, uint8_t* buffer, size_t count, size_t& received) {
    received = 0;
    if (instance.hungUp) {
        return false;
    }
    received = std::min(count, instance.incoming.size());
    std::copy_n(instance.incoming.begin(), received, buffer);
    instance.incoming.erase(
        instance.incoming.begin(), instance.incoming.begin() + static_cast<std::ptrdiff_t>(received));
    return true;
}

void platformInitConsole() {}

void platformConsoleWrite(const char* text, size_t length) {
    instance.console.append(text, length);
    ++instance.consoleWrites;
}

bool platformKeyPending() {
    return instance.keyWaiting || (instance.keyAfterWrite != 0 && instance.writeCount >= instance.keyAfterWrite);
}

void platformWaitForKey() {
    if (platformKeyPending()) {
        ++instance.keysTaken;
    }
    instance.keyWaiting = false;
    instance.keyAfterWrite = 0;
}

void platformDiscardTypedKeys() { instance.keyWaiting = false; }

bool platformPickFile(const char*, const char*, std::string&) { return false; }

std::FILE* platformOpenFileForReading(const char*) { return nullptr; }

void platformSleep(uint32_t milliseconds) { instance.pauses.push_back(Pause{milliseconds, instance.writeCount}); }
