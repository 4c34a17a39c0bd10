// The pictures of the pause menu's skill, status and options windows in "sprite.ptx": the status
// window "window09" with the names of its figures, the options rows "window12" (minimap) to
// "window15" (voices) with their words and a groove for the knob "cursor00" (the skill list's window
// and arrows are the item screens' and the shop list's).
#pragma once

#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

std::vector<PtxImage> SubScreenSprites();

}  // namespace qmtest
