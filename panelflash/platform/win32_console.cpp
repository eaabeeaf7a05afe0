// Console on Windows: messages through the C runtime's standard output, left
// unbuffered so each message reaches the console as it is printed, and keys
// through the C runtime's console keyboard (_kbhit, _getch), which reads the
// console itself whatever standard input is.
//
// _getch hands a function or arrow key over as two codes, 0x00 or 0xE0 and
// then the key's own code; a wait takes both, so one press is one key.
#include <conio.h>
#include <windows.h>

#include <cstdio>

#include "platform/platform.h"

namespace {

bool isKeyPrefix(int code) { return code == 0x00 || code == 0xE0; }

// One look at the console's input queue. Windows does not need it; Wine's
// console reports no waiting key to _kbhit until its input has been peeked
// once.
void peekConsoleInputOnce() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    INPUT_RECORD record{};
    DWORD events = 0;
    PeekConsoleInputA(input, &record, 1, &events);
}

}  // namespace

void platformInitConsole() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    peekConsoleInputOnce();
}

void platformConsoleWrite(const char* text, size_t length) {
    // One call for the whole message: the runtime passes it to the console
    // in as few writes as its line-end translation allows.
    std::fwrite(text, 1, length, stdout);
}

bool platformKeyPending() { return _kbhit() != 0; }

void platformWaitForKey() {
    if (isKeyPrefix(_getch())) {
        _getch();
    }
}

void platformDiscardTypedKeys() {
    // Takes keys exactly as the waits would, so a half-taken two-code key
    // cannot be left behind for the next wait.
    while (_kbhit() != 0) {
        platformWaitForKey();
    }
}
