#include "MainCode/Hud/TItemRing.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/Hud/TLetterFont.h"
#include "MainCode/TInputDevice.h"
#include "MainCode/TMenuSound.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "platform/d3dx8/d3dx8math.h"

namespace {

constexpr float kQuarterTurn = 0.7853982F;  // one slot, pi / 4
constexpr std::int32_t kSteps = 10;
constexpr float kHiddenX = -266.0F;
constexpr float kShownX = -96.0F;
constexpr float kRingTop = 162.0F;
constexpr float kSlotTop = 258.0F;
constexpr float kOrbit = 96.0F;

TSoundBank* EffectBank()
{
    TDSound8* core = TDSound8::Instance();
    return core != nullptr ? core->GetBank(0) : nullptr;
}

// One step toward the target; a ramp that has arrived is re-based on it, so the next turn starts there.
void StepAndRebase(TLinearRamp& ramp)
{
    ramp.Advance();
    if (ramp.AtEnd()) {
        ramp.from = ramp.to;
        ramp.value = ramp.to;
    }
}

void SetGlyph(TLetterFont* font, TSprite& glyph, std::uint8_t c)
{
    if (font != nullptr) {
        glyph = font->Glyph(c);
    }
}

}  // namespace

TRefPtr<TItemRing> TItemRing::Create(TLetterFont* font) { return TRefPtr<TItemRing>(new TItemRing(font)); }

TItemRing::TItemRing(TLetterFont* font)
    : m_state(&TItemRing::StateClosed),
      m_ring(TSprite::FromFile("sprite.ptx/ring01_c", D3DPOOL_MANAGED, 0)),
      m_cursor(TSprite::FromFile("sprite.ptx/ring_cursor00", D3DPOOL_MANAGED, 0)),
      m_sounds(EffectBank(), TGameData::GetTableDirectory() + "subset/itemring_se.tbl"),
      m_font(font)
{
    m_slide.Set(kHiddenX, kShownX, kSteps, 0);
    m_ringTurn.Set(0.0F, 0.0F, kSteps, 0);
    for (TLinearRamp& angle : m_slotAngles) {
        angle.Set(0.0F, 0.0F, 0, 0);
    }
    // Slot 0 never shows a count.
    SetCountGlyphs(m_font, nullptr, m_counts[0], m_counts[1]);
}

TItemRing::~TItemRing() = default;

void TItemRing::SetCountGlyphs(TLetterFont* font, const TItemEntry* entry, TSprite& tens, TSprite& units)
{
    if (entry == nullptr || entry->Id == 0) {
        SetGlyph(font, tens, '#');
        SetGlyph(font, units, '#');
    } else if (entry->Count < 10) {
        SetGlyph(font, tens, '#');
        SetGlyph(font, units, static_cast<std::uint8_t>('0' + entry->Count));
    } else {
        SetGlyph(font, tens, static_cast<std::uint8_t>('0' + entry->Count / 10));
        SetGlyph(font, units, static_cast<std::uint8_t>('0' + entry->Count % 10));
    }
}

void TItemRing::StartTurn(TLinearRamp& ramp, float delta)
{
    const float target = ramp.to;
    ramp.from = target;
    ramp.value = target;
    ramp.to = target + delta;
    ramp.step = 0;
}

void TItemRing::Reset()
{
    ResetAngles();
    Update();
    UpdateCounts();
}

void TItemRing::Update()
{
    m_icons[0] = TSprite();
    TGameData* data = TGameData::GetInstance();
    for (std::int32_t k = 1; k < kSlots; ++k) {
        const TItemEntry* entry = data != nullptr ? data->GetRingSlot(static_cast<std::uint32_t>(k)) : nullptr;
        if (entry == nullptr || entry->Id == 0) {
            m_icons[k] = TSprite();
        } else {
            TItemTable::CreateIconSprite(m_icons[k], entry->Id);
        }
    }
}

void TItemRing::UpdateCounts()
{
    TGameData* data = TGameData::GetInstance();
    for (std::int32_t k = 1; k < kSlots; ++k) {
        const TItemEntry* entry = data != nullptr ? data->GetRingSlot(static_cast<std::uint32_t>(k)) : nullptr;
        SetCountGlyphs(m_font, entry, m_counts[k * 2], m_counts[k * 2 + 1]);
    }
}

void TItemRing::ResetAngles()
{
    m_selected = 0;
    m_ringTurn.value = 0.0F;
    m_ringTurn.from = 0.0F;
    m_ringTurn.to = 0.0F;
    m_ringTurn.step = 0;
    for (std::int32_t k = 0; k < kSlots; ++k) {
        TLinearRamp& angle = m_slotAngles[k];
        angle.value = static_cast<float>(k) * kQuarterTurn;
        angle.from = angle.value;
        angle.to = angle.value;
        angle.step = 0;
        angle.steps = kSteps;
    }
}

