// Choosing, reading and checking the firmware image file.
#pragma once

#include "panel_session.h"

enum class LoadOutcome { loaded, failed, cancelled };

// Lets the user pick an image file, reads it and checks it against
// session.model; fills image, imageSize and hasExtension when loaded. On
// failure its error message has been printed; on cancel nothing has.
LoadOutcome loadImage(PanelSession& session);
