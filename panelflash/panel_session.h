// The one record a panelflash run works on. main owns a static instance;
// every procedure takes it by reference, so a test can build its own.
#pragma once

#include <cstdint>
#include <cstring>

#include "catalogue.h"
#include "platform/platform.h"

// The device path is the backend's prefix (kDevicePathPrefix), the port name
// and a NUL.
constexpr uint32_t kMaxPortNameLength = 27;
constexpr uint32_t kDevicePathSize = kMaxDevicePathPrefixLength + kMaxPortNameLength + 1;
constexpr uint32_t kFrameCapacity = 128;
constexpr uint32_t kReplyHeaderSize = 7;
constexpr uint32_t kReplyPayloadSize = 121;

struct PanelSession {
    // Serial link.
    char devicePath[kDevicePathSize];
    PortHandle port;
    PortSettings commState;
    PortTimeouts commTimeouts;

    // Model and image.
    const ModelEntry* model;
    uint8_t image[kImageCapacity];
    uint32_t imageSize;
    uint32_t hasExtension;

    // Protocol loops.
    uint32_t step;
    uint8_t sequence;
    uint32_t stopFlag;
    uint32_t failFlag;
    uint8_t txFrame[kFrameCapacity];
    uint32_t txLength;
    uint32_t rxExpected;
    // One 128-byte reply buffer: the first 7 bytes, then the rest.
    uint8_t rxHeader[kReplyHeaderSize];
    uint8_t rxPayload[kReplyPayloadSize];

    // First phase.
    uint32_t pageAddress;
    uint8_t pageIndex;
    const uint8_t* dataCursor;
    uint32_t packetIndex;
    uint8_t currentSector;

    // Second phase.
    uint32_t blockIndex;
    uint32_t chunkIndex;
};

// Sets every field to its program-start value: zero, with the device path
// prefix in place and no port open.
inline void resetSession(PanelSession& session) {
    std::memset(&session, 0, sizeof session);
    std::strncpy(session.devicePath, kDevicePathPrefix, kMaxDevicePathPrefixLength);
    session.port = kNoPort;
}
