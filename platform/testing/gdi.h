// Test seams of the GDI layer: what tests ask of it that the game never does. Linked from
// qm_platform_testing, never into the game.
#pragma once

#include "platform/gdi/gdi.h"

namespace platform {

// The font family a font was matched to ("IPAGothic"); empty for a bad handle.
const char* GdiFontFamily(HFONT font);

}  // namespace platform
