// The live content of one map while the field runs: the player, the collision world, the camera and
// what the field lends it (scene frame, effect manager). The concrete areas add the per-step update.
#pragma once

#include <cstdint>

#include "MainCode/Map/TCollisionWorld.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

class TCamera;
class TEffectManager;
class TGameObject;

class TAreaBase {
public:
    // What the area borrows from the field scene.
    TAreaBase(TFrame* sceneFrame, TEffectManager* effectManager);
    TAreaBase(const TAreaBase&) = delete;
    TAreaBase& operator=(const TAreaBase&) = delete;
    virtual ~TAreaBase();

    // False ends the field scene.
    virtual bool Update() = 0;
    virtual void Draw() = 0;
    // Gives the player the look of this area's kind.
    virtual void PreparePlayer() = 0;
    virtual void SetPlayer(TGameObject* player) { m_player = player; }

    TFrame* GetSceneFrame() const { return m_sceneFrame; }
    TCollisionWorld* GetCollisionWorld() { return &m_collisionWorld; }
    TEffectManager* GetEffectManager() const { return m_effectManager; }
    TCamera* GetCamera() const { return m_camera; }
    TFrame* GetCameraTarget() const { return m_cameraTarget.Get(); }
    TGameObject* GetPlayer() const { return m_player; }
    // The map's music in the music bank; -1 none.
    std::int32_t GetMusicId() const { return m_musicId; }
    // The player when the id is its object id; null for any other id until the area has enemies.
    TGameObject* FindObject(std::uint32_t id) const;

protected:
    std::int32_t m_musicId = -1;
    std::uint32_t m_fogColour = 0xFFFFFFFF;
    std::uint32_t m_clearColour = 0xFFFFFFFF;
    TCamera* m_camera = nullptr;
    TRefPtr<TFrame> m_cameraTarget;
    TCollisionWorld m_collisionWorld;
    TGameObject* m_player = nullptr;
    TFrame* m_sceneFrame;
    TEffectManager* m_effectManager;
};
