// The pictures the field HUD loads from "sprite.ptx": the letter sheet (8 × 8 cells of 16 pixels,
// each showing its character). The field folder's "sprite.ptx" carries them beside its own
// pictures; fixtures that build HUD parts without a field write them alone.
#pragma once

#include <filesystem>
#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

// The letter sheet "word": capitals, signs, digits, '.', ':' and then '#' in every cell left.
PtxImage LetterSheet();
std::vector<PtxImage> HudSprites();
// "sprite.ptx" with only the HUD's pictures, in that texture folder.
void WriteHudAssets(const std::filesystem::path& textureFolder);

}  // namespace qmtest
