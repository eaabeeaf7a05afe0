// Checksum framing of commands and replies. While checksumMode is set, every
// command carries the sum of its bytes modulo 256 as three decimal digits, and
// every reply must end in the same three digits right before its line feed.
// These functions do no I/O; verifyChecksum writes the mismatch line.
#pragma once

#include <QByteArray>

// Process-wide: false at start, switched on once and never off.
extern bool checksumMode;

// Appends the three checksum digits ("000" to "255") of the array's bytes.
void appendChecksum(QByteArray &bytes);

// Drops one final line feed, then checks the last three characters against the
// sum of the bytes before them; strips them only when they match.
bool verifyChecksum(QByteArray &reply);

// True when the reply, verified and stripped in checksum mode, reads "OK" once
// white space around it is removed.
bool isOkReply(QByteArray &reply);
