// The pictures of the scenes around play, "title.ptx": the title, its menu, the maker's mark and the
// game-over words. Field folders carry them so that the title and a defeat can show their screens;
// the sample folder writes the same pictures.
#pragma once

#include <string>
#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

// "title": 640 × 480, a night sky over hills with the game's name.
PtxImage TitlePicture();
// "menu": 256 × 256, the three items "NEW GAME", "LOAD", "QUIT" in its first three quarter rows.
PtxImage MenuPicture();
// "vrrw_logo": 256 × 256, the maker's mark: rings and a diamond over the word "SAMPLE".
PtxImage LogoPicture();
// "gameover": 512 × 128, the words on a clear ground, centred where the game-over screen puts it.
PtxImage GameOverPicture();
// Every picture of "title.ptx".
std::vector<PtxImage> ScenePictures();
// The picture of that entry of "title.ptx"; throws std::invalid_argument for another name.
PtxImage ScenePicture(const std::string& name);

}  // namespace qmtest
