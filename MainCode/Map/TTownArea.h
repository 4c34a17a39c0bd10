// The area of a town: villagers, shops and talk run as scripts, no enemies. Talking switches it into
// a script state that steps the scripts each frame until they end.
#pragma once

#include "MainCode/Map/TAreaBase.h"

class TMapEventModule;

class TTownArea : public TAreaBase {
    friend struct TMapProbe;
public:
    TTownArea(TMapData& mapData, TFieldLoop* field);
    ~TTownArea() override;

    bool Update() override { return (this->*m_stateUpdate)(); }
    void Draw() override { (this->*m_stateDraw)(); }
    void PreparePlayer() override;


private:
    using StateUpdate = bool (TTownArea::*)();
    using StateDraw = void (TTownArea::*)();

    bool PlayUpdate();
    void PlayDraw();
    bool ScriptUpdate();
    void ScriptDraw();
    // Player, villagers, movement, collision, shadows, camera and the rest: what both states run.
    bool StepWorld();
    void EnterScript();
    void LeaveScript();

    StateUpdate m_stateUpdate;
    StateDraw m_stateDraw;
    TMapEventModule* m_mapEvent = nullptr;
};
