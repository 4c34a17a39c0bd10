// The pictures the shops draw from "sprite.ptx": the goods list, the count and held-count windows,
// and the list's scroll arrows, with their captions written in (the yes/no confirmation is the pause
// menu's "window10").
#pragma once

#include <filesystem>
#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

// "window17" (goods list), "window18" (count), "window19" (held count),
// "cursor03" and "cursor04" (up and down arrows).
std::vector<PtxImage> ShopSprites();
// The rows' icons of ordinary items and accessories in "itm_icon.ptx": "itm00_icon", "itm01_icon".
std::vector<PtxImage> ShopItemIcons();
// For folders without item pictures of their own: "itm_icon.ptx" with ShopItemIcons and
// "iteminfo.ptx" with one picture "info", in that texture folder.
void WriteShopPictures(const std::filesystem::path& textureFolder);

}  // namespace qmtest
