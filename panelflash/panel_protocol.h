// The words both phases speak: the steps of the session's protocol loops and
// the command bytes of the frames they send. Each is named here once; the
// step machines, the frame builder, the tests and the fuzz targets use the
// names.
#pragma once

#include <cstdint>

// First phase, the bootloader upload: steps 0 to 13.
enum : uint32_t {
    kFirstSyncStep = 0,
    kLastSyncStep = 4,
    kIdentifyStep = 5,
    kPageLoopSetupStep = 6,
    kPageDataStep = 7,
    kPageEraseStep = 8,
    kPageWriteStep = 9,
    kFirstPageDataStep = 10,
    kFirstPageEraseStep = 11,
    kFirstPageWriteStep = 12,
    kBootDoneStep = 13,
};

// BootFrame commands, byte 0 of every first-phase frame.
enum : uint8_t {
    kSyncCommand = 0x00,
    kIdentifyCommand = 0x01,
    kDataCommand = 0x06,
    kEraseCommand = 0x0A,
    kWriteCommand = 0x0B,
};

// Second phase, the extension transfer: steps 14 to 21.
enum : uint32_t {
    kOpenStep = 14,
    kSecondCommandStep = 15,
    kBeforeBlocksStep = 16,
    kOpenBlockStep = 17,
    kChunkStep = 18,
    kCloseBlockStep = 19,
    kFinalFrameStep = 20,
    kTransferDoneStep = 21,
};

// LinkFrame commands, the byte after the length byte.
enum : uint8_t {
    kOpenCommand = 0x61,
    kSecondCommand = 0x1F,
    kBlockCommand = 0x70,
    kChunkCommand = 0x71,
    kFinalCommand = 0x99,
};
