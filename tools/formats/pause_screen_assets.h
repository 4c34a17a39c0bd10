// The pictures of the pause menu's item ring and equipment screens in "sprite.ptx": the list window
// "window20" (seven rows 36 pixels apart, the arrows at its right edge) and the name plate "window22".
#pragma once

#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

std::vector<PtxImage> PauseScreenSprites();

}  // namespace qmtest
