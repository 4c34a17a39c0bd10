#include "MainCode/Menu/TMenuSceneLoop.h"

#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TText8.h"
#include "dx/dx8/3d/TD3D8.h"

namespace {

constexpr float kScreenWidth = 640.0F;
constexpr float kScreenHeight = 480.0F;

DWORD Alpha(float v)
{
    return static_cast<DWORD>(static_cast<std::int32_t>(v * 255.0F)) << 24;
}

}  // namespace

TMenuSceneLoop::TMenuSceneLoop(TGameWnd* app) : TSceneLoop(app)
{
    m_dimOverlay.SetColor(0, -1);
}

TMenuSceneLoop::~TMenuSceneLoop() = default;

DWORD TMenuSceneLoop::DimColor(float v)
{
    return Alpha(v);
}

DWORD TMenuSceneLoop::WindowColor(float v)
{
    return Alpha(v) | 0xFFFFFF;
}

DWORD TMenuSceneLoop::GreyColor(float v)
{
    const auto g = static_cast<DWORD>(static_cast<std::int32_t>(v * 255.0F)) & 0xFF;
    return 0xFF000000u | g << 16 | g << 8 | g;
}

std::unique_ptr<TText8> TMenuSceneLoop::MakeMenuText(const std::string& name, UINT width)
{
    return std::make_unique<TText8>(name, width, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
}

void TMenuSceneLoop::WriteMenuText(TText8& text, const std::string& line)
{
    WriteMenuText(text, 0, line);
}

void TMenuSceneLoop::WriteMenuText(TText8& text, std::int32_t x, const std::string& line)
{
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    text.Clear(false);
    text.DrawText(x, 0, line, &font, true);
}

void TMenuSceneLoop::CaptureBackground(const std::string& className)
{
    m_background = m_app->CaptureScreen("sT" + className, nullptr);
    m_dimOverlay.SetColor(0, -1);
}

void TMenuSceneLoop::Recapture(const std::string& className, TLoop* scene)
{
    m_background = m_app->CaptureScreen("sT" + className, scene);
}

void TMenuSceneLoop::SetDim(float level, std::int32_t steps)
{
    m_dim.Set(0.0F, level, steps, 0);
}

void TMenuSceneLoop::PlaySe(std::uint32_t id)
{
    if (m_sounds == nullptr && m_owner != nullptr) {
        m_owner->PlaySe(id);  // a sub-screen plays through its owner's list
        return;
    }
    TSceneLoop::PlaySe(id);
}

void TMenuSceneLoop::Start(void (TMenuSceneLoop::*draw)())
{
    SetUpdate(&TMenuSceneLoop::StepFrame);
    SetDraw(draw);
}

std::uint32_t TMenuSceneLoop::StepFrame()
{
    RunKeyRepeat();
    return RunState();
}

void TMenuSceneLoop::RunKeyRepeat()
{
    if (++m_repeatCounter >= kRepeatEvery) {
        m_repeatCounter = 0;
        m_repeatMask = 0;
        if (m_input != nullptr) {
            m_input->GetHeldMask(&m_repeatMask, kRepeatPolls);
        }
        return;
    }
    m_repeatMask = 0;
}

std::uint16_t TMenuSceneLoop::Moves(std::uint16_t mask) const
{
    return static_cast<std::uint16_t>(Pressed(mask) | (m_repeatMask & mask));
}

bool TMenuSceneLoop::FadeDimIn()
{
    const bool moved = m_dim.Advance();
    m_dimOverlay.SetColor(DimColor(m_dim.value), -1);
    return moved;
}

bool TMenuSceneLoop::FadeDimOut()
{
    const bool moved = m_dim.Retreat();
    m_dimOverlay.SetColor(DimColor(m_dim.value), -1);
    return moved;
}

void TMenuSceneLoop::DrawBackground()
{
    TSprite::SetRenderMode(0);
    m_background.Draw(0.0F, 0.0F, kScreenWidth, kScreenHeight, false);
    TSprite::SetRenderMode(1);
    m_dimOverlay.DrawRect(0.0F, 0.0F, kScreenWidth, kScreenHeight, false);
}

bool TMenuSceneLoop::BeginDraw()
{
    return m_d3d != nullptr && m_d3d->CheckLostDevice() && SUCCEEDED(m_d3d->BeginScene());
}

void TMenuSceneLoop::EndDraw()
{
    m_d3d->EndScene();
    m_d3d->Present();
}

void TMenuSceneLoop::DrawStandAlone()
{
    if (!BeginDraw()) {
        return;
    }
    DrawBackground();
    DrawWindows();
    EndDraw();
}

void TMenuSceneLoop::DrawSubScreen()
{
    if (!BeginDraw()) {
        return;
    }
    if (m_owner != nullptr) {
        m_owner->DrawBackground();
    }
    TSprite::SetRenderMode(1);
    DrawWindows();
    EndDraw();
}
