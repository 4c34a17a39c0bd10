// The scene that hosts play on a map: the 3D world's root frame, the view, the effect manager, the
// field HUD, the player and the current area, and a current phase (fade-in, map change) that runs
// instead of the area while it lasts. Made at a save point or at a map and position.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/FieldHud.h"
#include "MainCode/Map/TFieldPhase.h"
#include "MainCode/TLoop.h"
#include "MainCode/TSceneViewState.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TView.h"
#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;
class TEffectManager;
class TMapData;
class TMinimap;
class TPlayerCharacter;
struct TSvpRecord;

// An area and whether its holder owns it.
struct TAreaHolder {
    bool owns = false;
    TAreaBase* area = nullptr;
};

class TFieldLoop : public TSceneLoop {
    friend struct TMapProbe;
public:
    // A map that cannot be built throws my_error: broken data ends the game at its entry function.
    static TFieldLoop* CreateAtSavePoint(TGameWnd* app, std::uint32_t savePointId);
    static TFieldLoop* CreateAtPosition(TGameWnd* app, const std::string& mapName, const D3DXVECTOR3& position,
                                        const D3DXVECTOR3& direction, const D3DXVECTOR3& cameraPosition);
    ~TFieldLoop() override;

    // Sets the map's fog and projection again: scenes built while this one waited (events, the
    // fields they lead to) have set their own on the shared device.
    void Resume() override;

    TView* GetView() { return &m_view; }
    TFrame* GetSceneFrame() const { return m_sceneFrame.Get(); }
    TEffectManager* GetEffectManager() const { return m_effectManager.Get(); }
    TFieldHud& GetHud() { return m_hud; }
    TLetterFont* GetLetterFont() const { return m_hud.GetLetterFont(); }
    TStatusPanel* GetStatusPanel() const { return m_hud.GetStatusPanel(); }
    TItemRing* GetItemRing() const { return m_hud.GetItemRing(); }
    TSkillGauge* GetSkillGauge() const { return m_hud.GetSkillGauge(); }
    TGetRender* GetGetRender() const { return m_hud.GetGetRender(); }
    TMinimap* GetMinimap() const { return m_minimap.Get(); }
    TPlayerCharacter* GetPlayer() const { return m_player.Get(); }
    TAreaBase* GetArea() const { return m_area; }

    // The map's fog and projection, kept for every resume and set now.
    void SetViewState(const TSceneViewState& state);
    void SetPlayer(const TRefPtr<TPlayerCharacter>& player);
    void SetPhase(const TRefPtr<TFieldPhase>& phase);
    // Replaces the area (and the player) by one built from the map data; throws my_error as the
    // creators do.
    void ChangeMap(TMapData& mapData);
    // Replaces the player by another party member in the same pose; false (nothing changed) when
    // that member has no player class.
    bool ChangePlayer(std::uint32_t index);
    void RefreshHud();
    void SkipNextDraw() { m_skipDraw = true; }

    // The world and the area's overlays, one frame (the area mode's draw).
    void DrawArea();
    // Clear, world, draw lists; between BeginScene and EndScene. False when nothing can be drawn.
    bool BeginWorld(std::uint32_t clearColour);
    void EndWorld();

private:
    TFieldLoop(TGameWnd* app, const TSvpRecord* savePoint, const std::string& mapName, const D3DXVECTOR3* position,
               const D3DXVECTOR3* direction, const D3DXVECTOR3* cameraPosition);
    void TakeArea(const TAreaHolder& holder);
    std::uint32_t PhaseStep();
    void PhaseDraw();
    std::uint32_t AreaStep();

    TView m_view;
    TRefPtr<TFrame> m_sceneFrame;
    TRefPtr<TEffectManager> m_effectManager;
    TFieldHud m_hud;
    TRefPtr<TFieldPhase> m_phase;
    TRefPtr<TMinimap> m_minimap;
    TRefPtr<TPlayerCharacter> m_player;
    TAreaHolder m_areaHolder;
    TAreaBase* m_area = nullptr;
    bool m_skipDraw = false;
    TSceneViewHolder m_viewState;
};
