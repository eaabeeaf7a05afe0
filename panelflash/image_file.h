// Choosing, reading and checking the firmware image file.
#pragma once

#include <cstddef>
#include <string>

#include "panel_session.h"

constexpr size_t kMaxImagePathLength = 255;

enum class LoadOutcome { loaded, failed, cancelled };
enum class PickOutcome { picked, cancelled };

// Lists the current directory's .bim files, numbered from 1, and asks for a
// number or a path until it gets a usable one or the user cancels (an empty
// line or the end of input).
PickOutcome pickImageFile(std::string& path);

// Reads the file at `path` and checks its header and body length against
// session.model; fills image, imageSize and hasExtension when loaded, prints
// the error message when failed. Never cancelled.
LoadOutcome readImageFile(PanelSession& session, const char* path);

// Lets the user pick an image file, reads it and checks it against
// session.model; fills image, imageSize and hasExtension when loaded. On
// failure its error message has been printed; on cancel nothing has.
LoadOutcome loadImage(PanelSession& session);
