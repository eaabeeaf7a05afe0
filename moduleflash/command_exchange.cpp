#include "command_exchange.h"

#include "read_buffer_limit.h"
#include "result_log.h"

namespace {

constexpr int checksumDigits = 3;
constexpr int writeTimeoutMs = 30000;
constexpr int readWaitMs = 100;
constexpr int lineTestsAfterWaits = 50;

bool checksumModeOn = false;

quint8 byteSum(const char* bytes, int length) {
    quint8 sum = 0;
    for (int index = 0; index < length; ++index) sum = quint8(sum + quint8(bytes[index]));
    return sum;
}

}  // namespace

bool checksumMode() { return checksumModeOn; }

void setChecksumMode(bool on) { checksumModeOn = on; }

void appendChecksum(QByteArray& bytes) {
    const quint8 sum = byteSum(bytes.constData(), bytes.size());
    bytes.append(QString::number(sum, 10).rightJustified(checksumDigits, QLatin1Char('0')).toLatin1());
}

bool verifyChecksum(QByteArray& reply) {
    if (reply.endsWith('\n')) reply.chop(1);
    const int bodyLength = reply.size() - checksumDigits;
    if (bodyLength < 0) return false;
    const quint8 sum = byteSum(reply.constData(), bodyLength);
    const QString received = QString::fromLatin1(reply.constData() + bodyLength, checksumDigits);
    // Text that is no number counts as 0.
    if (received.toInt(nullptr, 10) == sum) {
        reply.chop(checksumDigits);
        return true;
    }
    // The computed sum is filled in before the received characters are added,
    // so a "%1" among them is shown as received.
    logResult(ResultStep::checksumError, 0,
        QStringLiteral("Binary parse, Crc ERROR, crc is: ") + received +
            QStringLiteral(", should be: %1").arg(sum, 0, 10, QLatin1Char(' ')));
    return false;
}

bool sendCommand(QIODevice& device, QByteArray command, QByteArray& reply, bool withLineFeed) {
    reply.clear();
    if (checksumModeOn) appendChecksum(command);
    if (withLineFeed) command.append('\n');
    device.write(command);
    if (!device.waitForBytesWritten(writeTimeoutMs)) return false;

    int waits = 0;
    while (!device.canReadLine()) {
        // A full buffer without a line feed takes no more bytes; waiting on
        // would only spin until the waits run out.
        if (device.bytesAvailable() >= readBufferLimit) return false;
        ++waits;
        // Returns early on any arrival; a line split into many pieces uses up waits.
        device.waitForReadyRead(readWaitMs);
        if (waits > lineTestsAfterWaits) return false;
    }
    reply = device.readAll();
    return true;
}

QString replyText(const QByteArray& reply) {
    return QString::fromUtf8(reply.constData(), int(qstrnlen(reply.constData(), uint(reply.size()))));
}

bool isOkReply(QByteArray& reply) {
    if (checksumModeOn) {
        if (reply.size() < checksumDigits || !verifyChecksum(reply)) return false;
    }
    return replyText(reply).trimmed().compare(QLatin1String("OK"), Qt::CaseSensitive) == 0;
}
