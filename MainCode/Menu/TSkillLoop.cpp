#include "MainCode/Menu/TSkillLoop.h"

#include <span>
#include <string>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "dx/dx8/3d/TText8.h"

namespace {

constexpr std::int32_t kSteps = 10;

TSprite Picture(const char* name)
{
    return TSprite::FromFile(std::string("sprite.ptx/") + name, D3DPOOL_MANAGED, 0);
}

}  // namespace

TSkillLoop::TSkillLoop(TGameWnd* app, TMenuTopLoop* menu)
    : TMenuSceneLoop(app), m_menu(menu), m_field(menu->GetField()), m_gauge(m_field->GetSkillGauge())
{
    SetState(&TSkillLoop::Open);
    SetOwner(menu);
    m_savedSelection = m_gauge->GetSelection();
    if (const TPlayerCharacter* player = m_field->GetPlayer()) {
        m_character = player->GetCharacterIndex();
        m_weaponId = player->GetWeaponId();
    }
    m_gaugeX.Set(-300, 32, kSteps, 0);
    m_gaugeY.Set(128, 128, kSteps, 0);
    m_infoX.Set(64, 64, kSteps, 0);
    m_infoY.Set(500, 344, kSteps, 0);
    m_gaugeDim.Set(1.0F, 0.7F, kSteps, 0);
    m_listWindow = Picture("window20");
    m_captionWindow = Picture("window16");
    m_infoWindow = Picture("window06");
    m_caption = MakeMenuText("WinTips1", 128);
    WriteMenuText(*m_caption, "スキル");
    m_empty = MakeMenuText("tEmpty", 128);
    WriteMenuText(*m_empty, "ＮＯ ＳＫＩＬＬ");
    for (std::size_t i = 0; i < m_infoLines.size(); ++i) {
        m_infoLines[i] = MakeMenuText("tTextInfo" + std::to_string(i) + "_", 512);
    }
    if (TGameData* data = TGameData::GetInstance()) {
        data->MakeSkillList(m_list, m_character, m_weaponId);
    }
    m_gauge->SetSelection(0);
    TSprite* icons = m_gauge->GetSlotIcons();
    for (std::int32_t slot = 0; slot < TSkillGauge::kSlots; ++slot) {
        SetIcon(icons[slot], GetSlotSkill(slot));
    }
    RefreshInfo(InfoMode::kGauge);
    StartSubScreen();
}

TSkillLoop::~TSkillLoop() = default;

void TSkillLoop::SetIcon(TSprite& icon, std::uint32_t skillId)
{
    if (skillId == 0) {
        icon = TSprite();
    } else {
        // The sub-kind picks the skill's icon, as on the gauge in the field.
        TSkillTable::CreateIconSprite(icon, TSkillTable::Get(skillId).SubKind);
    }
}

std::uint32_t TSkillLoop::GetSlotSkill(std::int32_t slot) const
{
    const TGameData* data = TGameData::GetInstance();
    return data != nullptr ? data->GetSkillSlot(m_character, static_cast<std::uint32_t>(slot)) : 0;
}

bool TSkillLoop::IsListShown() const
{
    return m_state == static_cast<StateFunc>(&TSkillLoop::OpenList) ||
           m_state == static_cast<StateFunc>(&TSkillLoop::SelectSkill) ||
           m_state == static_cast<StateFunc>(&TSkillLoop::CloseList);
}

void TSkillLoop::RefreshRows()
{
    const auto n = static_cast<std::int32_t>(m_list.size());
    for (std::int32_t i = 0; i < kRows; ++i) {
        const std::int32_t k = m_rowWindow.GetPager().GetTop() + i;
        if (k < 0 || k >= n) {
            m_rows.Clear(i);
            continue;
        }
        const std::uint32_t id = m_list[static_cast<std::size_t>(k)];
        if (id == kRemove) {
            m_rows.SetWord(i, "はずす");
        } else {
            m_rows.SetText(i, TSkillTable::Get(id).Name);
            SetIcon(m_rows.Icon(i), id);
        }
    }
}

void TSkillLoop::RefreshInfo(InfoMode mode)
{
    std::uint32_t id = 0;
    if (mode == InfoMode::kList) {
        const std::int32_t k = m_rowWindow.GetPager().GetIndex();
        if (k >= 0 && k < static_cast<std::int32_t>(m_list.size())) {
            id = m_list[static_cast<std::size_t>(k)];
        }
    } else {
        id = GetSlotSkill(m_gauge->GetSelection());
    }
    if (id == 0) {
        m_infoPicture = TSprite();
    } else {
        TSkillTable::CreateInfoSprite(m_infoPicture, id);
    }
    m_infoId = id;
    TText8* lines[3] = {m_infoLines[0].get(), m_infoLines[1].get(), m_infoLines[2].get()};
    TItemTable::FormatInfo(std::span<TText8* const>(lines), id, true);
}

