#include "MainCode/Hud/TSkillGauge.h"

#include <algorithm>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/TInputDevice.h"
#include "MainCode/TMenuSound.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"

namespace {

constexpr float kHeight = 64.0F;
constexpr float kEndWidth = 72.0F;
constexpr float kMiddleWidth = 48.0F;

// The texture columns of the five pieces of "guage06": left end, three middles, right end.
constexpr float kColumns[TSkillGauge::kSlots][2] = {
    {0.0F, 0.28125F}, {0.28125F, 0.46875F}, {0.28125F, 0.46875F}, {0.28125F, 0.46875F}, {0.46875F, 0.75F}};

TSoundBank* EffectBank()
{
    TDSound8* core = TDSound8::Instance();
    return core != nullptr ? core->GetBank(0) : nullptr;
}

void SetColumns(TSprite& piece, float left, float right)
{
    piece.SetTexCoord(0, left, 0.0F);
    piece.SetTexCoord(1, right, 0.0F);
    piece.SetTexCoord(2, left, 1.0F);
    piece.SetTexCoord(3, right, 1.0F);
}

}  // namespace

TRefPtr<TSkillGauge> TSkillGauge::Create() { return TRefPtr<TSkillGauge>(new TSkillGauge()); }

TSkillGauge::TSkillGauge()
    : m_cursor(TSprite::FromFile("sprite.ptx/ring_cursor01", D3DPOOL_MANAGED, 0)),
      m_sounds(EffectBank(), TGameData::GetTableDirectory() + "subset/skillgauge_se.tbl")
{
    m_frame[0] = TSprite::FromFile("sprite.ptx/guage06", D3DPOOL_MANAGED, 0);
    for (std::int32_t i = 1; i < kSlots; ++i) {
        m_frame[i] = m_frame[0];
    }
    for (std::int32_t i = 0; i < kSlots; ++i) {
        SetColumns(m_frame[i], kColumns[i][0], kColumns[i][1]);
    }
}

TSkillGauge::~TSkillGauge() = default;

void TSkillGauge::Refresh(TPlayerCharacter* character)
{
    TGameData* data = TGameData::GetInstance();
    for (std::int32_t i = 0; i < kSlots; ++i) {
        const std::uint32_t id = data != nullptr && character != nullptr
                                     ? data->GetSkillSlot(character->GetCharacterIndex(), static_cast<std::uint32_t>(i))
                                     : 0;
        if (id == 0) {
            m_icons[i] = TSprite();
        } else {
            // The sub-kind picks the skill's icon.
            TSkillTable::CreateIconSprite(m_icons[i], TSkillTable::Get(id).SubKind);
        }
    }
}

void TSkillGauge::HandleInput(TPlayerCharacter* character)
{
    const TInputDevice* input = character != nullptr ? character->GetInput() : nullptr;
    if (input == nullptr) {
        return;
    }
    const std::uint32_t pressed = input->GetWord(0) & ~input->GetWord(1);
    if ((pressed & kButtonF) != 0) {
        SelectPrev();
    }
    if ((pressed & kButtonG) != 0) {
        SelectNext();
    }
}

void TSkillGauge::SelectPrev()
{
    m_selection = m_selection == 0 ? kSlots - 1 : m_selection - 1;
    if (m_sounds.GetBank() != nullptr) {
        m_sounds.GetBank()->Play(kSoundListCursor);
    }
}

void TSkillGauge::SelectNext()
{
    m_selection = m_selection == kSlots - 1 ? 0 : m_selection + 1;
    if (m_sounds.GetBank() != nullptr) {
        m_sounds.GetBank()->Play(kSoundListCursor);
    }
}

void TSkillGauge::SetSelection(std::int32_t index) { m_selection = std::clamp(index, 0, kSlots - 1); }

void TSkillGauge::Draw(std::int32_t x, std::int32_t y)
{
    TSprite::SetRenderMode(1);
    const float left = static_cast<float>(x);
    const float top = static_cast<float>(y);
    m_frame[0].Draw(left, top, kEndWidth, kHeight, false);
    for (std::int32_t i = 1; i <= 3; ++i) {
        m_frame[i].Draw(left + kEndWidth + kMiddleWidth * static_cast<float>(i - 1), top, kMiddleWidth, kHeight, false);
    }
    m_frame[4].Draw(left + 216.0F, top, kEndWidth, kHeight, false);
    for (std::int32_t i = 0; i < kSlots; ++i) {
        m_icons[i].Draw(left + 32.0F + 48.0F * static_cast<float>(i), top + 24.0F, false);
    }
    m_cursor.Draw(left + 32.0F + 48.0F * static_cast<float>(m_selection), top + 24.0F, false);
}

void TSkillGauge::ResetColors()
{
    for (std::int32_t i = 0; i < kSlots; ++i) {
        m_frame[i].SetColor(0xFFFFFFFF, -1);
        m_icons[i].SetColor(0xFFFFFFFF, -1);
    }
    m_cursor.SetColor(0xFFFFFFFF, -1);
}
