// One exchange per cycle: the current step builds its LinkFrame, the frame is
// traced and written, and its reply is read as a LinkFrame: 7 bytes, then the
// L - 1 bytes its length byte announces. Only the status byte is judged; an
// expected status moves the step on. A failed read or a length the reply
// buffer cannot take ends the loop at once.
#include "extension_transfer.h"

#include "console.h"
#include "frame_trace.h"
#include "link_frame.h"
#include "panel_protocol.h"
#include "serial_link.h"

namespace {

// A reply length byte the 128-byte reply buffer can take: 1 to 122.
constexpr uint32_t kMaxReplyLength = kReplyHeaderSize + kReplyPayloadSize - 6;
constexpr uint8_t kOpenAcceptedStatus = 0x0F;
constexpr uint8_t kAcceptedStatus = 0x10;
constexpr uint32_t kChunksPerBlock = 8;
constexpr uint32_t kBlockCount = 128;
constexpr uint32_t kLengthOffset = 3;
constexpr uint32_t kStatusOffset = 4;
constexpr uint32_t kShortFrameLength = 7;
constexpr uint32_t kFinalPauseMs = 2000;

void buildFrame(PanelSession& session, uint8_t command, uint32_t replyAwaited) {
    session.txLength = buildLinkFrame(session, command, session.txFrame);
    session.rxExpected = replyAwaited;
}

// The bytes from the length byte on, one fewer for the shortest frames.
void printTrace(const PanelSession& session) {
    FrameTrace trace;
    uint32_t count = session.txLength == kShortFrameLength ? 4 : 5;
    formatFrameTrace(session.txFrame + kLengthOffset, count, trace);
    consolePrint("%s", trace.text);
}

// Reads the whole reply frame; false after "FAIL -- " when it did not arrive
// whole or announced a length the buffer cannot take.
bool readReply(PanelSession& session) {
    bool ok = readPort(session, session.rxHeader, kReplyHeaderSize);
    uint32_t length = session.rxHeader[kLengthOffset];
    ok = ok && length >= 1 && length <= kMaxReplyLength;
    if (ok) {
        session.rxExpected = length - 1;
        ok = session.rxExpected == 0 || readPort(session, session.rxPayload, session.rxExpected);
    }
    if (!ok) {
        consolePrint("FAIL -- ");
        session.stopFlag = 1;
    }
    return ok;
}

// The work of the current step: builds its frame in txFrame, sets txLength
// and rxExpected (1 when a reply is awaited) and updates the block and chunk
// counters. The final frame's step moves on here; the done step ends the
// phase with success.
void prepareTransferStep(PanelSession& session) {
    session.txLength = 0;
    session.rxExpected = 0;
    switch (session.step) {
    case kOpenStep: buildFrame(session, kOpenCommand, 1); break;
    case kSecondCommandStep: buildFrame(session, kSecondCommand, 1); break;
    case kBeforeBlocksStep: buildFrame(session, kBlockCommand, 1); break;
    case kOpenBlockStep:
        session.chunkIndex = 0;
        buildFrame(session, kBlockCommand, 1);
        break;
    case kChunkStep:
        buildFrame(session, kChunkCommand, 1);
        ++session.chunkIndex;
        break;
    case kCloseBlockStep:
        buildFrame(session, kBlockCommand, 1);
        ++session.blockIndex;
        break;
    case kFinalFrameStep:
        buildFrame(session, kFinalCommand, 0);
        session.step = kTransferDoneStep;
        break;
    case kTransferDoneStep:
        session.failFlag = 0;
        session.stopFlag = 1;
        break;
    default:
        // Not a transfer step: nothing to send, and the phase ends.
        session.stopFlag = 1;
        break;
    }
}

// Moves to the next step once the reply carried the expected status.
void advanceTransferStep(PanelSession& session) {
    switch (session.step) {
    case kBeforeBlocksStep:
        session.blockIndex = 0;
        session.step = kOpenBlockStep;
        break;
    case kChunkStep:
        if (session.chunkIndex >= kChunksPerBlock) {
            session.step = kCloseBlockStep;
        }
        break;
    case kCloseBlockStep: session.step = session.blockIndex < kBlockCount ? kOpenBlockStep : kFinalFrameStep; break;
    default: ++session.step; break;
    }
}

}  // namespace

uint8_t expectedTransferStatus(uint32_t step) { return step == kOpenStep ? kOpenAcceptedStatus : kAcceptedStatus; }

void runExtensionTransfer(PanelSession& session) {
    session.step = kOpenStep;
    session.stopFlag = 0;
    // Only reaching the final step makes the phase a success.
    session.failFlag = 1;
    for (;;) {
        uint32_t stepDone = session.step;
        prepareTransferStep(session);
        if (stepDone == kTransferDoneStep) {
            // The panel takes the final frame without answering; give it
            // time before the port is closed.
            platformSleep(kFinalPauseMs);
        }
        if (session.txLength != 0) {
            printTrace(session);
            writePort(session, session.txFrame, session.txLength);
        }
        if (session.rxExpected != 0) {
            if (!readReply(session)) {
                return;
            }
            uint8_t status = session.rxHeader[kStatusOffset];
            consolePrint("%02X %02X\n", session.rxHeader[kLengthOffset], status);
            if (status == expectedTransferStatus(session.step)) {
                advanceTransferStep(session);
            } else {
                consolePrint("\n\nERROR : data transfer\n");
                session.stopFlag = 1;
            }
        }
        if (keyPending() || session.stopFlag) {
            return;
        }
    }
}
