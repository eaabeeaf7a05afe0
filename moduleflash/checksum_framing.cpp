#include "checksum_framing.h"

#include "reply_text.h"
#include "result_log.h"

#include <QString>

bool checksumMode = false;

namespace {

constexpr int checksumDigits = 3;

quint8 byteSum(const char *bytes, int length)
{
    quint8 sum = 0;
    for (int index = 0; index < length; ++index)
        sum = quint8(sum + quint8(bytes[index]));
    return sum;
}

} // namespace

void appendChecksum(QByteArray &bytes)
{
    const quint8 sum = byteSum(bytes.constData(), bytes.size());
    bytes.append(QString::number(sum, 10).rightJustified(checksumDigits, QLatin1Char('0')).toLatin1());
}

bool verifyChecksum(QByteArray &reply)
{
    if (reply.endsWith('\n'))
        reply.chop(1);
    const int bodyLength = reply.size() - checksumDigits;
    if (bodyLength < 0)
        return false;
    const quint8 sum = byteSum(reply.constData(), bodyLength);
    const QString received = QString::fromLatin1(reply.constData() + bodyLength, checksumDigits);
    // Text that is no number counts as 0.
    if (received.toInt(nullptr, 10) == sum) {
        reply.chop(checksumDigits);
        return true;
    }
    // The computed sum is filled in before the received characters are added,
    // so a "%1" among them is shown as received.
    logResult(7, 0,
              QStringLiteral("Binary parse, Crc ERROR, crc is: ") + received
                  + QStringLiteral(", should be: %1").arg(sum, 0, 10, QLatin1Char(' ')));
    return false;
}

bool isOkReply(QByteArray &reply)
{
    if (checksumMode) {
        if (reply.size() < checksumDigits || !verifyChecksum(reply))
            return false;
    }
    return replyText(reply).trimmed().compare(QLatin1String("OK"), Qt::CaseSensitive) == 0;
}
