// The field's on-screen parts: the letter font and, drawn with it, the status panel, the item ring,
// the skill gauge and the item-get notices. The field holds them and the map's pieces queue notices
// through this header; the parts live in Hud/, where it is defined, so the map need not know them.
#pragma once

#include <cstdint>
#include <string>

#include "TCommon/TRefPtr.h"

class TGetRender;
class TItemRing;
class TLetterFont;
class TPlayerCharacter;
class TSkillGauge;
class TStatusPanel;

class TFieldHud {
public:
    // Builds the font first, then the panel, the ring, the gauge and the notices.
    TFieldHud();
    ~TFieldHud();
    TFieldHud(const TFieldHud&) = delete;
    TFieldHud& operator=(const TFieldHud&) = delete;

    TLetterFont* GetLetterFont() const { return m_letterFont.Get(); }
    TStatusPanel* GetStatusPanel() const { return m_statusPanel.Get(); }
    TItemRing* GetItemRing() const { return m_itemRing.Get(); }
    TSkillGauge* GetSkillGauge() const { return m_skillGauge.Get(); }
    TGetRender* GetGetRender() const { return m_getRender.Get(); }

    // Each shows the player's state again.
    void RefreshStatusPanel(TPlayerCharacter* player);
    void RefreshSkillGauge(TPlayerCharacter* player);
    void UpdateItemRing();

    // The notices (TGetRender): emptied, or one more queued.
    void ClearNotices();
    void PushItemGet(std::uint32_t itemId);
    void PushBellGet(std::uint32_t amount);
    void PushPause(std::uint32_t frames);
    void PushText(const std::string& text);

private:
    TRefPtr<TLetterFont> m_letterFont;
    TRefPtr<TStatusPanel> m_statusPanel;
    TRefPtr<TItemRing> m_itemRing;
    TRefPtr<TSkillGauge> m_skillGauge;
    TRefPtr<TGetRender> m_getRender;
};
