// A fresh PanelSession for a test, with a model chosen and the in-memory
// platform back at its starting state. The record holds the whole image
// buffer, so it lives on the heap.
#pragma once

#include <memory>

#include "catalogue.h"
#include "memory_platform.h"
#include "panel_session.h"

inline std::unique_ptr<PanelSession> newSession(const char* modelName) {
    resetMemoryPlatform();
    auto session = std::make_unique<PanelSession>();
    resetSession(*session);
    session->model = selectModel(modelName);
    session->port = memoryPort();
    return session;
}

// Fills the whole image buffer with bytes that differ from page to page and
// within a page, and are never zero.
inline void fillImage(PanelSession& session) {
    for (uint32_t i = 0; i < kImageCapacity; ++i) {
        session.image[i] = static_cast<uint8_t>(1 + (i * 7 + (i >> 12)) % 255);
    }
}
