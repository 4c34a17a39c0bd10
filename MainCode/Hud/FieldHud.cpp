#include "MainCode/FieldHud.h"

#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Hud/TLetterFont.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Hud/TStatusPanel.h"

TFieldHud::TFieldHud()
    : m_letterFont(new TLetterFont("sprite.ptx/word")),
      m_statusPanel(TStatusPanel::Create(m_letterFont.Get())),
      m_itemRing(TItemRing::Create(m_letterFont.Get())),
      m_skillGauge(TSkillGauge::Create()),
      m_getRender(TGetRender::Create())
{
}

TFieldHud::~TFieldHud() = default;

void TFieldHud::RefreshStatusPanel(TPlayerCharacter* player) { m_statusPanel->Refresh(player); }

void TFieldHud::RefreshSkillGauge(TPlayerCharacter* player) { m_skillGauge->Refresh(player); }

void TFieldHud::UpdateItemRing() { m_itemRing->Update(); }

void TFieldHud::ClearNotices() { m_getRender->Clear(); }

void TFieldHud::PushItemGet(std::uint32_t itemId) { m_getRender->PushItemGet(itemId); }

void TFieldHud::PushBellGet(std::uint32_t amount) { m_getRender->PushBellGet(amount); }

void TFieldHud::PushPause(std::uint32_t frames) { m_getRender->PushKind4(frames); }

void TFieldHud::PushText(const std::string& text) { m_getRender->PushText(text); }
