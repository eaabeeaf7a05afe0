// One exchange per cycle: the current step builds its frame, the frame is
// traced and written, its 3-byte reply is read, traced and judged, and a
// pending key or stopFlag ends the loop. Image page k goes to device page
// k + 2; pages go out from device page 3 upwards, each as 69 Data packets,
// an Erase when the page begins a sector, and a Write; image page 0 goes last,
// to device page 2.
#include "bootloader_upload.h"

#include <cstring>

#include "catalogue.h"
#include "console.h"
#include "frame_trace.h"
#include "panel_protocol.h"
#include "serial_link.h"

// A row of the source is a run of sectors of one size.
// clang-format off
const SectorMapRow kSectorMap[kSectorCount] = {
    // 4 KiB sectors
    {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1},
    // 32 KiB sectors
    {8, 8}, {16, 8}, {24, 8}, {32, 8}, {40, 8}, {48, 8}, {56, 8},
    {64, 8}, {72, 8}, {80, 8}, {88, 8}, {96, 8}, {104, 8}, {112, 8},
    // 4 KiB sectors
    {120, 1}, {121, 1}, {122, 1}, {123, 1}, {124, 1}, {125, 1},
};
// clang-format on

namespace {

constexpr uint8_t kRefusedStatus = 1;
constexpr uint32_t kImageStartAddress = 0x2000;
constexpr uint32_t kFirstLoopAddress = 0x3000;
constexpr uint32_t kPacketDataSize = 60;
constexpr uint32_t kPacketsPerPage = 69;
constexpr uint32_t kDataFrameLength = 3 + kPacketDataSize;
constexpr uint8_t kFirstPageSector = 2;

// Starts a frame of `length` bytes that expects a reply; byte 1 takes the
// sequence byte, which then moves on (wrapping at 256).
uint8_t* beginFrame(PanelSession& session, uint8_t command, uint32_t length) {
    session.txFrame[0] = command;
    session.txFrame[1] = session.sequence++;
    session.txLength = length;
    session.rxExpected = kBootReplySize;
    return session.txFrame;
}

// The next of the page's 69 packets; true once the last one is built.
bool buildDataPacket(PanelSession& session) {
    uint8_t* frame = beginFrame(session, kDataCommand, kDataFrameLength);
    frame[2] = static_cast<uint8_t>(session.packetIndex);
    // A page's last packet carries 44 bytes past the page; past the end of
    // the image buffer those are zero bytes.
    const uint8_t* imageEnd = session.image + kImageCapacity;
    uint32_t available = static_cast<uint32_t>(imageEnd - session.dataCursor);
    uint32_t copied = available < kPacketDataSize ? available : kPacketDataSize;
    std::memcpy(frame + 3, session.dataCursor, copied);
    std::memset(frame + 3 + copied, 0, kPacketDataSize - copied);
    session.dataCursor += copied;
    ++session.packetIndex;
    return session.packetIndex == kPacketsPerPage;
}

void buildErase(PanelSession& session, uint8_t sector) {
    uint8_t* frame = beginFrame(session, kEraseCommand, 3);
    frame[2] = sector;
    session.currentSector = sector;
}

void buildWrite(PanelSession& session, uint8_t sector, uint8_t pageInSector) {
    uint8_t* frame = beginFrame(session, kWriteCommand, 4);
    frame[2] = sector;
    frame[3] = pageInSector;
}

void startPageLoop(PanelSession& session) {
    session.imageSize += kImageStartAddress;
    session.pageAddress = kFirstLoopAddress;
    session.pageIndex = 1;
    session.packetIndex = 0;
    session.dataCursor = session.image + kPageSize;
}

// Erases only when the page is the first page of a sector.
void eraseIfSectorStart(PanelSession& session) {
    uint32_t page = session.pageAddress / kPageSize;
    for (uint32_t row = 0; row < kSectorCount; ++row) {
        if (kSectorMap[row].firstPage == page) {
            buildErase(session, static_cast<uint8_t>(row));
            return;
        }
    }
}

void writePageAndMoveOn(PanelSession& session) {
    uint32_t page = session.pageAddress / kPageSize;
    buildWrite(
        session, session.currentSector, static_cast<uint8_t>(page - kSectorMap[session.currentSector].firstPage));
    ++session.pageIndex;
    session.packetIndex = 0;
    session.pageAddress += kPageSize;
    session.dataCursor = session.image + session.pageIndex * kPageSize;
    if (session.pageAddress < session.imageSize) {
        session.step = kPageDataStep;
        return;
    }
    session.step = kFirstPageDataStep;
    session.dataCursor = session.image;
}

void printTrace(const uint8_t* bytes, uint32_t count) {
    FrameTrace trace;
    formatFrameTrace(bytes, count, trace);
    consolePrint("%s", trace.text);
}

// The work of the current step: builds the frame in txFrame, sets txLength
// and rxExpected (0 when the cycle sends or reads nothing) and moves step on.
void prepareBootStep(PanelSession& session) {
    session.txLength = 0;
    session.rxExpected = 0;
    switch (session.step) {
    case kFirstSyncStep:
    case 1:
    case 2:
    case 3:
    case kLastSyncStep:
        beginFrame(session, kSyncCommand, 2);
        ++session.step;
        break;
    case kIdentifyStep:
        beginFrame(session, kIdentifyCommand, 2);
        session.step = kPageLoopSetupStep;
        break;
    case kPageLoopSetupStep:
        startPageLoop(session);
        session.step = kPageDataStep;
        break;
    case kPageDataStep:
        if (buildDataPacket(session)) {
            session.step = kPageEraseStep;
        }
        break;
    case kPageEraseStep:
        eraseIfSectorStart(session);
        session.step = kPageWriteStep;
        break;
    case kPageWriteStep: writePageAndMoveOn(session); break;
    case kFirstPageDataStep:
        if (buildDataPacket(session)) {
            session.step = kFirstPageEraseStep;
        }
        break;
    case kFirstPageEraseStep:
        buildErase(session, kFirstPageSector);
        session.step = kFirstPageWriteStep;
        break;
    case kFirstPageWriteStep:
        session.stopFlag = 1;
        buildWrite(session, kFirstPageSector, 0);
        session.step = kBootDoneStep;
        break;
    default:
        // Past the final Write there is nothing left to send.
        session.stopFlag = 1;
        break;
    }
}

}  // namespace

