// The ending: twelve pages of a picture and a staff-roll image slide in, stay and slide out to the
// ending music, then the maker's logo fades in and out. The game is then marked as cleared, its save
// point set, and the save screen opened through the scene-change hub. It reads no input.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "MainCode/TLoop.h"
#include "TCommon/TLinearRamp.h"
#include "dx/dx8/3d/TSprite.h"

class TSoundList;

class TEndingLoop : public TSceneLoop {
public:
    static constexpr std::uint32_t kMusic = 11;
    static constexpr std::int32_t kSavePoint = 11;
    static constexpr std::uint32_t kClearedFlag = 1021;
    static constexpr std::uint32_t kPages = 12;

    explicit TEndingLoop(TGameWnd* app);
    ~TEndingLoop() override;

private:
    std::uint32_t StateOpening();
    std::uint32_t StateSlideIn();
    std::uint32_t StateHold();
    std::uint32_t StateSlideOut();
    std::uint32_t StateLogoIn();
    std::uint32_t StateLogoHold();
    std::uint32_t StateLogoOut();
    std::uint32_t StateFinish();
    void DrawEnding();

    void LoadPage(const std::pair<std::string, std::string>& page);
    void ShowLogo();

    TSprite m_logo;
    TFloatRamp m_logoRamp;
    TSprite m_picture;
    TSprite m_text;
    TIntRamp m_pictureX;
    TIntRamp m_pictureY;
    TFloatRamp m_pictureAlpha;
    TIntRamp m_textX;
    TIntRamp m_textY;
    TFloatRamp m_textAlpha;
    std::uint32_t m_counter = 0;
    std::deque<std::pair<std::string, std::string>> m_pages;
    std::unique_ptr<TSoundList> m_musicList;
    bool m_logoShown = false;
};
