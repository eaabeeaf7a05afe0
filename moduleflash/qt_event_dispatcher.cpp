#include "event_dispatcher.h"

// Qt's own dispatcher stays: the Windows serial port waits through it.
void chooseEventDispatcher() {}
