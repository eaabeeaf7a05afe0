#include "serial_link.h"

#include <cstring>

bool setDevicePath(PanelSession& session, const char* portName) {
    // The prefix has at most kMaxDevicePathPrefixLength characters, so a
    // name within its limit always fits with its NUL.
    size_t prefixLength = std::strlen(session.devicePath);
    size_t nameLength = std::strlen(portName);
    if (nameLength > kMaxPortNameLength) {
        return false;
    }
    std::memcpy(session.devicePath + prefixLength, portName, nameLength + 1);
    return true;
}

bool openPort(PanelSession& session) { return platformOpenPort(session.devicePath, session.port); }

void configurePort(PanelSession& session) {
    session.commTimeouts = PortTimeouts{0, 0, 1000, 0, 0};
    session.commState = PortSettings{57600, 8, false, 1, true, false};
    platformConfigurePort(session.port, session.commState, session.commTimeouts);
}

void closePort(PanelSession& session) {
    platformClosePort(session.port);
    session.port = kNoPort;
}

void writePort(PanelSession& session, const uint8_t* data, uint32_t length) {
    platformWritePort(session.port, data, length);
}

bool readPort(PanelSession& session, uint8_t* buffer, uint32_t count) {
    size_t received = 0;
    bool lineOk = platformReadPort(session.port, buffer, count, received);
    return lineOk && received == count;
}
