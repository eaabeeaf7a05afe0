// Drives the whole first phase over a small image against a peer whose
// replies come from the fuzz input. For each frame the input says whether the
// peer answers like a healthy bootloader or with raw bytes (short, refused,
// a wrong hardware code, anything). The peer keeps its own account of whether
// every frame got a good answer; the phase may report success only then, and
// must report it when every frame did and no key cut the run short. Every
// frame must be a known command of its own length carrying the next sequence
// byte, and the run may not send more frames than the image needs.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "bootloader_upload.h"
#include "catalogue.h"
#include "fuzz_session.h"
#include "memory_platform.h"
#include "panel_protocol.h"
#include "panel_session.h"

namespace {

// Image bodies that reach the interesting page counts: none, one page, one
// sector boundary, and the last pages the sector map covers and beyond.
constexpr uint32_t kBodyPages[] = {0, 1, 2, 9, 0x7C, 0x7D, 0x80};

struct PeerAccount {
    FuzzedDataProvider* input;
    uint8_t hardwareCode;
    uint8_t nextSequence = 0;
    size_t frames = 0;
    bool everyReplyGood = true;
};

bool codeAccepted(uint8_t reported, uint8_t chosen) {
    return reported == chosen || (reported == 0x44 && chosen == 0x24);
}

void checkFrame(PeerAccount& account, const uint8_t* frame, size_t length) {
    require(length >= 2);
    require(frame[1] == account.nextSequence);
    ++account.nextSequence;
    switch (frame[0]) {
    case kSyncCommand:
    case kIdentifyCommand: require(length == 2); break;
    case kDataCommand: require(length == 63 && frame[2] <= 68); break;
    case kEraseCommand: require(length == 3 && frame[2] < kSectorCount); break;
    case kWriteCommand: require(length == 4 && frame[2] < kSectorCount); break;
    default: require(false);
    }
}

void answer(PeerAccount& account, const uint8_t* frame, size_t length) {
    checkFrame(account, frame, length);
    ++account.frames;
    bool identification = frame[0] == kIdentifyCommand;
    MemoryPlatform& platform = memoryPlatform();
    // Only the reply to this frame is ever waiting.
    platform.incoming.clear();

    uint8_t control = account.input->ConsumeIntegral<uint8_t>();
    std::vector<uint8_t> reply;
    if (control < 0xC0) {
        reply = {control, 0x00, identification ? account.hardwareCode : uint8_t{0x00}};
    } else {
        reply = account.input->ConsumeBytes<uint8_t>(control & 0x03);
    }
    bool good = reply.size() == kBootReplySize && reply[2] != 1 &&
                (!identification || codeAccepted(reply[2], account.hardwareCode));
    account.everyReplyGood = account.everyReplyGood && good;
    platform.reply(reply.data(), reply.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    PanelSession& session = freshFuzzSession();

    session.model = &kCatalogue[input.ConsumeIntegralInRange<uint32_t>(0, kCatalogueSize - 1)];
    session.imageSize = input.PickValueInArray(kBodyPages) * kPageSize;
    session.sequence = input.ConsumeIntegral<uint8_t>();

    PeerAccount account{&input, session.model->hardwareCode};
    account.nextSequence = session.sequence;
    MemoryPlatform& platform = memoryPlatform();
    // 0: no key during the run; otherwise a key arrives after that many writes.
    platform.keyAfterWrite = input.ConsumeIntegral<uint16_t>() % 512;
    platform.peer = [&account](const uint8_t* frame, size_t length) { answer(account, frame, length); };

    uint32_t bodyPages = session.imageSize / kPageSize;
    runBootloaderUpload(session);

    // Device page 3 is always written, then image page 0; each page costs at
    // most 69 Data packets, an Erase and a Write.
    size_t pagesSent = (bodyPages < 2 ? 1 : bodyPages - 1) + 1;
    require(account.frames <= 5 + 1 + pagesSent * (69 + 1 + 1));
    if (session.failFlag == 0) {
        require(account.everyReplyGood && session.step == kBootDoneStep && session.stopFlag == 1);
    }
    bool keyArrived = platform.keyAfterWrite != 0 && account.frames >= platform.keyAfterWrite;
    if (account.everyReplyGood && !keyArrived) {
        require(session.failFlag == 0 && session.stopFlag == 1);
    }
    return 0;
}
