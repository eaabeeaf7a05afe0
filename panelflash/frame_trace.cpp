#include "frame_trace.h"

void formatFrameTrace(const uint8_t* bytes, uint32_t count, FrameTrace& trace) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    if (count > kMaxTracedBytes) {
        count = kMaxTracedBytes;
    }
    char* out = trace.text;
    for (uint32_t i = 0; i < count; ++i) {
        *out++ = kHexDigits[bytes[i] >> 4];
        *out++ = kHexDigits[bytes[i] & 0x0F];
        *out++ = ' ';
    }
    *out++ = '-';
    *out++ = '-';
    *out++ = ' ';
    *out = '\0';
}
