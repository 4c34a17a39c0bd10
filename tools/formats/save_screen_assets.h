// The pictures of "sprite.ptx" that the save screens and the carry-over choice draw: the slot row
// window, the title and page window, the two overwrite questions and the cursor (the yes/no box is
// the pause menu's).
// Words are drawn with the caption font.
#pragma once

#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

// "window11" 544 × 60, "window16" 160 × 32, "window25" 512 × 112 (a save of this chapter),
// "window26" 512 × 176 (another chapter's), "cursor02" 16 × 16, an arrow to the right.
std::vector<PtxImage> SaveScreenSprites();

// sprites with every picture of SaveScreenSprites put in place of its namesake or added.
std::vector<PtxImage> WithSaveScreenSprites(std::vector<PtxImage> sprites);

}  // namespace qmtest
