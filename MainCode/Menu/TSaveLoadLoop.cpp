#include "MainCode/Menu/TSaveLoadLoop.h"

#include <new>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundList.h"

namespace {

constexpr std::uint32_t kTitleMusic = 1;
constexpr std::uint32_t kNoMusic = 0xFFFFFFFF;
constexpr std::uint32_t kOpeningEvent = 300;

const char* const kTitles[3] = {"ロード", "セーブ", "引継ぎ"};

}  // namespace

TSaveLoadLoop* TSaveLoadLoop::CreateLoad(TGameWnd* app)
{
    return new (std::nothrow) TSaveLoadLoop(app, kLoad, TGameData::kOwnSaveFolder);
}

TSaveLoadLoop* TSaveLoadLoop::CreateSave(TGameWnd* app)
{
    return new (std::nothrow) TSaveLoadLoop(app, kSave, TGameData::kOwnSaveFolder);
}

TSaveLoadLoop* TSaveLoadLoop::CreateCarryOver(TGameWnd* app, std::int32_t chapter)
{
    return new (std::nothrow) TSaveLoadLoop(app, kCarryOver, chapter);
}

TSaveLoadLoop::TSaveLoadLoop(TGameWnd* app, std::int32_t mode, std::int32_t chapter)
    : TMenuSceneLoop(app), m_mode(mode), m_chapter(chapter), m_page(this)
{
    m_page.SetKind(mode == kSave ? TSaveSlotPage::Kind::Save : TSaveSlotPage::Kind::Load, chapter);
    m_page.SetTitle(kTitles[mode >= kLoad && mode <= kCarryOver ? mode : kLoad]);
    // The carry-over opens over the choice's own dim, without one of its own.
    if (mode == kCarryOver) {
        SetState(&TSaveLoadLoop::StatePage);
        m_page.Open();
    } else {
        SetState(&TSaveLoadLoop::StateDimIn);
    }
    m_page.RefreshPage();
    CaptureBackground("SaveLoadLoop");
    SetDim(0.5F, 10);
    LoadSounds("subset/menu_se.tbl");
    StartStandAlone();
}

TSaveLoadLoop::~TSaveLoadLoop() = default;

std::uint32_t TSaveLoadLoop::StateDimIn()
{
    FadeDimIn();
    if (m_dim.AtEnd()) {
        m_page.Open();
        SetState(&TSaveLoadLoop::StatePage);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSaveLoadLoop::StatePage()
{
    const auto result = m_page.Step(Pressed(TSaveSlotPage::kButtons), Moves(TSaveSlotPage::kMoves));
    if (result != TSaveSlotPage::Result::Closed) {
        return result == TSaveSlotPage::Result::Chosen ? LoadChosen() : LOOP_CONTINUE;
    }
    if (m_mode == kSave) {
        // After the ending there is nothing below to go back to.
        m_app->ReplaceScene(CreateChangeToTitle(m_app, kNoMusic));
        return LOOP_END;
    }
    SetState(&TSaveLoadLoop::StateDimOut);
    return LOOP_CONTINUE;
}

std::uint32_t TSaveLoadLoop::StateDimOut()
{
    FadeDimOut();
    return m_dim.AtStart() ? LOOP_END : LOOP_CONTINUE;
}

std::uint32_t TSaveLoadLoop::LoadChosen()
{
    // The confirming sound and the title music live on through the scene change.
    const std::uint32_t sound = m_mode == kCarryOver ? kSoundStart : kSoundDecide;
    PlaySe(sound);
    if (m_sounds != nullptr && m_sounds->GetBank() != nullptr) {
        m_sounds->GetBank()->Load(sound);
    }
    if (m_sound != nullptr && m_sound->GetBank(2) != nullptr) {
        m_sound->GetBank(2)->Load(kTitleMusic);
    }
    TLoop* next = nullptr;
    if (m_mode == kCarryOver) {
        TGameData& data = *TGameData::GetInstance();
        if (data.Load(m_page.GetSlot(), m_chapter) == TGameData::kSaveOk) {
            data.StartPlayTime();
            next = CreateChangeToEvent(m_app, 15, 0xF000, kOpeningEvent, kTitleMusic);
        } else {
            next = CreateChangeToTitle(m_app, kTitleMusic);
        }
    } else {
        next = CreateChangeToLoadSlot(m_app, static_cast<std::uint32_t>(m_page.GetSlot()), kTitleMusic);
    }
    m_app->PopScenesTo(1);
    m_app->ReplaceScene(next);
    return LOOP_END;
}
