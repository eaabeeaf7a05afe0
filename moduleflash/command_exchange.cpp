#include "command_exchange.h"

#include "checksum_framing.h"
#include "read_buffer_limit.h"

namespace {

constexpr int writeTimeoutMs = 30000;
constexpr int readWaitMs = 100;
constexpr int lineTestsAfterWaits = 50;

} // namespace

bool sendCommand(QIODevice &device, QByteArray command, QByteArray &reply, bool withLineFeed)
{
    reply.clear();
    if (checksumMode)
        appendChecksum(command);
    if (withLineFeed)
        command.append('\n');
    device.write(command);
    if (!device.waitForBytesWritten(writeTimeoutMs))
        return false;

    int waits = 0;
    while (!device.canReadLine()) {
        // A full buffer without a line feed takes no more bytes; waiting on
        // would only spin until the waits run out.
        if (device.bytesAvailable() >= readBufferLimit)
            return false;
        ++waits;
        // Returns early on any arrival; a line split into many pieces uses up waits.
        device.waitForReadyRead(readWaitMs);
        if (waits > lineTestsAfterWaits)
            return false;
    }
    reply = device.readAll();
    return true;
}
