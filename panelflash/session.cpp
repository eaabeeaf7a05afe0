#include "panel_session.h"

#include <cstring>

void resetSession(PanelSession& session) {
    std::memset(&session, 0, sizeof session);
    std::memcpy(session.devicePath, kDevicePathPrefix, sizeof kDevicePathPrefix);
    session.port = kNoPort;
}
