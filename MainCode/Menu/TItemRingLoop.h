// The pause menu's item ring screen: the field's item ring as a large wheel. "UP" and "DOWN" turn
// it a position, "A" on positions 1 to 7 opens a list of the ordinary items to set there (or
// "はずす" to take the position's item out). Position 0 is the ring's empty place. Changes go to
// the game data at once; the field's ring takes them when the pause menu ends.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "MainCode/Menu/TItemRows.h"
#include "MainCode/Menu/TListWindow.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"

class TLetterFont;
class TMenuTopLoop;
class TText8;
struct TItemEntry;

class TItemRingLoop : public TMenuSceneLoop {
public:
    static constexpr std::int32_t kPositions = 8;

    TItemRingLoop(TGameWnd* app, TMenuTopLoop* menu);
    ~TItemRingLoop() override;

private:
    friend struct TMenuProbe;

    // Window tweens, in the order of the layout.
    enum Window { kRingWindow, kRingCursor, kNameWindow, kInfoWindow, kWindows };

    std::uint32_t Open();
    std::uint32_t RingSelect();
    std::uint32_t Turn();
    std::uint32_t OpenList();
    std::uint32_t List();
    std::uint32_t EmptyList();
    std::uint32_t CloseList();
    std::uint32_t Close();

    void StartTurn(float delta);
    void OpenTheList();
    // "A" on the entry under the cursor; false when it is refused.
    bool Choose();
    void RefreshPositions();
    void RefreshList();
    void InfoRing();
    void InfoList();
    void ShowItem(std::uint32_t itemId);
    void ClearInfo();
    // The greys of the positions and of the ring picture onto their sprites.
    void ApplyGreys();
    bool IsListShown() const;
    void DrawWindows() override;

    TMenuTopLoop* m_menu;
    TLetterFont* m_font = nullptr;
    std::int32_t m_ringCursor = 0;
    TListWindow m_rowWindow;
    std::array<TIntRamp, kWindows> m_x;
    std::array<TIntRamp, kWindows> m_y;
    TLinearRamp m_ringAngle;
    TLinearRamp m_ringGrey;
    std::array<TLinearRamp, kPositions> m_angles;
    std::array<TLinearRamp, kPositions> m_greys;

    TSprite m_ring;
    TSprite m_ringCursorSprite;
    TSprite m_listWindow;
    TSprite m_titleWindow;
    TSprite m_infoWindow;
    TSprite m_nameWindow;
    std::unique_ptr<TText8> m_name;
    std::unique_ptr<TText8> m_title;
    std::unique_ptr<TText8> m_empty;
    TItemRows m_rows;
    TItemInfo m_info;
    std::array<TSprite, kPositions> m_icons;
    std::array<TSprite, kPositions * 2> m_counts;

    std::vector<TRefPtr<TItemEntry>> m_list;
};
