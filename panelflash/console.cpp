#include "console.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/platform.h"

void consolePrint(const char* format, ...) {
    char text[1024];
    std::va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length < 0) {
        return;
    }
    if (static_cast<size_t>(length) < sizeof text) {
        platformConsoleWrite(text, static_cast<size_t>(length));
        return;
    }
    // Rare: a message quoting a long path. Format it again into room enough.
    std::vector<char> longText(static_cast<size_t>(length) + 1);
    va_start(arguments, format);
    std::vsnprintf(longText.data(), longText.size(), format, arguments);
    va_end(arguments);
    platformConsoleWrite(longText.data(), static_cast<size_t>(length));
}

bool keyPending() { return platformKeyPending(); }

void waitForKey() { platformWaitForKey(); }
