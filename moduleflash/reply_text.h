// Module replies are bytes; they are read as UTF-8 text up to the first zero
// byte, so a stray NUL from the module cuts the text rather than showing up.
#pragma once

#include <QByteArray>
#include <QString>

QString replyText(const QByteArray &reply);
