// The pause menu's status window: the played character's figures, written once as the window
// opens, beside its model turning slowly in a small 3D scene of its own. Decide or cancel closes it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TView.h"

class TMenuTopLoop;
class TPlayerCharacter;
class TText8;

class TStatusLoop : public TMenuSceneLoop {
public:
    static constexpr std::size_t kTexts = 17;
    // The texts in the order of their keys: level, experience, money, HP, MP, attack, defence,
    // STR, VIT, INT, MEN, then the six resistances fire, water, wind, soil, light, dark.
    static constexpr const char* kKeys[kTexts] = {"tLv",  "tEXP",  "tGold",  "tHP",   "tMP",   "tATK",
                                                  "tDIF", "tSTR",  "tVIT",   "tINT",  "tMEN",  "tFire",
                                                  "tWater", "tWind", "tSoil", "tLight", "tDark"};

    TStatusLoop(TGameWnd* app, TMenuTopLoop* menu);
    ~TStatusLoop() override;

    // The figures of the character with that much money, as the window writes them.
    static std::array<std::string, kTexts> FormatFigures(TPlayerCharacter& player, std::uint32_t money);

private:
    friend struct TMenuProbe;

    std::uint32_t Opening();
    std::uint32_t Main();
    std::uint32_t Closing();
    // The model's morph on a step, the view from the camera again.
    void StepModel();
    void PlaceCamera();
    void DrawStatus();

    TMenuTopLoop* m_menu;
    TIntRamp m_windowX;
    TIntRamp m_windowY;
    TLinearRamp m_cameraY;
    TView m_view;
    TRefPtr<TFrame> m_root;
    TRefPtr<TFrame> m_char;
    TRefPtr<TFrame> m_camera;
    TMesh8* m_model = nullptr;
    TSprite m_window;
    std::array<std::unique_ptr<TText8>, kTexts> m_texts;
};
