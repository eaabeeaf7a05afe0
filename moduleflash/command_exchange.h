// One exchange with the module: write a command (framed by the checksum mode),
// then block until a whole reply line is buffered and take everything the
// device holds. The wait is counted, not timed: one line test before waiting,
// then up to 51 waits of 100 ms with a test after each of the first 50. A read
// buffer that is full without a line feed ends the exchange at once.
#pragma once

#include <QByteArray>
#include <QIODevice>

// Empties the reply, sends the command (plus checksum and, if asked, a line
// feed) and fills the reply on success. False when the write is not confirmed,
// no complete line arrives or the read buffer fills without one; the reply is
// then empty.
bool sendCommand(QIODevice &device, QByteArray command, QByteArray &reply, bool withLineFeed);
