// Runs the opening course of an update, queryFirmwareVersion and then
// enableChecksum, against a scripted module whose replies come from the fuzz
// input: each reply is split into pieces that arrive one per wait, the first
// possibly at once, and the input also decides whether writes are confirmed
// and whether checksum mode was on before. The exchange must end after at
// most 51 waits; the query sends at most one resend, only after "ERROR138",
// and only that resend or the checksum switch turns the mode on; a failed
// query leaves an empty reply; a success always rests on a whole reply line.
#include "command_exchange.h"
#include "module_handshake.h"
#include "quiet_log.h"
#include "scripted_device.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int maxWaitsPerExchange = 51;

void require(bool condition) {
    if (!condition) std::abort();
}

struct ModuleScript {
    ModuleScript(FuzzedDataProvider& input, ScriptedDevice& device) : input(&input), device(&device) {}

    FuzzedDataProvider* input;
    ScriptedDevice* device;
    QList<QByteArray> replies;
    bool lastReplyHadLine = false;

    // A new reply replaces whatever of the last one was still to come.
    void answer() {
        device->dropQueuedPieces();
        device->writeConfirmed = input->ConsumeIntegralInRange<int>(0, 15) != 0;
        QByteArray reply;
        const int pieces = input->ConsumeIntegralInRange<int>(0, 60);
        for (int index = 0; index < pieces; ++index) {
            const std::string piece = input->ConsumeRandomLengthString(24);
            const QByteArray bytes(piece.data(), int(piece.size()));
            reply.append(bytes);
            if (index == 0 && input->ConsumeBool())
                device->arriveNow(bytes);
            else
                device->queuePiece(bytes);
        }
        replies.append(reply);
        lastReplyHadLine = reply.contains('\n');
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceResultLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool modeBefore = input.ConsumeBool();
    setChecksumMode(modeBefore);
    ScriptedDevice device;
    ModuleScript module(input, device);
    device.peer = [&module](const QByteArray&) { module.answer(); };

    QByteArray reply("left over from an earlier exchange");
    const bool answered = queryFirmwareVersion(device, reply);
    require(device.mostWaitsInOneExchange <= maxWaitsPerExchange);
    require(!device.writes.isEmpty() && device.writes.size() <= 2);
    require(device.writes.first() == (modeBefore ? "atFirmwareVersionGet024\n" : "atFirmwareVersionGet\n"));
    if (device.writes.size() == 2) {
        require(device.writes.last() == "atFirmwareVersionGet024\n");
        require(module.replies.first().trimmed().startsWith("ERROR138"));
    }
    require(checksumMode() == (modeBefore || device.writes.size() == 2));
    require(!answered || module.lastReplyHadLine);
    if (!answered) {
        require(reply.isEmpty());
        setChecksumMode(false);
        return 0;
    }

    const int writesBefore = device.writes.size();
    const bool modeBeforeSwitch = checksumMode();
    const bool switched = enableChecksum(device);
    require(device.mostWaitsInOneExchange <= maxWaitsPerExchange);
    require(!switched || checksumMode());
    if (modeBeforeSwitch) {
        require(switched && device.writes.size() == writesBefore);
    } else {
        require(device.writes.size() == writesBefore + 1 && device.writes.last() == "atCrcEnabledSet=true\n");
        require(!switched || module.lastReplyHadLine);
    }
    setChecksumMode(false);
    return 0;
}
