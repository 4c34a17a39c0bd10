#include "MainCode/Menu/TStatusLoop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TText8.h"

namespace {

constexpr std::int32_t kSteps = 10;
constexpr float kCameraX = -0.9F;
constexpr float kCameraZ = -4.0F;
// One degree a step: a whole turn in six seconds.
constexpr float kTurn = 0.0174533F;
constexpr const char* kModelName = "StatusHero";

// Widths of the texts, and where each is drawn inside the window.
constexpr UINT kWidths[TStatusLoop::kTexts] = {64,  128, 128, 128, 128, 128, 128, 128, 128,
                                               128, 128, 64,  64,  64,  64,  64,  64};
constexpr std::int32_t kPlaces[TStatusLoop::kTexts][2] = {
    {78, 44},   {234, 44},  {242, 64},  {122, 102}, {122, 120}, {94, 170},  {94, 188},  {94, 206}, {94, 224},
    {94, 242},  {94, 260},  {226, 170}, {226, 188}, {226, 206}, {226, 224}, {226, 242}, {226, 260},
};

unsigned long U(std::uint32_t v)
{
    return v;
}

std::string Format(const char* format, unsigned long a, unsigned long b = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// A stat alone, or with its bonus; a bonus taken away is written with a minus and its size.
std::string Stat(std::int32_t base, std::int32_t bonus)
{
    if (bonus == 0) {
        return Format("%3lu", U(static_cast<std::uint32_t>(base)));
    }
    const auto size = static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(bonus)));
    return Format(bonus > 0 ? "%3lu + %3lu" : "%3lu - %3lu", U(static_cast<std::uint32_t>(base)), size);
}

std::string Percent(float rate)
{
    return Format("%3lu%%", U(static_cast<std::uint32_t>(rate * 100.0F)));
}

}  // namespace

TStatusLoop::TStatusLoop(TGameWnd* app, TMenuTopLoop* menu) : TMenuSceneLoop(app), m_menu(menu)
{
    SetState(&TStatusLoop::Opening);
    SetOwner(menu);
    m_windowX.Set(64, 64, kSteps, 0);
    m_windowY.Set(-320, 80, kSteps, 0);
    m_cameraY.Set(-1.0F, 0.6F, kSteps, 0);
    m_view.SetProjection(0.1F, 20.0F, 45.0F, static_cast<int>(m_d3d->GetBackBufferWidth()),
                         static_cast<int>(m_d3d->GetBackBufferHeight()));
    const D3DXMATRIX identity = IdentityMatrix();
    m_root = TRefPtr<TFrame>(new TFrame("Status", identity, nullptr));
    m_char = TRefPtr<TFrame>(new TFrame("Char", identity, m_root.Get()));
    m_camera = TRefPtr<TFrame>(new TFrame("Camera", identity, m_root.Get()));
    m_root->AddChild(m_char);
    m_root->AddChild(m_camera);
    TMesh8 model = LoadCurrentCharacterModel();
    model.SetName(kModelName);
    m_char->AddMesh(model);
    m_model = m_char->FindMesh(kModelName, false);
    m_model->SetMorph(0);
    m_window = TSprite::FromFile("sprite.ptx/window09", D3DPOOL_MANAGED, 0);

    TFieldLoop* field = menu != nullptr ? menu->GetField() : nullptr;
    TPlayerCharacter* player = field != nullptr ? field->GetPlayer() : nullptr;
    const TGameData* data = TGameData::GetInstance();
    std::array<std::string, kTexts> figures;
    if (player != nullptr) {
        figures = FormatFigures(*player, data != nullptr ? data->GetMoney() : 0);
    }
    for (std::size_t i = 0; i < kTexts; ++i) {
        m_texts[i] = MakeMenuText(kKeys[i], kWidths[i]);
        WriteMenuText(*m_texts[i], figures[i]);
    }

    // The camera is where the model stands: it keeps looking along +z, so the model stands to the
    // right of the figures.
    m_camera->LookAtFrame(m_root.Get(), m_char.Get(), TFrame::kLookAim);
    PlaceCamera();
    StartSubScreen();
    SetDraw(&TStatusLoop::DrawStatus);
}

TStatusLoop::~TStatusLoop() = default;

