#include "update_sequence.h"

#include "command_exchange.h"
#include "command_line.h"
#include "module_handshake.h"
#include "result_log.h"

#include <QFileInfo>

namespace {

bool acknowledged(ModuleSession& session, const QByteArray& command, bool withLineFeed) {
    return sendCommand(*session.device, command, session.reply, withLineFeed) && isOkReply(session.reply);
}

bool reportVersion(ModuleSession& session) {
    if (!queryFirmwareVersion(*session.device, session.reply)) {
        logResult(ResultStep::versionQuery, -1, QStringLiteral("Unable to get current firmware version!!!"));
        return false;
    }
    logResult(
        ResultStep::versionQuery, 0, QStringLiteral("Current firmware version: ") + replyText(session.reply).trimmed());
    return true;
}

bool loadFirmware(ModuleSession& session, int argc, const char* const* argv) {
    session.file = std::make_unique<QFile>(argumentValue(argc, argv, QStringLiteral("FileIn")));
    if (!session.file->exists()) {
        logResult(ResultStep::firmwareFile, -1, QStringLiteral("File not exists!!!"));
        return false;
    }
    // Only a regular file has a size to read whole: a FIFO would block the
    // open until a writer came, a device would give any number of bytes.
    if (!QFileInfo(*session.file).isFile() || !session.file->open(QIODevice::ReadOnly)) {
        logResult(ResultStep::firmwareFile, -1, QStringLiteral("Unable to open file!!!"));
        return false;
    }
    session.firmware = session.file->readAll();
    // A file that did not come in whole (one of 2 GiB or more does not fit
    // in one array and reads as nothing) must never be sent as the firmware.
    if (session.firmware.size() != session.file->size()) {
        logResult(ResultStep::firmwareFile, -1, QStringLiteral("Unable to open file!!!"));
        return false;
    }
    session.pending = QByteArray::fromRawData(session.firmware.constData(), session.firmware.size());
    logResult(
        ResultStep::firmwareFile, 0, QStringLiteral("File in size: ") + QString::number(session.pending.size(), 10));
    return true;
}

bool switchOnChecksum(ModuleSession& session) {
    if (!enableChecksum(*session.device)) {
        logResult(ResultStep::checksumSwitch, -1, QStringLiteral("Unable to enable crc!!!"));
        return false;
    }
    logResult(ResultStep::checksumSwitch, 0, QStringLiteral("Crc enabled correctly"));
    return true;
}

bool initializeUpload(ModuleSession& session) {
    if (!acknowledged(session, QByteArray("atOTAFirmwareInitialize"), true)) {
        logResult(ResultStep::uploadInitialise, -1, QStringLiteral("Unable to initialize firmware upload!!!"));
        return false;
    }
    logResult(ResultStep::uploadInitialise, 0, QStringLiteral("Firmware upload initialized correctly"));
    return true;
}

// Drops the first `length` bytes from the view; the firmware bytes stay
// where they are, so a chunk costs no move of the rest of the file.
void dropAcknowledged(ModuleSession& session, int length) {
    session.pending = QByteArray::fromRawData(session.pending.constData() + length, session.pending.size() - length);
}

// Each chunk is announced with its length, then sent raw; it leaves pending
// only once the module has acknowledged it.
bool sendChunks(ModuleSession& session, int chunkSize) {
    while (!session.pending.isEmpty()) {
        const int length = qMin(session.pending.size(), chunkSize);
        const QByteArray sizeCommand = "atOTAFirmwareBufferSet=" + QString::number(length, 10).toLatin1();
        if (!acknowledged(session, sizeCommand, true)) {
            logResult(ResultStep::firmwarePacket, -1, QStringLiteral("Unable to set buffer size!!!"));
            return false;
        }
        if (!acknowledged(session, QByteArray::fromRawData(session.pending.constData(), length), false)) {
            logResult(ResultStep::firmwarePacket, -1,
                QStringLiteral("Unable to send firmware packet!!! ") + replyText(session.reply));
            return false;
        }
        dropAcknowledged(session, length);
        const int remaining = session.pending.size();
        logResult(ResultStep::firmwarePacket, remaining,
            QStringLiteral("Firmware packet sent, remaining: ") + QString::number(remaining, 10));
    }
    return true;
}

bool confirmFirmware(ModuleSession& session) {
    if (!acknowledged(session, QByteArray("atOTAFirmwareEnd"), true)) {
        logResult(ResultStep::uploadEnd, -1, QStringLiteral("Firmware get firmware confirmation!!!"));
        return false;
    }
    logResult(ResultStep::uploadEnd, 0, QStringLiteral("Firmware confirmed from device"));
    return true;
}

void restartDevice(ModuleSession& session) {
    if (acknowledged(session, QByteArray("atRestartSet"), true))
        logResult(ResultStep::restart, 0, QStringLiteral("Device restarted correctly"));
    else
        logResult(ResultStep::restart, -1, QStringLiteral("Unable to restart the device!!!"));
}

void runStages(ModuleSession& session, int argc, const char* const* argv, int chunkSize) {
    if (!reportVersion(session)) return;
    if (hasArgument(argc, argv, QStringLiteral("FirmwareVersionGetOnly"))) return;
    if (!loadFirmware(session, argc, argv) || !switchOnChecksum(session) || !initializeUpload(session) ||
        !sendChunks(session, chunkSize) || !confirmFirmware(session))
        return;
    restartDevice(session);
}

}  // namespace

void runUpdate(ModuleSession& session, int argc, const char* const* argv, int chunkSize) {
    runStages(session, argc, argv, chunkSize);
    if (session.file && session.file->isOpen()) session.file->close();
}
