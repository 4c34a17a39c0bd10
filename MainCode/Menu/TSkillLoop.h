// The pause menu's skill window: the field's own skill gauge slid in from the left, and for the
// chosen slot a list of the learned skills that fit the held weapon, with "はずす" in front when the
// slot holds one. Setting or taking out a skill writes the character's slots at once, redraws the
// gauge's icon and the field picture behind the menu; the gauge gets its selection and colours back
// when the window closes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "MainCode/Menu/TListRows.h"
#include "MainCode/Menu/TListWindow.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TCommon/TLinearRamp.h"

class TFieldLoop;
class TMenuTopLoop;
class TPlayerCharacter;
class TSkillGauge;
class TText8;

class TSkillLoop : public TMenuSceneLoop {
public:
    static constexpr std::int32_t kRows = TListPager::kRows;
    // The list's remove entry.
    static constexpr std::uint32_t kRemove = 0;

    TSkillLoop(TGameWnd* app, TMenuTopLoop* menu);
    ~TSkillLoop() override;

private:
    friend struct TMenuProbe;

    enum class InfoMode { kList, kGauge };

    std::uint32_t Open();
    std::uint32_t SelectSlot();
    std::uint32_t OpenList();
    std::uint32_t SelectSkill();
    std::uint32_t Empty();
    std::uint32_t CloseList();
    std::uint32_t Close();

    void RefreshRows();
    void RefreshInfo(InfoMode mode);
    void SetSkill();
    // After a change: the gauge in its field look for the picture behind the menu, then dimmed.
    void ApplyGaugeDim(bool recapture);
    // Every slot piece and every icon but the selected slot's in the gauge dim's grey.
    void ApplyDimColors();
    // The skill's icon, or a sprite without texture for an empty slot.
    static void SetIcon(TSprite& icon, std::uint32_t skillId);
    std::uint32_t GetSlotSkill(std::int32_t slot) const;
    bool IsListShown() const;
    void DrawWindows() override;

    TMenuTopLoop* m_menu;
    TFieldLoop* m_field;
    TSkillGauge* m_gauge;
    TListWindow m_rowWindow;
    std::int32_t m_savedSelection = 0;
    std::uint32_t m_character = 0;
    std::uint32_t m_weaponId = 0;
    TIntRamp m_gaugeX;
    TIntRamp m_gaugeY;
    TIntRamp m_infoX;
    TIntRamp m_infoY;
    TLinearRamp m_gaugeDim;
    TSprite m_listWindow;
    TSprite m_captionWindow;
    TSprite m_infoWindow;
    TSprite m_infoPicture;
    std::uint32_t m_infoId = 0;
    std::unique_ptr<TText8> m_caption;
    std::unique_ptr<TText8> m_empty;
    TListRows m_rows{"skillInfo"};
    std::array<std::unique_ptr<TText8>, 3> m_infoLines;
    std::vector<std::uint32_t> m_list;
};
