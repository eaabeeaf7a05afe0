#include "module_handshake.h"

#include "command_exchange.h"

bool queryFirmwareVersion(QIODevice& device, QByteArray& reply) {
    const QByteArray command("atFirmwareVersionGet");
    if (!sendCommand(device, command, reply, true)) return false;
    if (reply.trimmed().compare("ERROR138", Qt::CaseSensitive) == 0) {
        setChecksumMode(true);
        if (!sendCommand(device, command, reply, true)) return false;
    }
    // A mismatch is reported by its own line but leaves the version readable.
    if (checksumMode()) verifyChecksum(reply);
    return true;
}

bool enableChecksum(QIODevice& device) {
    if (checksumMode()) return true;
    QByteArray reply;
    if (!sendCommand(device, QByteArray("atCrcEnabledSet=true"), reply, true)) return false;
    // The module switches as soon as it takes the command, so its answer
    // already carries a checksum.
    setChecksumMode(true);
    return isOkReply(reply);
}
