// Chooses the event dispatcher, before the application object exists. No
// event loop ever runs: on POSIX an inert dispatcher spares the bookkeeping
// that Qt's own does around every read and write; Windows keeps Qt's, through
// which its serial port waits. CMake picks the source for the platform.
#pragma once

void chooseEventDispatcher();
