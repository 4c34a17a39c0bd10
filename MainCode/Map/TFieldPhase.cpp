#include "MainCode/Map/TFieldPhase.h"

#include <cstdio>

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TStreamSound.h"

namespace {

// The world as it stands, then the quad over it.
void DrawWorldAndQuad(TFieldLoop* field, std::uint32_t clearColour, TUiQuad& quad)
{
    if (!field->BeginWorld(clearColour)) {
        return;
    }
    TSprite::SetRenderMode(1);
    quad.Draw(0.0F, 0.0F, 640.0F, 480.0F);
    field->EndWorld();
}

TSoundBank* MusicBank(TFieldLoop* field)
{
    TDSound8* sound = field->GetApp() != nullptr ? field->GetApp()->GetSound() : nullptr;
    return sound != nullptr ? sound->GetBank(2) : nullptr;
}

}  // namespace

TFadeInPhase::TFadeInPhase(TFieldLoop* field, std::int32_t colourMode, std::int32_t direction)
    : m_quad(kFrames, colourMode, direction), m_clearColour(field->GetArea()->GetClearColour()), m_field(field)
{
}

std::uint32_t TFadeInPhase::Update()
{
    return m_quad.StepForward() ? 0 : kEnded;
}

void TFadeInPhase::Draw()
{
    DrawWorldAndQuad(m_field, m_clearColour, m_quad);
}

TMapChangePhase::TMapChangePhase(TFieldLoop* field, const TFieldDestination& destination, std::uint32_t mode)
    : m_quad(10, TUiQuad::kBlack, TUiQuad::kCover),
      m_destination(destination),
      m_mode(mode == 1 ? 1 : 0),
      m_musicId(field->GetArea()->GetMusicId()),
      m_oldClearColour(field->GetArea()->GetClearColour()),
      m_mapData(destination.mapName, &destination.position.x, &destination.direction.x,
                &destination.cameraPosition.x),
      m_field(field),
      m_sceneFrame(field->GetSceneFrame()),
      m_view(field->GetView()),
      m_d3d(field->GetApp() != nullptr ? field->GetApp()->GetD3D() : nullptr),
      m_state(&TMapChangePhase::FadeOut)
{
    m_newClearColour = m_mapData.GetFogColour();
    TSoundBank* music = MusicBank(field);
    m_musicBank = music;
    if (m_musicId != -1 && music != nullptr) {
        TDSound8* sound = field->GetApp()->GetSound();
        m_newMusicId = music->FindId(m_mapData.GetMusicName());
        if (m_newMusicId == m_musicId) {
            // The same piece plays on unbroken.
            m_mapData.SetKeepMusic(true);
        } else {
            m_fadeOut = sound->CreateFader(music->Get(static_cast<std::uint32_t>(m_musicId)), false, 1.0F,
                                           kMusicFadeSteps);
            music->Load(static_cast<std::uint32_t>(m_musicId));
            m_holdsOldMusic = true;
            if (m_newMusicId != -1) {
                // The new piece starts silent and rises while the old one falls.
                const auto id = static_cast<std::uint32_t>(m_newMusicId);
                music->Load(id);
                m_holdsNewMusic = true;
                music->PlayLoop(id);
                TRefPtr<TStreamSound> next = music->Get(id);
                if (next.Get() != nullptr) {
                    next->SetVolume(music->GetMinVolume());
                }
                m_fadeIn = sound->CreateFader(next, true, 1.0F, kMusicFadeSteps);
                m_mapData.SetKeepMusic(true);
            }
        }
    }
    const float level = m_mode == 1 ? 1.0F : 0.0F;
    const float start[4] = {level, level, level, 0.0F};
    const float end[4] = {level, level, level, 1.0F};
    m_quad.Init(kFadeFrames, start, end, "");
}

TMapChangePhase::~TMapChangePhase()
{
    // Ended early (the field went mid-change): the uses still held go back.
    GiveBackMusic(m_holdsOldMusic, m_musicId);
    GiveBackMusic(m_holdsNewMusic, m_newMusicId);
}

void TMapChangePhase::GiveBackMusic(bool& held, std::int32_t id)
{
    if (held && m_musicBank != nullptr) {
        m_musicBank->Unload(static_cast<std::uint32_t>(id));
    }
    held = false;
}

bool TMapChangePhase::FadeOutDone()
{
    if (m_fadeOut.Get() == nullptr) {
        return true;
    }
    if (m_fadeOut->Step()) {
        return false;
    }
    m_fadeOut->Stop(true);
    m_fadeOut = TRefPtr<TSoundFader>();
    GiveBackMusic(m_holdsOldMusic, m_musicId);
    return true;
}

bool TMapChangePhase::FadeInDone()
{
    if (m_fadeIn.Get() != nullptr && m_fadeIn->Step()) {
        return false;
    }
    // Risen in full under the new area, which holds the piece from here on.
    if (IsFadingIn()) {
        GiveBackMusic(m_holdsNewMusic, m_newMusicId);
    }
    return true;
}

std::uint32_t TMapChangePhase::Update()
{
    return (this->*m_state)();
}

std::uint32_t TMapChangePhase::FadeOut()
{
    FadeOutDone();
    FadeInDone();
    if (!m_quad.StepForward()) {
        m_state = &TMapChangePhase::FadeIn;
        m_field->ChangeMap(m_mapData);
    }
    return 0;
}

std::uint32_t TMapChangePhase::FadeIn()
{
    const bool outDone = FadeOutDone();
    const bool inDone = FadeInDone();
    const bool clear = !m_quad.StepBack();
    return clear && outDone && inDone ? kEnded : 0;
}

void TMapChangePhase::Draw()
{
    DrawWorldAndQuad(m_field, IsFadingIn() ? m_newClearColour : m_oldClearColour, m_quad);
}

TRefPtr<TFieldPhase> CreateFieldPhase(TFieldLoop* field, const TFieldDestination& destination, std::uint32_t mode)
{
    if (mode > 1) {
        // An empty phase would switch to the new map never; fade through black instead.
        std::fprintf(stderr, "map change fade mode %u is neither 0 nor 1; fading through black\n", mode);
        mode = 0;
    }
    return TRefPtr<TFieldPhase>(new TMapChangePhase(field, destination, mode));
}
