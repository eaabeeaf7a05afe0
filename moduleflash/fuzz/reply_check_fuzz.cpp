// Checks replies of arbitrary bytes with verifyChecksum and isOkReply, with
// checksum mode off and on. A checksum is accepted only when its three
// characters read as the byte sum of what precedes them, and only then are
// they stripped; a rejected reply loses its final line feed and nothing else;
// with the mode off isOkReply leaves the reply alone. A command framed by
// appendChecksum and ended by a line feed always verifies back to itself.
#include "checksum_framing.h"
#include "quiet_log.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

quint8 byteSum(const QByteArray &bytes)
{
    quint8 sum = 0;
    for (char byte : bytes)
        sum = quint8(sum + quint8(byte));
    return sum;
}

QByteArray withoutFinalLineFeed(const QByteArray &reply)
{
    return reply.endsWith('\n') ? reply.left(reply.size() - 1) : reply;
}

void checkVerify(const QByteArray &original)
{
    QByteArray reply = original;
    const QByteArray body = withoutFinalLineFeed(original);
    if (verifyChecksum(reply)) {
        require(body.size() >= 3);
        require(reply == body.left(body.size() - 3));
        require(QString::fromLatin1(body.constData() + reply.size(), 3).toInt(nullptr, 10) == byteSum(reply));
    } else {
        require(reply == body);
    }
}

void checkOkReply(const QByteArray &original)
{
    checksumMode = false;
    QByteArray plain = original;
    const bool plainOk = isOkReply(plain);
    require(plain == original);
    require(!plainOk || original.contains("OK"));

    checksumMode = true;
    QByteArray framed = original;
    QByteArray verified = original;
    if (isOkReply(framed)) {
        require(verifyChecksum(verified) && framed == verified && framed.contains("OK"));
    }
    checksumMode = false;
}

void checkRoundTrip(const QByteArray &command)
{
    QByteArray framed = command;
    appendChecksum(framed);
    require(framed.size() == command.size() + 3 && framed.startsWith(command));
    framed.append('\n');
    require(verifyChecksum(framed) && framed == command);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceResultLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    checkVerify(input);
    checkOkReply(input);
    checkRoundTrip(input);
    return 0;
}
