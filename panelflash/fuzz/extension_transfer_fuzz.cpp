// Drives the whole second phase against a peer whose replies come from the
// fuzz input: for each frame either a well-formed reply with the status the
// step expects (of a length the input picks) or raw bytes, with any length
// byte, any status, cut short or running long. The peer keeps its own account
// of whether every answered frame got a whole reply with the right status;
// the phase may report success only then, after all 1284 frames, and must
// report it when that holds and no key cut the run short. Reading a reply
// whose length byte the buffer cannot take must stay inside the buffer,
// which the address sanitizer watches.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "catalogue.h"
#include "extension_transfer.h"
#include "fuzz_session.h"
#include "memory_platform.h"
#include "panel_protocol.h"
#include "panel_session.h"

namespace {

constexpr size_t kFramesInFullTransfer = 3 + 128 * 10 + 1;
constexpr uint32_t kLengthOffset = 3;
constexpr uint32_t kCommandOffset = 4;

struct PeerAccount {
    FuzzedDataProvider* input;
    size_t frames = 0;
    bool everyReplyGood = true;
};

std::vector<uint8_t> goodReply(uint8_t status, uint8_t length) {
    std::vector<uint8_t> reply = {0xAA, 0x16, 0x30, length, status};
    reply.resize(length + 6u, 0x5A);
    return reply;
}

void answer(PeerAccount& account, const uint8_t* frame, size_t length) {
    require(length >= 7 && length <= 128 && frame[kLengthOffset] + 6u == length);
    ++account.frames;
    MemoryPlatform& platform = memoryPlatform();
    // Only the reply to this frame is ever waiting.
    platform.incoming.clear();
    uint8_t command = frame[kCommandOffset];
    if (command == kFinalCommand) {
        return;
    }
    uint8_t expected = command == kOpenCommand ? 0x0F : 0x10;

    uint8_t control = account.input->ConsumeIntegral<uint8_t>();
    std::vector<uint8_t> reply;
    if (control < 0xC0) {
        reply = goodReply(expected, static_cast<uint8_t>(1 + control % 122));
    } else {
        reply = account.input->ConsumeBytes<uint8_t>(account.input->ConsumeIntegralInRange<size_t>(0, 300));
    }
    bool whole = reply.size() >= 7 && reply[kLengthOffset] >= 1 && reply[kLengthOffset] <= 122 &&
                 reply.size() >= reply[kLengthOffset] + 6u;
    account.everyReplyGood = account.everyReplyGood && whole && reply[4] == expected;
    platform.reply(reply.data(), reply.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    PanelSession& session = freshFuzzSession();
    session.model = &kCatalogue[0];
    session.hasExtension = 1;

    PeerAccount account{&input};
    MemoryPlatform& platform = memoryPlatform();
    // 0: no key during the run; otherwise a key arrives after that many writes.
    platform.keyAfterWrite = input.ConsumeIntegral<uint16_t>() % 2048;
    platform.peer = [&account](const uint8_t* frame, size_t length) { answer(account, frame, length); };

    runExtensionTransfer(session);

    require(account.frames <= kFramesInFullTransfer);
    if (session.failFlag == 0) {
        require(account.everyReplyGood && account.frames == kFramesInFullTransfer && session.stopFlag == 1);
        require(platform.pauses.size() == 1 && platform.pauses[0].afterWrites == kFramesInFullTransfer);
    }
    bool keyArrived = platform.keyAfterWrite != 0 && account.frames >= platform.keyAfterWrite;
    if (account.everyReplyGood && !keyArrived) {
        require(session.failFlag == 0 && account.frames == kFramesInFullTransfer);
    }
    return 0;
}
