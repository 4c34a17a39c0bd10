// Field phases: short full-screen sequences the field runs instead of its area. The fade-in opens
// the field; the map change fades the frozen world to black or white, swaps area and music and
// fades back in.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Map/TMapData.h"
#include "MainCode/TUiQuad.h"
#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8math.h"

class TD3D8;
class TFieldLoop;
class TFrame;
class TSoundFader;
class TSoundBank;
class TView;

// Where a map change leads: the map's script name and the start there.
struct TFieldDestination {
    std::string mapName;
    D3DXVECTOR3 position{0.0F, 0.0F, 0.0F};
    D3DXVECTOR3 direction{0.0F, 0.0F, -1.0F};
    D3DXVECTOR3 cameraPosition{0.0F, 0.0F, 0.0F};
};

class TFieldPhase {
public:
    static constexpr std::uint32_t kEnded = 1;

    TFieldPhase() = default;
    TFieldPhase(const TFieldPhase&) = delete;
    TFieldPhase& operator=(const TFieldPhase&) = delete;
    virtual ~TFieldPhase() = default;

    // 1 when the phase has ended, 0 to go on.
    virtual std::uint32_t Update() { return kEnded; }
    virtual void Draw() {}
};

class TFadeInPhase : public TFieldPhase {
    friend struct TMapProbe;
public:
    static constexpr std::int32_t kFrames = 60;

    TFadeInPhase(TFieldLoop* field, std::int32_t colourMode, std::int32_t direction);
    std::uint32_t Update() override;
    void Draw() override;

private:
    TUiQuad m_quad;
    std::uint32_t m_clearColour;
    TFieldLoop* m_field;
};

class TMapChangePhase : public TFieldPhase {
    friend struct TMapProbe;
public:
    static constexpr std::int32_t kFadeFrames = 30;
    static constexpr std::int32_t kMusicFadeSteps = 50;

    // mode 1 fades through white, any other through black. Reads the destination map at once.
    TMapChangePhase(TFieldLoop* field, const TFieldDestination& destination, std::uint32_t mode);
    ~TMapChangePhase() override;
    std::uint32_t Update() override;
    void Draw() override;

    bool IsFadingIn() const { return m_state == &TMapChangePhase::FadeIn; }

private:
    using State = std::uint32_t (TMapChangePhase::*)();
    std::uint32_t FadeOut();
    std::uint32_t FadeIn();
    bool FadeOutDone();
    bool FadeInDone();
    // The phase's own use of a piece back to the bank, once.
    void GiveBackMusic(bool& held, std::int32_t id);

    TUiQuad m_quad;
    TFieldDestination m_destination;
    std::uint32_t m_mode;
    std::int32_t m_musicId;
    std::int32_t m_newMusicId = -1;
    TRefPtr<TSoundFader> m_fadeOut;
    TRefPtr<TSoundFader> m_fadeIn;
    std::uint32_t m_oldClearColour;
    std::uint32_t m_newClearColour;
    TMapData m_mapData;
    TFieldLoop* m_field;
    TFrame* m_sceneFrame;
    TView* m_view;
    TD3D8* m_d3d;
    State m_state;
    // The phase's own uses of the old piece while it fades out (the old area gives its use back
    // when the map changes under the fade) and of the new piece while it fades in (the new area
    // takes its own); each goes back once, at the fade's end or with the phase.
    TSoundBank* m_musicBank = nullptr;
    bool m_holdsOldMusic = false;
    bool m_holdsNewMusic = false;
};

// Mode 0 fades through black, 1 through white, over 30 frames each way. Any other mode is logged
// and fades through black. The phase is for that field; give it to the field's SetPhase.
TRefPtr<TFieldPhase> CreateFieldPhase(TFieldLoop* field, const TFieldDestination& destination, std::uint32_t mode);
