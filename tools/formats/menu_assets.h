// The pictures of the pause menu and its dialogs in "sprite.ptx": the item and choice windows
// "window02_a" to "window02_n", the questions "window23" (back to the title) and "window24" (quit)
// and the yes/no box "window10", each a framed window carrying its words.
#pragma once

#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

std::vector<PtxImage> MenuSprites();

}  // namespace qmtest