std::array<std::string, TStatusLoop::kTexts> TStatusLoop::FormatFigures(TPlayerCharacter& player, std::uint32_t money)
{
    std::array<std::string, kTexts> out;
    out[0] = Format("%2lu", U(player.GetLevel() + 1));
    // The experience gained within the level; a hero set below its level's floor has gained none
    // (read unsigned, the difference would wrap to a huge number).
    const std::int64_t gained = static_cast<std::int64_t>(player.GetExperience()) -
                                static_cast<std::int64_t>(player.GetNextLevelExp()) + 1000;
    out[1] = Format("%4lu/1000", U(static_cast<std::uint32_t>(std::max<std::int64_t>(gained, 0))));
    out[2] = Format("%8lu ベル", U(money));
    out[3] = Format("%4lu/%4lu", U(static_cast<std::uint32_t>(player.GetHp())),
                    U(static_cast<std::uint32_t>(player.GetMaxHp())));
    out[4] = Format("%4lu/%4lu", U(static_cast<std::uint32_t>(player.GetMp())),
                    U(static_cast<std::uint32_t>(player.GetMaxMp())));
    const std::int64_t attack = static_cast<std::int64_t>(player.GetStr()) + TWeponTable::Get(player.GetWeaponId()).Attack;
    out[5] = Format("%3lu", U(static_cast<std::uint32_t>(attack)));
    out[6] = Format("%3lu", U(static_cast<std::uint32_t>(player.GetVit())));
    const std::int32_t bonuses[4] = {player.GetStrBonus(), player.GetVitBonus(), player.GetIntBonus(),
                                     player.GetMenBonus()};
    for (std::uint32_t s = 0; s < 4; ++s) {
        out[7 + s] = Stat(player.GetBaseStat(s), bonuses[s]);
    }
    const float rates[6] = {player.GetElementRate1(), player.GetElementRate2(), player.GetElementRate3(),
                            player.GetElementRate4(), player.GetElementRate5(), player.GetElementRate6()};
    for (std::size_t e = 0; e < 6; ++e) {
        out[11 + e] = Percent(rates[e]);
    }
    return out;
}

void TStatusLoop::PlaceCamera()
{
    m_camera->SetPosition(D3DXVECTOR3(kCameraX, m_cameraY.value, kCameraZ));
    m_view.SetCamera(m_camera.Get());
}

void TStatusLoop::StepModel()
{
    m_model->StepMorph(true);
    m_view.SetCamera(m_camera.Get());
}

std::uint32_t TStatusLoop::Opening()
{
    m_cameraY.Advance();
    PlaceCamera();
    StepModel();
    m_windowY.Advance();
    if (m_windowY.AtEnd()) {
        SetState(&TStatusLoop::Main);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TStatusLoop::Main()
{
    m_char->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), kTurn, true);
    StepModel();
    if (Pressed(kButtonDecide | kButtonCancel) != 0) {
        PlaySe(kSoundCancel);
        SetState(&TStatusLoop::Closing);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TStatusLoop::Closing()
{
    if (m_windowY.AtStart()) {
        return LOOP_END;
    }
    m_cameraY.Retreat();
    PlaceCamera();
    StepModel();
    m_windowY.Retreat();
    return LOOP_CONTINUE;
}

void TStatusLoop::DrawStatus()
{
    if (m_d3d == nullptr || !m_d3d->CheckLostDevice()) {
        return;
    }
    m_d3d->Clear(0, D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    if (FAILED(m_d3d->BeginScene())) {
        return;
    }
    if (m_menu != nullptr) {
        m_menu->DrawBackground();
    }
    TSprite::SetRenderMode(1);
    const auto x = static_cast<float>(m_windowX.value);
    const auto y = static_cast<float>(m_windowY.value);
    m_window.Draw(x, y, false);
    TSprite::SetRenderMode(3);
    for (std::size_t i = 0; i < kTexts; ++i) {
        m_texts[i]->Draw(x + static_cast<float>(kPlaces[i][0]), y + static_cast<float>(kPlaces[i][1]), false);
    }
    const D3DXMATRIX identity = IdentityMatrix();
    m_root->Render(&m_view, &identity);
    TDrawList::FlushAll();
    m_d3d->EndScene();
    m_d3d->Present();
}
