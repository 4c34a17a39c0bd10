#include "MainCode/Menu/TOptionLoop.h"

#include <algorithm>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/TInputDevice.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TText8.h"

namespace {

constexpr std::int32_t kSteps = 10;
constexpr std::int32_t kWindowX = 192;
// A window starts in once the one above has passed this step, and out once it fell below it.
constexpr std::int32_t kOpenNext = 5;
constexpr std::int32_t kCloseNext = 5;
constexpr const char* kWindowNames[TOptionLoop::kRows] = {"sprite.ptx/window12", "sprite.ptx/window13",
                                                          "sprite.ptx/window14", "sprite.ptx/window15"};
// The sliders' banks: music 2, sound effects 0, voices 1.
constexpr std::uint32_t kSliderBanks[TOptionLoop::kSliders] = {2, 0, 1};
// Where the knob of level 0 and the minimap's word sit inside their windows.
constexpr std::int32_t kKnobX = 139;
constexpr std::int32_t kKnobY = 22;
constexpr std::int32_t kWordX = 168;
constexpr std::int32_t kWordY = 26;

}  // namespace

TOptionLoop::TOptionLoop(TGameWnd* app, TMenuTopLoop* menu) : TMenuSceneLoop(app), m_menu(menu)
{
    SetState(&TOptionLoop::Open);
    SetOwner(menu);
    for (std::int32_t r = 0; r < kRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        m_windowX[i].Set(kWindowX, kWindowX, kSteps, 0);
        m_windowY[i].Set(-256 + 64 * r, 64 + 64 * r, kSteps, 0);
    }
    m_miniMapGrey.Set(1.0F, 0.5F, kSteps, 0);
    m_miniMapAlpha.Set(1.0F, 0.3F, kSteps, 0);
    for (TLinearRamp& light : m_sliderLight) {
        light.Set(1.0F, 0.5F, kSteps, kSteps);
    }
    const TGameData* data = TGameData::GetInstance();
    if (data != nullptr) {
        m_miniMap = data->GetMiniMapState();
        // A level from a damaged save would put the knob outside its window.
        m_levels = {TGameData::ClampVolume(data->GetBgmVolume()), TGameData::ClampVolume(data->GetSeVolume()),
                    TGameData::ClampVolume(data->GetVoiceVolume())};
    }
    for (std::int32_t r = 0; r < kRows; ++r) {
        m_windows[static_cast<std::size_t>(r)] = TSprite::FromFile(kWindowNames[r], D3DPOOL_MANAGED, 0);
    }
    for (TSprite& knob : m_knobs) {
        knob = TSprite::FromFile("sprite.ptx/cursor00", D3DPOOL_MANAGED, 0);
    }
    m_miniMapText = std::make_unique<TText8>("MiniMapState", 64, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    WriteMiniMap();
    ApplyColors();
    StartSubScreen();
    // The window reads held buttons itself: its step runs the state alone.
    SetUpdate(&TSceneLoop::RunState);
}

TOptionLoop::~TOptionLoop() = default;

void TOptionLoop::WriteMiniMap()
{
    TFontHolder font(0, 12, "ＭＳ ゴシック", 400, 0, 0, 0, 0);
    m_miniMapText->Clear(false);
    m_miniMapText->DrawText(0, 0, m_miniMap != 0 ? "ON" : "OFF", &font, true);
}

void TOptionLoop::SelectRow(std::int32_t row)
{
    switch (row) {
    case kMiniMapRow: SetState(&TOptionLoop::MiniMapRow); break;
    case kMusicRow: SetState(&TOptionLoop::MusicRow); break;
    case kSeRow: SetState(&TOptionLoop::SeRow); break;
    default: SetState(&TOptionLoop::VoiceRow); break;
    }
}

std::uint32_t TOptionLoop::Open()
{
    m_windowY[0].Advance();
    for (std::size_t i = 1; i < kRows && m_windowY[i - 1].step > kOpenNext; ++i) {
        m_windowY[i].Advance();
    }
    if (m_windowY[kRows - 1].AtEnd()) {
        SetState(&TOptionLoop::MiniMapRow);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TOptionLoop::MiniMapRow()
{
    if (Pressed(kButtonLeft | kButtonRight) != 0) {
        m_miniMap = m_miniMap != 0 ? 0 : 1;
        WriteMiniMap();
        if (TGameData* data = TGameData::GetInstance()) {
            data->SetMiniMapState(m_miniMap);
        }
        PlaySe(kSoundListCursor);
    } else if (Pressed(kButtonUp) != 0) {
        SelectRow(kVoiceRow);
        PlaySe(kSoundCursor);
    } else if (Pressed(kButtonDown) != 0) {
        SelectRow(kMusicRow);
        PlaySe(kSoundCursor);
    } else if (Pressed(kButtonCancel) != 0) {
        SetState(&TOptionLoop::Close);
        PlaySe(kSoundCancel);
    }
    Highlight(kMiniMapRow);
    return LOOP_CONTINUE;
}

std::uint32_t TOptionLoop::MusicRow()
{
    SliderRow(kMusicRow);
    return LOOP_CONTINUE;
}

std::uint32_t TOptionLoop::SeRow()
{
    SliderRow(kSeRow);
    return LOOP_CONTINUE;
}

std::uint32_t TOptionLoop::VoiceRow()
{
    SliderRow(kVoiceRow);
    return LOOP_CONTINUE;
}

void TOptionLoop::SliderRow(std::int32_t row)
{
    const auto slider = static_cast<std::size_t>(row - kMusicRow);
    std::int32_t& level = m_levels[slider];
    const std::int32_t before = level;
    const std::uint32_t held = m_input != nullptr ? m_input->GetWord(0) : 0;
    if ((held & kButtonLeft) != 0) {
        level = std::max(level - 1, 0);
    } else if ((held & kButtonRight) != 0) {
        level = std::min(level + 1, TGameData::kFullVolume);
    } else if (Pressed(kButtonUp) != 0) {
        SelectRow(row - 1);
        PlaySe(kSoundCursor);
    } else if (Pressed(kButtonDown) != 0) {
        SelectRow((row + 1) % kRows);
        PlaySe(kSoundCursor);
    } else if (Pressed(kButtonCancel) != 0) {
        SetState(&TOptionLoop::Close);
        PlaySe(kSoundCancel);
    }
    if (level != before) {
        if (TGameData* data = TGameData::GetInstance()) {
            switch (row) {
            case kMusicRow: data->SetBgmVolume(level); break;
            case kSeRow: data->SetSeVolume(level); break;
            default: data->SetVoiceVolume(level); break;
            }
        }
        TGameData::ApplyVolume(kSliderBanks[slider], level);
    }
    Highlight(row);
}

std::uint32_t TOptionLoop::Close()
{
    m_windowY[0].Retreat();
    for (std::size_t i = 1; i < kRows && m_windowY[i - 1].step < kCloseNext; ++i) {
        m_windowY[i].Retreat();
    }
    return m_windowY[kRows - 1].AtStart() ? LOOP_END : LOOP_CONTINUE;
}

void TOptionLoop::Highlight(std::int32_t row)
{
    if (row == kMiniMapRow) {
        m_miniMapGrey.Retreat();
        m_miniMapAlpha.Retreat();
    } else {
        m_miniMapGrey.Advance();
        m_miniMapAlpha.Advance();
    }
    for (std::int32_t s = 0; s < kSliders; ++s) {
        TLinearRamp& light = m_sliderLight[static_cast<std::size_t>(s)];
        if (row == kMusicRow + s) {
            light.Retreat();
        } else {
            light.Advance();
        }
    }
    ApplyColors();
}

void TOptionLoop::ApplyColors()
{
    m_miniMapText->SetColor(GreyColor(m_miniMapGrey.value), -1);
    m_windows[0].SetColor(WindowColor(m_miniMapAlpha.value), -1);
    for (std::size_t s = 0; s < kSliders; ++s) {
        m_knobs[s].SetColor(GreyColor(m_sliderLight[s].value), -1);
        m_windows[s + 1].SetColor(WindowColor(m_sliderLight[s].value), -1);
    }
}

void TOptionLoop::DrawWindows()
{
    for (std::size_t i = 0; i < kRows; ++i) {
        m_windows[i].Draw(static_cast<float>(m_windowX[i].value), static_cast<float>(m_windowY[i].value), false);
    }
    for (std::size_t s = 0; s < kSliders; ++s) {
        const std::size_t w = s + 1;
        m_knobs[s].Draw(static_cast<float>(m_windowX[w].value + kKnobX + m_levels[s]),
                        static_cast<float>(m_windowY[w].value + kKnobY), false);
    }
    TSprite::SetRenderMode(3);
    m_miniMapText->Draw(static_cast<float>(m_windowX[0].value + kWordX), static_cast<float>(m_windowY[0].value + kWordY),
                        false);
}
