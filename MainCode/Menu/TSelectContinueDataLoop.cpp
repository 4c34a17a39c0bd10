#include "MainCode/Menu/TSelectContinueDataLoop.h"

#include <cstdio>
#include <new>
#include <string>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/TGameWnd.h"
#include "TCommon/my_error.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TText8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundList.h"

namespace {

constexpr std::int32_t kSteps = 10;
constexpr std::int32_t kRowX = 64;
constexpr std::uint32_t kTitleMusic = 1;
const char* const kSourceFile = "MainCode/Menu/TSelectContinueDataLoop";

std::int32_t RowsFor(std::int32_t chapter)
{
    if (chapter >= 1 && chapter <= TSelectContinueDataLoop::kMaxRows) {
        return chapter;
    }
    const std::int32_t rows = chapter < 1 ? 1 : TSelectContinueDataLoop::kMaxRows;
    my_error::LogError(my_error("chapter " + std::to_string(chapter) + " has no carry-over rows; shown as chapter " +
                                    std::to_string(rows),
                                kSourceFile, __LINE__));
    return rows;
}

}  // namespace

TSelectContinueDataLoop* TSelectContinueDataLoop::Create(TGameWnd* app, std::int32_t chapter)
{
    return new (std::nothrow) TSelectContinueDataLoop(app, chapter);
}

TSelectContinueDataLoop::TSelectContinueDataLoop(TGameWnd* app, std::int32_t chapter)
    : TMenuSceneLoop(app), m_chapter(RowsFor(chapter)), m_rows(m_chapter)
{
    SetState(&TSelectContinueDataLoop::StateDimIn);
    static const char* const kNames[kMaxRows] = {"ContinueNo0", "ContinueNo1", "ContinueNo2",
                                                 "ContinueNo3", "ContinueNo4", "ContinueNo5"};
    // The column centred on the screen, rows 64 apart.
    const std::int32_t y0 = 240 - 32 * m_rows;
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    for (std::int32_t r = 0; r < kMaxRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        m_rowY[i].Set(y0 + 64 * r - 432, y0 + 64 * r, kSteps, 0);
        m_rowX[i].Set(kRowX, kRowX, kSteps, 0);
        m_rowLight[i].Reset(r == 0);
        m_windows[i] = TSprite::FromFile("sprite.ptx/window11", D3DPOOL_MANAGED, 0);
        m_texts[i] = std::make_unique<TText8>(kNames[r], 512, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
        if (r >= m_rows) {
            continue;
        }
        char line[96];
        if (r == 0) {
            std::snprintf(line, sizeof line, "セーブデータを引き継がずに%d章を開始する。", m_chapter);
        } else {
            std::snprintf(line, sizeof line, "%d章のセーブデータを引き継いで%d章を開始する。", r, m_chapter);
        }
        m_texts[i]->DrawText(0, 0, line, &font, true);
    }
    for (std::int32_t r = 0; r < m_rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        m_rowLight[i].Apply(m_windows[i], *m_texts[i]);
    }
    CaptureBackground("SelectContinueDataLoop");
    SetDim(0.5F, kSteps);
    LoadSounds("subset/menu_se.tbl");
    StartStandAlone();
}

TSelectContinueDataLoop::~TSelectContinueDataLoop() = default;

void TSelectContinueDataLoop::Highlight()
{
    for (std::int32_t r = 0; r < m_rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        m_rowLight[i].Step(r == m_cursor);
        m_rowLight[i].Apply(m_windows[i], *m_texts[i]);
    }
}

std::uint32_t TSelectContinueDataLoop::StateDimIn()
{
    FadeDimIn();
    if (m_dim.AtEnd()) {
        SetState(&TSelectContinueDataLoop::StateOpen);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSelectContinueDataLoop::StateOpen()
{
    if (TSaveSlotPage::CascadeIn(std::span(m_rowY).first(static_cast<std::size_t>(m_rows)))) {
        SetState(&TSelectContinueDataLoop::StateInput);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSelectContinueDataLoop::StateInput()
{
    std::uint32_t result = LOOP_CONTINUE;
    const std::uint16_t moves = Moves(kButtonUp | kButtonDown);
    const std::uint16_t pressed = Pressed(kButtonDecide | kButtonCancel);
    if ((moves & kButtonUp) != 0) {
        m_cursor = m_cursor == 0 ? m_rows - 1 : m_cursor - 1;
        PlaySe(kSoundListCursor);
    } else if ((moves & kButtonDown) != 0) {
        m_cursor = m_cursor == m_rows - 1 ? 0 : m_cursor + 1;
        PlaySe(kSoundListCursor);
    } else if ((pressed & kButtonDecide) != 0 && m_cursor == 0) {
        m_decision = kFresh;
        TGameData::GetInstance()->Reset();
        // The start sound and the title music live on through the scene change.
        PlaySe(kSoundStart);
        if (m_sounds != nullptr && m_sounds->GetBank() != nullptr) {
            m_sounds->GetBank()->Load(kSoundStart);
        }
        if (m_sound != nullptr && m_sound->GetBank(2) != nullptr) {
            m_sound->GetBank(2)->Load(kTitleMusic);
        }
        TLoop* hub = CreateChangeToEvent(m_app, 15, 0xF000, 300, kTitleMusic);
        m_app->PopScenesTo(1);
        m_app->ReplaceScene(hub);
        result = LOOP_END;
    } else if ((pressed & (kButtonDecide | kButtonCancel)) != 0) {
        m_decision = (pressed & kButtonDecide) != 0 ? kCarryOver : kCancelled;
        PlaySe(kSoundCancel);
        SetState(&TSelectContinueDataLoop::StateClose);
    }
    Highlight();
    return result;
}

std::uint32_t TSelectContinueDataLoop::StateClose()
{
    for (TIntRamp& x : m_rowX) {
        x.Set(kRowX, kRowX, kSteps, 0);
    }
    if (!TSaveSlotPage::CascadeOut(std::span(m_rowY).first(static_cast<std::size_t>(m_rows)))) {
        return LOOP_CONTINUE;
    }
    if (m_decision == kCancelled) {
        SetState(&TSelectContinueDataLoop::StateDimOut);
        return LOOP_CONTINUE;
    }
    // The rows drop in again once the carry-over screen is gone.
    SetState(&TSelectContinueDataLoop::StateOpen);
    if (TSaveLoadLoop* screen = TSaveLoadLoop::CreateCarryOver(m_app, m_cursor)) {
        m_app->PushScene(screen);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TSelectContinueDataLoop::StateDimOut()
{
    FadeDimOut();
    return m_dim.AtStart() ? LOOP_END : LOOP_CONTINUE;
}

void TSelectContinueDataLoop::DrawWindows()
{
    for (std::int32_t r = 0; r < m_rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        m_windows[i].Draw(static_cast<float>(m_rowX[i].value), static_cast<float>(m_rowY[i].value), false);
    }
    TSprite::SetRenderMode(3);
    for (std::int32_t r = 0; r < m_rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const std::int32_t dx = r == 0 ? 96 : 84;
        m_texts[i]->Draw(static_cast<float>(m_rowX[i].value + dx), static_cast<float>(m_rowY[i].value + 22), false);
    }
}
