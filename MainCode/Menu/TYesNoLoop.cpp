#include "MainCode/Menu/TYesNoLoop.h"

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"

namespace {

constexpr std::int32_t kWindowSteps = 10;
constexpr std::int32_t kQuitSteps = 50;

}  // namespace

TYesNoLoop::TYesNoLoop(TGameWnd* app, std::uint8_t kind) : TMenuSceneLoop(app), m_menu(nullptr), m_kind(kind)
{
    SetState(&TYesNoLoop::Darken);
    Build();
    CaptureBackground("TYesNoLoop");
    SetDim(0.5F, 10);
    LoadSounds("subset/menu_se.tbl");
    StartStandAlone();
}

TYesNoLoop::TYesNoLoop(TGameWnd* app, TMenuTopLoop* owner, std::uint8_t kind)
    : TMenuSceneLoop(app), m_menu(owner), m_kind(kind)
{
    SetState(&TYesNoLoop::OpenWindows);
    Build();
    LoadSounds("subset/menu_se.tbl");
    SetOwner(owner);
    StartSubScreen();
}

// Going back to the title deletes the owner before this dialog: nothing here may reach it.
TYesNoLoop::~TYesNoLoop() = default;

void TYesNoLoop::Build()
{
    m_wobble.Start(-3, 3, 10, TRepeatIntRamp::kEndless, true);
    m_questionX.Set(192, 192, kWindowSteps, 0);
    m_questionY.Set(-64, 176, kWindowSteps, 0);
    m_choiceX.Set(283, 283, kWindowSteps, 0);
    m_choiceY.Set(480, 240, kWindowSteps, 0);
    m_question = TSprite::FromFile(m_kind == kQuit ? "sprite.ptx/window24" : "sprite.ptx/window23", D3DPOOL_MANAGED, 0);
    m_choice = TSprite::FromFile("sprite.ptx/window10", D3DPOOL_MANAGED, 0);
    m_cursor = TSprite::FromFile("sprite.ptx/cursor02", D3DPOOL_MANAGED, 0);
    m_blackRamp.Set(0.0F, 1.0F, kQuitSteps, 0);
    m_black.SetColor(0, -1);
}

const TAreaBase* TYesNoLoop::Area() const
{
    return m_menu != nullptr && m_menu->GetField() != nullptr ? m_menu->GetField()->GetArea() : nullptr;
}

std::uint32_t TYesNoLoop::Darken()
{
    m_dimOverlay.SetColor(DimColor(m_dim.value), -1);
    if (!m_dim.Advance()) {
        SetState(&TYesNoLoop::OpenWindows);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TYesNoLoop::OpenWindows()
{
    m_choiceY.Advance();
    if (!m_questionY.Advance()) {
        SetState(&TYesNoLoop::Ask);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TYesNoLoop::Ask()
{
    m_wobble.Step();
    const std::int32_t before = m_selection;
    if (Pressed(kButtonUp) != 0) {
        m_selection = m_selection == 0 ? 1 : m_selection - 1;
    }
    if (Pressed(kButtonDown) != 0) {
        m_selection = m_selection == 1 ? 0 : m_selection + 1;
    }
    if (m_selection != before) {
        PlaySe(kSoundListCursor);
    }
    const bool decided = Pressed(kButtonDecide) != 0;
    if (Pressed(kButtonCancel) != 0 || (decided && m_selection == 1)) {
        PlaySe(kSoundCancel);
        SetState(&TYesNoLoop::Close);
        return LOOP_CONTINUE;
    }
    if (!decided) {
        return LOOP_CONTINUE;
    }
    PlaySe(kSoundDecide);
    if (m_kind == kToTitle) {
        // The area's music outlives the field for the title to fade; the field, the menu and its
        // windows go now, bottom first, and this dialog last.
        const std::int32_t music = TMapEventModule::KeepMusic(m_app, Area());
        TLoop* hub = CreateChangeToTitle(m_app, static_cast<std::uint32_t>(music));
        m_app->PopScenesTo(1);
        m_app->ReplaceScene(hub);
        return LOOP_END;
    }
    const std::int32_t music = Area() != nullptr ? Area()->GetMusicId() : -1;
    TSoundBank* bank = m_sound != nullptr ? m_sound->GetBank(2) : nullptr;
    if (music != -1 && bank != nullptr) {
        m_fader = m_sound->CreateFader(bank->Get(static_cast<std::uint32_t>(music)), false, 1.0F, kQuitSteps);
    }
    m_quitting = true;
    SetState(&TYesNoLoop::Quit);
    return LOOP_CONTINUE;
}

std::uint32_t TYesNoLoop::Close()
{
    const bool darkening = m_menu == nullptr && FadeDimOut();
    m_choiceY.Retreat();
    const bool moving = m_questionY.Retreat();
    return moving || darkening ? LOOP_CONTINUE : LOOP_END;
}

std::uint32_t TYesNoLoop::Quit()
{
    m_black.SetColor(DimColor(m_blackRamp.value), -1);
    const bool fading = m_blackRamp.Advance();
    const bool music = StepFader(m_fader);
    if (fading || music) {
        return LOOP_CONTINUE;
    }
    if (m_fader.Get() != nullptr) {
        m_fader->Stop(true);
        m_fader = TRefPtr<TSoundFader>();
    }
    return LOOP_QUIT;
}

void TYesNoLoop::DrawWindows()
{
    m_question.Draw(static_cast<float>(m_questionX.value), static_cast<float>(m_questionY.value), false);
    m_choice.Draw(static_cast<float>(m_choiceX.value), static_cast<float>(m_choiceY.value), false);
    m_cursor.Draw(static_cast<float>(m_choiceX.value + 12 + m_wobble.Value()),
                  static_cast<float>(m_choiceY.value + 16 * (m_selection + 1)), false);
    if (m_quitting) {
        m_black.DrawRect(0.0F, 0.0F, 640.0F, 480.0F, false);
    }
}
