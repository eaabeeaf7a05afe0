#include "panel_session.h"

#include <cstring>

void resetSession(PanelSession& session) {
    std::memset(&session, 0, sizeof session);
    std::strncpy(session.devicePath, kDevicePathPrefix, kMaxDevicePathPrefixLength);
    session.port = kNoPort;
}
