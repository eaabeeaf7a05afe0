// Console output and the keyboard, as the run and the protocol loops use them.
#pragma once

// Formats one message and writes it to standard output at once, in one piece.
void consolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// True when a key press is waiting; the key is left for the next wait.
bool keyPending();
// Takes one key press, waiting for it when none is pending.
void waitForKey();
