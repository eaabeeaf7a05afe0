// Console on POSIX: output straight to fd 1, keys from standard input.
//
// Keys come from one byte stream with a one-byte push-back, whether standard
// input is a terminal or not: keyPending peeks by reading a byte into the
// push-back, and the next wait takes it from there. When the stream ends
// (end of a pipe or file, a hung-up terminal) a flag records it, so every
// later wait returns at once and no key is ever pending: the run can neither
// hang nor spin on a closed input.
//
// On a terminal one key is whatever one key press sends: an escape sequence
// (arrows, function keys) or a character of several bytes (è, €) is taken
// whole by one wait, so one press never passes two prompts.
//
// A terminal is put in key mode (no line buffering, no echo, signals kept so
// Ctrl-C still ends the run); the exit guard gives its own settings back on
// every way out.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/platform.h"
#include "platform/posix_backend.h"
#include "platform/posix_exit_guard.h"

namespace {

constexpr int kKeyboard = STDIN_FILENO;
constexpr unsigned char kEscape = 0x1B;
// The bytes of an escape sequence arrive together; a pause longer than this
// after ESC means the ESC key itself was pressed.
constexpr int kEscapeSequenceGapMs = 30;

bool keyboardIsTerminal = false;

bool hasPushedBack = false;
unsigned char pushedBack = 0;
bool inputEnded = false;

// Reads one byte, waiting at most `timeoutMs` (-1: without limit). False on
// time-out and at end of input, which it records.
bool readKeyboardByte(unsigned char& byte, int timeoutMs) {
    for (;;) {
        pollfd wait{kKeyboard, POLLIN, 0};
        int ready = poll(&wait, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return false;
        }
        if (ready < 0) {
            inputEnded = true;
            return false;
        }
        ssize_t got = read(kKeyboard, &byte, 1);
        if (got == 1) {
            return true;
        }
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        inputEnded = true;
        return false;
    }
}

// Next byte of the stream, the pushed-back one first.
bool takeByte(unsigned char& byte, int timeoutMs) {
    if (hasPushedBack) {
        hasPushedBack = false;
        byte = pushedBack;
        return true;
    }
    if (inputEnded) {
        return false;
    }
    return readKeyboardByte(byte, timeoutMs);
}

bool takeSequenceByte(unsigned char& byte) { return takeByte(byte, kEscapeSequenceGapMs); }

// Consumes the rest of a key that began with ESC: CSI (ESC [ parameters
// final), SS3 (ESC O final), or ESC and one byte (a key with Alt). A lone
// ESC, with nothing following in time, is the ESC key.
void skipEscapeSequence() {
    unsigned char introducer = 0;
    if (!takeSequenceByte(introducer)) {
        return;
    }
    if (introducer == 'O') {
        unsigned char final = 0;
        takeSequenceByte(final);
        return;
    }
    if (introducer != '[') {
        return;
    }
    unsigned char next = 0;
    // Parameter and intermediate bytes lie in 0x20..0x3F; the final byte ends it.
    while (takeSequenceByte(next)) {
        if (next >= 0x40 && next <= 0x7E) {
            return;
        }
        if (next < 0x20 || next > 0x3F) {
            hasPushedBack = true;
            pushedBack = next;
            return;
        }
    }
}

// UTF-8: how many continuation bytes follow a lead byte (0 for any other byte).
int continuationCount(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 3;
    }
    return 0;
}

// Consumes the continuation bytes of a character that began with `lead`. A
// byte that cannot continue it starts the next key.
void skipCharacterTail(unsigned char lead) {
    for (int remaining = continuationCount(lead); remaining > 0; --remaining) {
        unsigned char next = 0;
        if (!takeSequenceByte(next)) {
            return;
        }
        if (next < 0x80 || next > 0xBF) {
            hasPushedBack = true;
            pushedBack = next;
            return;
        }
    }
}

}  // namespace

void platformInitConsole() {
    // Messages go out through write(2); this keeps any stray stdio output in
    // order with them.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    hasPushedBack = false;
    inputEnded = false;
    termios originalSettings{};
    keyboardIsTerminal = tcgetattr(kKeyboard, &originalSettings) == 0;
    exitGuardInstall();
    if (!keyboardIsTerminal) {
        return;
    }
    termios keySettings = originalSettings;
    keySettings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keySettings.c_lflag |= ISIG;
    keySettings.c_cc[VMIN] = 1;
    keySettings.c_cc[VTIME] = 0;
    exitGuardKeepTerminal(kKeyboard, originalSettings, keySettings);
    exitGuardUseKeyMode(true);
}

void platformConsoleWrite(const char* text, size_t length) {
    size_t written = 0;
    while (written < length) {
        ssize_t taken = write(STDOUT_FILENO, text + written, length - written);
        if (taken > 0) {
            written += static_cast<size_t>(taken);
        } else if (taken < 0 && errno == EINTR) {
            continue;
        } else if (taken < 0 && errno == EAGAIN) {
            pollfd wait{STDOUT_FILENO, POLLOUT, 0};
            poll(&wait, 1, -1);
        } else {
            return;  // the console is gone; nobody is left to tell
        }
    }
}

bool platformKeyPending() {
    if (hasPushedBack) {
        return true;
    }
    if (inputEnded) {
        return false;
    }
    unsigned char byte = 0;
    if (!readKeyboardByte(byte, 0)) {
        return false;
    }
    hasPushedBack = true;
    pushedBack = byte;
    return true;
}

void platformWaitForKey() {
    unsigned char byte = 0;
    if (!takeByte(byte, -1) || !keyboardIsTerminal) {
        return;
    }
    if (byte == kEscape) {
        skipEscapeSequence();
    } else {
        skipCharacterTail(byte);
    }
}

void platformDiscardTypedKeys() {
    hasPushedBack = false;
    if (keyboardIsTerminal) {
        tcflush(kKeyboard, TCIFLUSH);
    }
}

bool platformReadLine(std::string& line) {
    line.clear();
    if (keyboardIsTerminal) {
        exitGuardUseKeyMode(false);
    }
    bool gotAny = false;
    unsigned char byte = 0;
    while (takeByte(byte, -1)) {
        gotAny = true;
        if (byte == '\n') {
            break;
        }
        line.push_back(static_cast<char>(byte));
    }
    if (keyboardIsTerminal) {
        exitGuardUseKeyMode(true);
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return gotAny;
}
