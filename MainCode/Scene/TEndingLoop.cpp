#include "MainCode/Scene/TEndingLoop.h"

#include <cstdio>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundList.h"

namespace {

constexpr std::uint32_t kOpeningSteps = 60;
constexpr std::uint32_t kPageHold = 200;
constexpr std::uint32_t kLogoHold = 200;
constexpr std::int32_t kSlideSteps = 20;
constexpr std::int32_t kLogoSteps = 100;
constexpr float kPageSize = 256.0F;
constexpr float kLogoX = 192.0F;
constexpr float kLogoY = 112.0F;

std::pair<std::string, std::string> PageKeys(std::uint32_t page)
{
    char number[8];
    std::snprintf(number, sizeof number, "%02u", static_cast<unsigned>(page));
    return {std::string("ending.ptx/img") + number, std::string("ending.ptx/s_") + number};
}

DWORD White(float alpha)
{
    return (static_cast<DWORD>(static_cast<std::int32_t>(alpha * 255.0F)) << 24) | 0x00FFFFFF;
}

}  // namespace

TEndingLoop::TEndingLoop(TGameWnd* app)
    : TSceneLoop(app),
      m_logo(TSprite::FromFile("title.ptx/vrrw_logo", D3DPOOL_MANAGED, 0))
{
    SetState(&TEndingLoop::StateOpening);
    m_logoRamp.Set(0.0F, 1.0F, kLogoSteps, 0);
    m_pictureX.Set(-256, 32, kSlideSteps, 0);
    m_pictureY.Set(32, -256, kSlideSteps, 0);
    m_pictureAlpha.Set(1.0F, 0.0F, kSlideSteps, 0);
    m_textX.Set(640, 352, kSlideSteps, 0);
    m_textY.Set(192, 480, kSlideSteps, 0);
    m_textAlpha.Set(1.0F, 0.0F, kSlideSteps, 0);
    m_musicList = MakeSoundList(kMusicBank, "subset/event_bgm.tbl");
    m_logo.SetColor(0x00FFFFFF, -1);
    for (std::uint32_t page = 1; page < kPages; ++page) {
        m_pages.push_back(PageKeys(page));
    }
    LoadPage(PageKeys(0));
    if (TSoundBank* bank = m_musicList->GetBank()) {
        bank->Play(kMusic);
    }
    SetDraw(&TEndingLoop::DrawEnding);
}

TEndingLoop::~TEndingLoop() = default;

void TEndingLoop::LoadPage(const std::pair<std::string, std::string>& page)
{
    // Fresh sprites come in opaque, whatever the last page faded to.
    m_picture = TSprite::FromFile(page.first, D3DPOOL_MANAGED, 0);
    m_text = TSprite::FromFile(page.second, D3DPOOL_MANAGED, 0);
}

void TEndingLoop::ShowLogo()
{
    m_logo.SetColor(White(m_logoRamp.value), -1);
}

std::uint32_t TEndingLoop::StateOpening()
{
    if (++m_counter == kOpeningSteps) {
        m_counter = 0;
        SetState(&TEndingLoop::StateSlideIn);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEndingLoop::StateSlideIn()
{
    m_pictureX.Step();
    if (!m_textX.Step()) {
        SetState(&TEndingLoop::StateHold);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEndingLoop::StateHold()
{
    if (++m_counter > kPageHold) {
        m_counter = 0;
        SetState(&TEndingLoop::StateSlideOut);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEndingLoop::StateSlideOut()
{
    m_picture.SetColor(White(m_pictureAlpha.value), -1);
    m_text.SetColor(White(m_textAlpha.value), -1);
    m_pictureAlpha.Step();
    m_textAlpha.Step();
    m_pictureY.Step();
    if (m_textY.Step()) {
        return LOOP_CONTINUE;
    }
    // Every ramp back to its start for the next page.
    for (TIntRamp* r : {&m_pictureX, &m_pictureY, &m_textX, &m_textY}) {
        r->Set(r->from, r->to, r->steps, 0);
    }
    for (TFloatRamp* r : {&m_pictureAlpha, &m_textAlpha}) {
        r->Set(r->from, r->to, r->steps, 0);
    }
    if (m_pages.empty()) {
        m_logoShown = true;
        SetState(&TEndingLoop::StateLogoIn);
        return LOOP_CONTINUE;
    }
    LoadPage(m_pages.front());
    m_pages.pop_front();
    SetState(&TEndingLoop::StateSlideIn);
    return LOOP_CONTINUE;
}

std::uint32_t TEndingLoop::StateLogoIn()
{
    ShowLogo();
    if (!m_logoRamp.Step()) {
        m_counter = 0;
        SetState(&TEndingLoop::StateLogoHold);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEndingLoop::StateLogoHold()
{
    if (++m_counter == kLogoHold) {
        SetState(&TEndingLoop::StateLogoOut);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEndingLoop::StateLogoOut()
{
    ShowLogo();
    if (!m_logoRamp.Retreat()) {
        SetState(&TEndingLoop::StateFinish);
    }
    return LOOP_CONTINUE;
}

// The game is cleared: it is saved at the ending's save point, from the save screen.
std::uint32_t TEndingLoop::StateFinish()
{
    if (TGameData* data = TGameData::GetInstance()) {
        data->SetSavePoint(kSavePoint);
        data->SetFlag(kClearedFlag, 1);
    }
    if (TSoundBank* bank = m_musicList->GetBank()) {
        bank->Load(kMusic);
    }
    m_app->ReplaceScene(TChangeLoop::ToSave(m_app, kMusic));
    return LOOP_END;
}

void TEndingLoop::DrawEnding()
{
    if (!m_d3d->CheckLostDevice()) {
        return;
    }
    m_d3d->Clear(0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    if (FAILED(m_d3d->BeginScene())) {
        return;
    }
    TSprite::SetRenderMode(1);
    if (m_logoShown) {
        m_logo.Draw(kLogoX, kLogoY, false);
    } else {
        m_picture.Draw(static_cast<float>(m_pictureX.value), static_cast<float>(m_pictureY.value), kPageSize,
                       kPageSize, false);
        m_text.Draw(static_cast<float>(m_textX.value), static_cast<float>(m_textY.value), kPageSize, kPageSize,
                    false);
    }
    m_d3d->EndScene();
    m_d3d->Present();
}
