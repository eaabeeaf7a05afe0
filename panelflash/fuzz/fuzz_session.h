// What the protocol fuzz targets share: a check that aborts, so libFuzzer
// records the input, and one session record reused from run to run (it holds
// the whole image buffer, so it lives on the heap) started afresh each time on
// the in-memory platform.
#pragma once

#include <cstdlib>

#include "memory_platform.h"
#include "panel_session.h"

inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

inline PanelSession& freshFuzzSession() {
    static PanelSession* session = new PanelSession;
    resetSession(*session);
    resetMemoryPlatform();
    session->port = memoryPort();
    return *session;
}
