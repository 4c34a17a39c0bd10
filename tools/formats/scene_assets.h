// The pictures of the scenes around play, "title.ptx": the game-over words. Field folders carry
// them so that a defeat can show its screen; the sample folder writes the same pictures.
#pragma once

#include <string>
#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

// "gameover": 512 × 128, the words on a clear ground, centred where the game-over screen puts it.
PtxImage GameOverPicture();
// Every picture of "title.ptx".
std::vector<PtxImage> ScenePictures();
// The picture of that entry of "title.ptx"; throws std::invalid_argument for another name.
PtxImage ScenePicture(const std::string& name);

}  // namespace qmtest
