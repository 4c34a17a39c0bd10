// What the item ring screen and the equipment screen share: the seven rows of an inventory list
// (icon and "name × count") and the information window's picture and description lines, with the
// one menu font their texts are written in.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "MainCode/Menu/TListRows.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TSprite.h"
#include "platform/win32/types.h"

class TListPager;
class TText8;
struct TItemEntry;

// "ＭＳ ゴシック" 16 pixels high, weight 400, made for each write.
struct TMenuFont : TFontHolder {
    TMenuFont() : TFontHolder(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0) {}
};

// An inventory list's rows.
class TItemRows : public TListRows {
public:
    // "itemInfo0" to "itemInfo6".
    TItemRows() : TListRows("itemInfo") {}

    // Row i for the entry: "name × count" and the icon of the item's kind (0 ordinary, 1 the
    // weapon's own, 2 accessory; any other kind keeps the row's icon).
    void SetItem(std::int32_t i, const TItemEntry& entry);
    // The list window over the pager's whole list.
    void DrawList(float x, float y, const TListPager& pager, std::int32_t bob);
};

// The information window's contents: the item's picture and its three description lines
// ("tTextInfo0_" to "tTextInfo2_", 512 wide).
class TItemInfo {
public:
    TItemInfo();
    ~TItemInfo();

    // The item's picture and description.
    void Show(std::uint32_t itemId);
    // No picture, empty lines.
    void Clear();

    void DrawPicture(float x, float y);
    // The lines from (x, y), 20 pixels apart.
    void DrawLines(float x, float y);

private:
    TSprite m_picture;
    std::array<std::unique_ptr<TText8>, 3> m_lines;
};