BootReply judgeBootReply(bool readOk, uint8_t status, bool identification, uint8_t chosenCode) {
    if (!readOk || status == kRefusedStatus) {
        return BootReply::refused;
    }
    if (identification && hardwareMismatch(status, chosenCode) != nullptr) {
        return BootReply::wrongHardware;
    }
    return BootReply::accepted;
}

void runBootloaderUpload(PanelSession& session) {
    session.step = kFirstSyncStep;
    // Only an accepted final Write makes the phase a success.
    session.failFlag = 1;
    for (;;) {
        uint32_t stepDone = session.step;
        prepareBootStep(session);
        if (session.txLength != 0) {
            printTrace(session.txFrame, session.txLength);
            writePort(session, session.txFrame, session.txLength);
        }
        if (session.rxExpected != 0) {
            // Cleared so that a short reply never shows or is judged by the
            // bytes of an earlier one.
            std::memset(session.rxHeader, 0, kBootReplySize);
            bool readOk = readPort(session, session.rxHeader, kBootReplySize);
            uint8_t status = session.rxHeader[2];
            consolePrint("%02X %02X %02X\n", session.rxHeader[0], session.rxHeader[1], status);
            switch (judgeBootReply(readOk, status, stepDone == kIdentifyStep, session.model->hardwareCode)) {
            case BootReply::refused:
                consolePrint("FAIL -- ");
                session.stopFlag = 1;
                break;
            case BootReply::wrongHardware:
                consolePrint("\n\nERROR : INVALID HARDWARE\n\tSelected file is for %s\n", session.model->name);
                consolePrint("Target hardware identified is %s\n", hardwareName(status));
                session.stopFlag = 1;
                break;
            case BootReply::accepted:
                if (stepDone == kFirstPageWriteStep) {
                    session.failFlag = 0;
                }
                break;
            }
        }
        if (keyPending() || session.stopFlag) {
            return;
        }
    }
}
