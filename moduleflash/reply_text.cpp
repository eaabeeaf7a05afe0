#include "reply_text.h"

QString replyText(const QByteArray &reply)
{
    return QString::fromUtf8(reply.constData(), int(qstrnlen(reply.constData(), uint(reply.size()))));
}
