// The state of one update run. Members are created in declaration order
// during the run and released in reverse: pending, firmware, file, reply,
// device. pending is a view into firmware, so it goes first.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>

#include <memory>

struct ModuleSession {
    std::unique_ptr<QIODevice> device;  // serial port or TCP socket; destroying it closes the link
    QByteArray reply;                   // reply to the last command
    std::unique_ptr<QFile> file;        // the firmware file, open read-only once loaded
    QByteArray firmware;                // the whole file as read
    QByteArray pending;                 // view of the firmware bytes not yet acknowledged
};