void TItemRing::Turn(bool backward)
{
    const float delta = backward ? -kQuarterTurn : kQuarterTurn;
    StartTurn(m_ringTurn, delta);
    for (TLinearRamp& angle : m_slotAngles) {
        StartTurn(angle, delta);
    }
}

bool TItemRing::RunState(TPlayerCharacter* player)
{
    if (player == nullptr) {
        return false;
    }
    return (this->*m_state)(player);
}

bool TItemRing::StateClosed(TPlayerCharacter* player)
{
    ResetAngles();
    if (player->CanOpenItemRing()) {
        m_state = &TItemRing::StateOpen;
    }
    return false;
}

bool TItemRing::StateOpen(TPlayerCharacter* player)
{
    m_slide.Advance();
    StepAndRebase(m_ringTurn);
    for (TLinearRamp& angle : m_slotAngles) {
        StepAndRebase(angle);
    }

    const TInputDevice* input = player->GetInput();
    const std::uint32_t now = input != nullptr ? input->GetWord(0) : 0;
    const std::uint32_t before = input != nullptr ? input->GetWord(1) : 0;
    const std::uint32_t pressed = now & ~before;
    bool turned = false;
    if ((pressed & kButtonUp) != 0) {
        Turn(false);
        m_selected = m_selected == 0 ? kSlots - 1 : m_selected - 1;
        turned = true;
    } else if ((pressed & kButtonDown) != 0) {
        Turn(true);
        m_selected = m_selected == kSlots - 1 ? 0 : m_selected + 1;
        turned = true;
    }
    if (turned && m_sounds.GetBank() != nullptr) {
        m_sounds.GetBank()->Play(kSoundTurn);
    }

    if (!player->CanOpenItemRing()) {
        UseSelected(player);
        m_state = &TItemRing::StateClosing;
    }
    UpdateCounts();
    return true;
}

void TItemRing::UseSelected(TPlayerCharacter* player)
{
    if (m_selected == 0) {
        return;
    }
    TGameData* data = TGameData::GetInstance();
    const TItemEntry* entry = data != nullptr ? data->GetRingSlot(static_cast<std::uint32_t>(m_selected)) : nullptr;
    if (entry != nullptr && entry->Id != 0 && entry->Id != 0xFFFFFFFFu && entry->Count != 0) {
        player->UseRingItem(entry->Id);
    }
}

bool TItemRing::StateClosing(TPlayerCharacter*)
{
    if (!m_slide.Retreat()) {
        m_state = &TItemRing::StateClosed;
    }
    return false;
}

void TItemRing::Draw()
{
    if (IsClosed()) {
        return;
    }
    TSprite::SetRenderMode(1);
    DrawWheel(m_slide.value, kRingTop, m_ringTurn.value, m_ring, m_slotAngles, m_icons, m_counts);
    m_cursor.Draw(m_slide.value + 136.0F, kSlotTop, false);
}

void TItemRing::DrawWheel(float x, float y, float ringAngle, TSprite& ring, const TLinearRamp* angles, TSprite* icons,
                          TSprite* counts)
{
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, ringAngle);
    ring.DrawTransformed(x, y, static_cast<float>(ring.GetWidth()), static_cast<float>(ring.GetHeight()), &turn,
                         false);

    // Out along x and turned back, so the pictures stay upright; the orbit is in back-buffer pixels.
    D3DXMATRIX out;
    D3DXMatrixTranslation(&out, kOrbit * TSprite::GetScaleX(), 0.0F, 0.0F);
    for (std::int32_t k = 0; k < kSlots; ++k) {
        const float a = angles[k].value;
        D3DXMATRIX back;
        D3DXMATRIX forth;
        D3DXMATRIX m;
        D3DXMatrixRotationZ(&back, -a);
        D3DXMatrixRotationZ(&forth, a);
        D3DXMatrixMultiply(&m, &back, &out);
        D3DXMatrixMultiply(&m, &m, &forth);
        TSprite& icon = icons[k];
        icon.DrawTransformed(x + kOrbit, y + kOrbit, static_cast<float>(icon.GetWidth()),
                             static_cast<float>(icon.GetHeight()), &m, false);
        counts[k * 2].DrawTransformed(x + 136.0F, y + 136.0F, 16.0F, 16.0F, &m, false);
        counts[k * 2 + 1].DrawTransformed(x + 148.0F, y + 136.0F, 16.0F, 16.0F, &m, false);
    }
}
