// The pause menu's options: the minimap switch and the music, sound-effect and voice levels, four
// rows that slide down one after another. Every change goes into the game data at once, and a
// level is heard at once: its bank is set while the knob moves. No key repeat here: a held "LEFT"
// or "RIGHT" moves a knob a level every step.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "MainCode/Menu/TMenuSceneLoop.h"

class TMenuTopLoop;
class TText8;

class TOptionLoop : public TMenuSceneLoop {
public:
    static constexpr std::int32_t kRows = 4;
    static constexpr std::int32_t kSliders = 3;
    // Rows: the minimap, then the sliders in this order.
    static constexpr std::int32_t kMiniMapRow = 0;
    static constexpr std::int32_t kMusicRow = 1;
    static constexpr std::int32_t kSeRow = 2;
    static constexpr std::int32_t kVoiceRow = 3;

    TOptionLoop(TGameWnd* app, TMenuTopLoop* menu);
    ~TOptionLoop() override;

private:
    friend struct TMenuProbe;

    std::uint32_t Open();
    std::uint32_t MiniMapRow();
    std::uint32_t MusicRow();
    std::uint32_t SeRow();
    std::uint32_t VoiceRow();
    std::uint32_t Close();
    // One step of a slider row: its knob, or the move to another row, or the close.
    void SliderRow(std::int32_t row);
    // Selects the row as the state that runs from the next step.
    void SelectRow(std::int32_t row);
    void WriteMiniMap();
    // The lit row's tweens back toward full, the others on toward their dim ends; then the colours.
    void Highlight(std::int32_t row);
    void ApplyColors();
    void DrawWindows() override;

    TMenuTopLoop* m_menu;
    std::array<TIntRamp, kRows> m_windowX;
    std::array<TIntRamp, kRows> m_windowY;
    TLinearRamp m_miniMapGrey;
    TLinearRamp m_miniMapAlpha;
    std::array<TLinearRamp, kSliders> m_sliderLight;
    std::uint8_t m_miniMap = 1;
    std::array<std::int32_t, kSliders> m_levels{};
    std::array<TSprite, kRows> m_windows;
    std::array<TSprite, kSliders> m_knobs;
    std::unique_ptr<TText8> m_miniMapText;
};
