// The pictures the field HUD loads from "sprite.ptx": the letter sheet (8 × 8 cells of 16 pixels,
// each showing its character), the status panel's frame and bar sheet, the notices' window. The field folder's "sprite.ptx" carries them beside its own
// pictures; fixtures that build HUD parts without a field write them alone.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

// The letter sheet "word": capitals, signs, digits, '.', ':' and then '#' in every cell left; or,
// blank filler, those cells left clear, so that the places the game fills with the last cell show
// nothing.
PtxImage LetterSheet(bool blankFiller = false);
// "guage09": the status panel's plate, 256 × 160.
PtxImage PanelFrame();
// "bar00", 256 × 64: the HP, MP, item-load and ability-point strips at their texture coordinates,
// the enemy gauge's strip and the full mark at the right end.
PtxImage BarSheet();
// "window22": the notices' window, 264 × 32.
PtxImage NoticeWindow();
std::vector<PtxImage> HudSprites();
// "itm_icon.ptx/itmNN_icon" for NN 00 to 13: a disc with its number.
PtxImage ItemIcon(int number);
// A 48 × 48 face under hair of that colour.
PtxImage FacePicture(const std::string& name, PtxColor hair);
// "itm_icon.ptx" with every item icon and "face.ptx" with "face_hero" and "face_heroine".
void WriteHudIconPackages(const std::filesystem::path& textureFolder);
// "sprite.ptx" with only the HUD's pictures and the icon packages, in that texture folder.
void WriteHudAssets(const std::filesystem::path& textureFolder);

}  // namespace qmtest
