#include "MainCode/Menu/TMenuTopLoop.h"

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuConfirm2Loop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TMenuConfirmLoop.h"
#include "MainCode/Menu/TMenuSaveLoop.h"
#include "MainCode/Menu/TOptionLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "MainCode/Menu/TStatusLoop.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"

namespace {

constexpr const char* kItemWindows[TMenuTopLoop::kItems] = {
    "sprite.ptx/window02_a", "sprite.ptx/window02_b", "sprite.ptx/window02_c", "sprite.ptx/window02_d",
    "sprite.ptx/window02_l", "sprite.ptx/window02_e", "sprite.ptx/window02_f", "sprite.ptx/window02_j",
};

constexpr std::int32_t kMusicFadeSteps = 40;
constexpr float kLoweredMusic = 0.3F;

// The area's music id, or -1 for an area without music or whose music has no sound: then the menu
// neither lowers nor raises anything and never holds a cancel back.
std::int32_t AreaMusic(TDSound8* sound, const TAreaBase* area)
{
    const std::int32_t id = area != nullptr ? area->GetMusicId() : -1;
    TSoundBank* music = sound != nullptr ? sound->GetBank(2) : nullptr;
    if (id == -1 || music == nullptr || !music->IsLoaded(static_cast<std::uint32_t>(id))) {
        return -1;
    }
    return id;
}

}  // namespace

TMenuTopLoop::TMenuTopLoop(TGameWnd* app, TFieldLoop* field) : TMenuSceneLoop(app), m_field(field)
{
    SetState(&TMenuTopLoop::FadeIn);
    SetDim(0.5F, 10);
    CaptureBackground("TMenuTopLoop");
    LoadSounds("subset/menu_se.tbl");
    PlaySe(kSoundDecide);
    for (std::int32_t i = 0; i < kItems; ++i) {
        m_items.Add(kItemWindows[i], -194 + 8 * i, 16 + 8 * i, 16 + 40 * i, i == m_cursor);
    }
    m_dimOverlay.SetColor(0, -1);
    m_musicId = AreaMusic(m_sound, field != nullptr ? field->GetArea() : nullptr);
    if (m_musicId != -1) {
        MakeFader(false, kLoweredMusic);
    }
    StartStandAlone();
}

// Nothing here reaches the field: going back to the title deletes the field before this menu.
TMenuTopLoop::~TMenuTopLoop() = default;

void TMenuTopLoop::Recapture()
{
    TMenuSceneLoop::Recapture("TMenuTopLoop", m_field);
}

void TMenuTopLoop::MakeFader(bool fadeIn, float level)
{
    m_fader = m_sound->CreateFader(m_sound->GetBank(2)->Get(static_cast<std::uint32_t>(m_musicId)), fadeIn, level,
                                   kMusicFadeSteps);
}

void TMenuTopLoop::UpdateHighlight(bool snap)
{
    m_items.Highlight(m_cursor, snap);
}

std::uint32_t TMenuTopLoop::FadeIn()
{
    StepFader(m_fader);
    if (!FadeDimIn()) {
        SetState(&TMenuTopLoop::OpenItems);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TMenuTopLoop::OpenItems()
{
    StepFader(m_fader);
    if (m_items.Open()) {
        SetState(&TMenuTopLoop::Select);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TMenuTopLoop::Select()
{
    StepFader(m_fader);
    const std::int32_t before = m_cursor;
    if (Moves(kButtonUp) != 0) {
        m_cursor = m_items.Move(m_cursor, -1);
    } else if (Moves(kButtonDown) != 0) {
        m_cursor = m_items.Move(m_cursor, 1);
    } else if (Pressed(kButtonCancel | kButtonE) != 0) {
        // The music still going down holds the menu open; once down it is brought back up.
        if (!StepFader(m_fader)) {
            if (m_fader.Get() != nullptr) {
                MakeFader(true, 1.0F);
            }
            m_openSubScreen = false;
            SetState(&TMenuTopLoop::CloseItems);
            PlaySe(kSoundCancel);
        }
    } else if (Pressed(kButtonDecide) != 0) {
        PlaySe(kSoundDecide);
        m_openSubScreen = true;
        SetState(&TMenuTopLoop::CloseItems);
    }
    if (m_cursor != before) {
        PlaySe(kSoundCursor);
    }
    UpdateHighlight(false);
    return LOOP_CONTINUE;
}

std::uint32_t TMenuTopLoop::CloseItems()
{
    StepFader(m_fader);
    if (!m_items.Close()) {
        return LOOP_CONTINUE;
    }
    if (!m_openSubScreen) {
        SetState(&TMenuTopLoop::FadeOut);
        return LOOP_CONTINUE;
    }
    SetState(&TMenuTopLoop::OpenItems);
    m_openSubScreen = false;
    UpdateHighlight(true);
    OpenSubScreen();
    return LOOP_CONTINUE;
}

std::uint32_t TMenuTopLoop::FadeOut()
{
    StepFader(m_fader);
    if (FadeDimOut()) {
        return LOOP_CONTINUE;
    }
    if (m_fader.Get() != nullptr && !m_fader->IsFinished()) {
        return LOOP_CONTINUE;
    }
    m_state = nullptr;
    m_fader = TRefPtr<TSoundFader>();
    if (m_field != nullptr) {
        m_field->RefreshHud();
    }
    return LOOP_END;
}

void TMenuTopLoop::OpenSubScreen()
{
    TLoop* screen = nullptr;
    switch (m_cursor) {
    case kRingItem:
        screen = new TItemRingLoop(m_app, this);
        break;
    case kEquipItem:
        screen = new TEquipLoop(m_app, this);
        break;
    case kChangeItem:
        screen = new TMenuConfirmLoop(m_app, this);
        break;
    case kSaveItem:
        screen = new TMenuSaveLoop(m_app, this);
        break;
    case kLeaveItem:
        screen = new TMenuConfirm2Loop(m_app, this);
        break;
    case kSkillItem:
        screen = new TSkillLoop(m_app, this);
        break;
    case kStatusItem:
        screen = new TStatusLoop(m_app, this);
        break;
    case kOptionItem:
        screen = new TOptionLoop(m_app, this);
        break;
    default:
        return;  // every item has its screen
    }
    m_app->PushScene(screen);
}

void TMenuTopLoop::DrawWindows()
{
    m_items.Draw();
}