std::uint32_t TSkillLoop::Open()
{
    m_infoY.Advance();
    m_gaugeX.Advance();
    if (m_gaugeX.AtEnd()) {
        SetState(&TSkillLoop::SelectSlot);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSkillLoop::SelectSlot()
{
    if (Moves(kButtonLeft) != 0) {
        m_gauge->SelectPrev();
        RefreshInfo(InfoMode::kGauge);
    } else if (Moves(kButtonRight) != 0) {
        m_gauge->SelectNext();
        RefreshInfo(InfoMode::kGauge);
    } else if (Pressed(kButtonDecide) != 0) {
        if (GetSlotSkill(m_gauge->GetSelection()) != 0) {
            m_list.insert(m_list.begin(), kRemove);
        }
        m_rowWindow.GetPager().Reset(static_cast<std::int32_t>(m_list.size()));
        RefreshRows();
        RefreshInfo(InfoMode::kList);
        PlaySe(kSoundDecide);
        SetState(&TSkillLoop::OpenList);
    } else if (Pressed(kButtonCancel) != 0) {
        PlaySe(kSoundCancel);
        SetState(&TSkillLoop::Close);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSkillLoop::OpenList()
{
    m_gaugeDim.Advance();
    const bool in = m_rowWindow.SlideIn();
    ApplyDimColors();
    if (in) {
        if (m_list.empty()) {
            SetState(&TSkillLoop::Empty);
        } else {
            SetState(&TSkillLoop::SelectSkill);
        }
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSkillLoop::SelectSkill()
{
    switch (m_rowWindow.Step(*this, Moves(TListWindow::kMoveButtons), Pressed(kButtonDecide | kButtonCancel),
                             [this] { RefreshRows(); }, [this] { RefreshInfo(InfoMode::kList); })) {
    case TListWindow::kDecided:
        SetSkill();
        break;
    case TListWindow::kCancelled:
        if (!m_list.empty() && m_list.front() == kRemove) {
            m_list.erase(m_list.begin());
        }
        SetState(&TSkillLoop::CloseList);
        RefreshInfo(InfoMode::kGauge);
        PlaySe(kSoundCancel);
        break;
    default:
        break;
    }
    return LOOP_CONTINUE;
}

void TSkillLoop::SetSkill()
{
    const std::uint32_t id = m_list[static_cast<std::size_t>(m_rowWindow.GetPager().GetIndex())];
    const std::int32_t slot = m_gauge->GetSelection();
    if (TGameData* data = TGameData::GetInstance()) {
        if (id == kRemove) {
            data->ClearSkillSlot(m_character, static_cast<std::uint32_t>(slot));
        } else {
            data->SetSkillSlot(m_character, static_cast<std::uint32_t>(slot), id);
        }
        data->MakeSkillList(m_list, m_character, m_weaponId);
    }
    SetIcon(m_gauge->GetSlotIcons()[slot], id);
    SetState(&TSkillLoop::CloseList);
    ApplyGaugeDim(true);
    PlaySe(id == kRemove ? kSoundCancel : kSoundSet);
}

void TSkillLoop::ApplyGaugeDim(bool recapture)
{
    const std::int32_t selection = m_gauge->GetSelection();
    m_gauge->SetSelection(m_savedSelection);
    m_gauge->ResetColors();
    if (recapture) {
        m_menu->Recapture();
    }
    m_gauge->SetSelection(selection);
    ApplyDimColors();
}

void TSkillLoop::ApplyDimColors()
{
    const DWORD grey = GreyColor(m_gaugeDim.value);
    TSprite* pieces = m_gauge->GetSlotBackgrounds();
    TSprite* icons = m_gauge->GetSlotIcons();
    for (std::int32_t slot = 0; slot < TSkillGauge::kSlots; ++slot) {
        pieces[slot].SetColor(grey, -1);
        if (slot != m_gauge->GetSelection()) {
            icons[slot].SetColor(grey, -1);
        }
    }
}

std::uint32_t TSkillLoop::Empty()
{
    if (Pressed(kButtonCancel) != 0) {
        RefreshInfo(InfoMode::kGauge);
        SetState(&TSkillLoop::CloseList);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSkillLoop::CloseList()
{
    m_gaugeDim.Retreat();
    const bool out = m_rowWindow.SlideOut();
    ApplyDimColors();
    if (out) {
        SetState(&TSkillLoop::SelectSlot);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSkillLoop::Close()
{
    m_infoY.Retreat();
    m_gaugeX.Retreat();
    if (!m_gaugeX.AtStart()) {
        return LOOP_CONTINUE;
    }
    m_gauge->ResetColors();
    m_gauge->SetSelection(m_savedSelection);
    return LOOP_END;
}

void TSkillLoop::DrawWindows()
{
    const auto at = [](const TIntRamp& r) { return static_cast<float>(r.value); };
    m_gauge->Draw(m_gaugeX.value, m_gaugeY.value);
    const auto listX = static_cast<float>(TListWindow::kListX);
    const float listY = at(m_rowWindow.GetListY());
    const auto captionX = static_cast<float>(TListWindow::kTitleX);
    const float captionY = at(m_rowWindow.GetTitleY());
    const float infoX = at(m_infoX);
    const float infoY = at(m_infoY);
    m_listWindow.Draw(listX, listY, false);
    m_captionWindow.Draw(captionX, captionY, false);
    m_infoWindow.Draw(infoX, infoY, false);
    m_infoPicture.Draw(infoX + 38.0F, infoY + 32.0F, false);
    const bool listShown = IsListShown();
    if (listShown) {
        // The list as it is now: a cancel has already taken its take-out entry away.
        m_rows.DrawList(listX, listY, m_rowWindow.GetPager(), static_cast<std::int32_t>(m_list.size()),
                        m_rowWindow.GetBob());
    }
    TSprite::SetRenderMode(3);
    m_caption->Draw(captionX + 58.0F, captionY + 8.0F, false);
    for (std::size_t i = 0; i < m_infoLines.size(); ++i) {
        m_infoLines[i]->Draw(infoX + 106.0F, infoY + 36.0F + 20.0F * static_cast<float>(i), false);
    }
    if (listShown) {
        m_rows.DrawTexts(listX + 90.0F, listY + 42.0F);
    }
    if (m_state == static_cast<StateFunc>(&TSkillLoop::Empty)) {
        m_empty->Draw(listX + 94.0F, listY + 136.0F, false);
    }
}
