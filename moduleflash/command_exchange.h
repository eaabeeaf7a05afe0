// One exchange with the module and its checksum framing. A command goes out
// as its bytes, then (while checksum mode is on) the sum of those bytes modulo
// 256 as three decimal digits, then a line feed if the caller asks for one.
// The exchange then blocks until a whole reply line is buffered and takes
// everything the device holds; in checksum mode that line must end in the
// same three digits, over its own bytes, right before the line feed. The wait
// is counted, not timed: one line test before waiting, then up to 51 waits of
// 100 ms with a test after each of the first 50. A read buffer that is full
// without a line feed ends the exchange at once. Replies are bytes, read as
// UTF-8 text up to the first zero byte, so a stray NUL cuts the text rather
// than showing up. Only verifyChecksum writes a result line (the mismatch).
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// Checksum mode is process-wide: off at start, switched on once by the
// handshake with the module and never off.
bool checksumMode();
void setChecksumMode(bool on);

// Appends the three checksum digits ("000" to "255") of the array's bytes.
void appendChecksum(QByteArray& bytes);

// Drops one final line feed, then checks the last three characters against the
// sum of the bytes before them; strips them only when they match.
bool verifyChecksum(QByteArray& reply);

// Empties the reply, sends the command (plus checksum and, if asked, a line
// feed) and fills the reply on success. False when the write is not confirmed,
// no complete line arrives or the read buffer fills without one; the reply is
// then empty.
bool sendCommand(QIODevice& device, QByteArray command, QByteArray& reply, bool withLineFeed);

// The reply as text: UTF-8 up to its first zero byte.
QString replyText(const QByteArray& reply);

// True when the reply, verified and stripped in checksum mode, reads "OK" once
// white space around it is removed.
bool isOkReply(QByteArray& reply);
