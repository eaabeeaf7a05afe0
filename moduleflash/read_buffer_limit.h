// How much of a reply a device buffers. A module that sends bytes without a
// line feed fills at most this much; once the buffer is full and holds no line
// feed, the device reads nothing more, so no reply line can ever complete.
#pragma once

#include <QtGlobal>

constexpr qint64 readBufferLimit = 64 * 1024;
