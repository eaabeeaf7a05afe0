#include "platform/posix_exit_guard.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace {

constexpr int kNone = -1;

// Read by the signal handlers: plain values, each written before the
// handlers can need it (termios copies before the descriptor that enables
// them).
volatile sig_atomic_t terminalDescriptor = kNone;
volatile sig_atomic_t keyModeOn = 0;
volatile sig_atomic_t portDescriptor = kNone;
termios terminalOriginal{};
termios terminalKeyMode{};
bool installed = false;

void applyTerminalMode(bool keyMode) {
    int descriptor = terminalDescriptor;
    if (descriptor != kNone) {
        tcsetattr(descriptor, TCSANOW, keyMode ? &terminalKeyMode : &terminalOriginal);
    }
}

void giveBack() {
    applyTerminalMode(false);
    int port = portDescriptor;
    if (port != kNone) {
        ioctl(port, TIOCNXCL);
    }
}

// Restores, then dies by the same signal so the parent sees the true cause.
void giveBackAndDie(int signalNumber) {
    int savedErrno = errno;
    giveBack();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
    errno = savedErrno;
}

void restoreAndStop(int) {
    int savedErrno = errno;
    applyTerminalMode(false);
    kill(getpid(), SIGSTOP);
    errno = savedErrno;
}

// On continuing, key mode comes back only in the foreground: a background
// process that changes its terminal is stopped again (SIGTTOU).
void resumeMode(int) {
    int savedErrno = errno;
    int descriptor = terminalDescriptor;
    if (descriptor != kNone && keyModeOn != 0) {
        pid_t foreground = tcgetpgrp(descriptor);
        if (foreground == -1 || foreground == getpgrp()) {
            applyTerminalMode(true);
        }
    }
    errno = savedErrno;
}

void handle(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void exitGuardInstall() {
    if (installed) {
        return;
    }
    installed = true;
    std::atexit(giveBack);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        handle(signalNumber, giveBackAndDie);
    }
    handle(SIGTSTP, restoreAndStop);
    handle(SIGCONT, resumeMode);
}

void exitGuardKeepTerminal(int descriptor, const termios& original, const termios& keyMode) {
    terminalOriginal = original;
    terminalKeyMode = keyMode;
    terminalDescriptor = descriptor;
}

void exitGuardUseKeyMode(bool keyMode) {
    keyModeOn = keyMode ? 1 : 0;
    applyTerminalMode(keyMode);
}

void exitGuardHoldPort(int descriptor) { portDescriptor = descriptor; }

void exitGuardReleasePort() { portDescriptor = kNone; }
