// What a run holds that outlives it unless given back: the terminal's own
// settings and the port's exclusive mode. Both belong to the device, not to
// the process, so a run that ends without restoring them leaves the
// technician's terminal without echo, or the port closed to the next run.
//
// The guard gives them back on every way out it can see: a normal exit, and
// the signals that end the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGPIPE), whose handlers restore, then die by the same signal. A stop from
// the keyboard (SIGTSTP) restores the terminal before stopping, and SIGCONT
// puts the run's own mode back. The handlers use only async-signal-safe
// calls on values that are set before they can run.
#pragma once

#include <termios.h>

// Installs the exit handler and the signal handlers, once.
void exitGuardInstall();

// The keyboard is the terminal `descriptor`, whose own settings are `original`
// and whose key mode is `keyMode`.
void exitGuardKeepTerminal(int descriptor, const termios& original, const termios& keyMode);
// Puts the terminal in key mode (true) or back in its own mode (false), and
// records which, so that a continued run returns to the right one.
void exitGuardUseKeyMode(bool keyMode);

// The port `descriptor` is held in exclusive mode until released.
void exitGuardHoldPort(int descriptor);
// The port is no longer held (the caller clears its exclusive mode).
void exitGuardReleasePort();
