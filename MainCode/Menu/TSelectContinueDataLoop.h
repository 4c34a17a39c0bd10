// The choice a new game passes through: start this chapter afresh, or take over the save of one
// of the chapters before it (the carry-over screen of that chapter's save folder opens over it).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "MainCode/Menu/TMenuSceneLoop.h"
#include "MainCode/Menu/TSaveSlotPage.h"
#include "TCommon/TLinearRamp.h"

class TText8;

class TSelectContinueDataLoop : public TMenuSceneLoop {
public:
    static constexpr std::int32_t kMaxRows = 6;
    enum Decision : std::int32_t { kCancelled = 0, kFresh = 1, kCarryOver = 2 };

    // chapter: this game's chapter; a chapter outside 1..6 is brought into it (and logged), as
    // there are rows for six. Null when the scene cannot be allocated.
    static TSelectContinueDataLoop* Create(TGameWnd* app, std::int32_t chapter);

    TSelectContinueDataLoop(TGameWnd* app, std::int32_t chapter);
    ~TSelectContinueDataLoop() override;


private:
    friend struct TMenuProbe;

    std::uint32_t StateDimIn();
    std::uint32_t StateOpen();
    std::uint32_t StateInput();
    std::uint32_t StateClose();
    std::uint32_t StateDimOut();
    void Highlight();
    void DrawWindows() override;

    std::int32_t m_chapter;
    std::int32_t m_rows;
    std::int32_t m_cursor = 0;
    std::int32_t m_decision = kCancelled;
    std::array<TIntRamp, kMaxRows> m_rowY{};
    std::array<TIntRamp, kMaxRows> m_rowX{};
    std::array<TRowHighlight, kMaxRows> m_rowLight{};
    std::array<TSprite, kMaxRows> m_windows;
    std::array<std::unique_ptr<TText8>, kMaxRows> m_texts;
};
