// Choosing, reading and checking the firmware image file.
#pragma once

#include <cstddef>
#include <string>

#include "panel_session.h"

enum class LoadOutcome { loaded, failed, cancelled };
enum class PickOutcome { picked, cancelled };

// Lets the user choose a .bim file in the platform's way (platformPickFile);
// cancelled when the user gave up or the choice could not be offered.
PickOutcome pickImageFile(std::string& path);

// Reads the file at `path` and checks its header and body length against
// session.model; fills image, imageSize and hasExtension when loaded, prints
// the error message when failed. Never cancelled.
LoadOutcome readImageFile(PanelSession& session, const char* path);

// Lets the user pick an image file, reads it and checks it against
// session.model; fills image, imageSize and hasExtension when loaded. On
// failure its error message has been printed; on cancel nothing has.
LoadOutcome loadImage(PanelSession& session);
