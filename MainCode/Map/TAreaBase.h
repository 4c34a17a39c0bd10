// The live content of one map while the field runs: the player, the enemy registry, the villagers,
// the field objects, the collision world, the visible mesh cells, the camera and the map's music.
// The concrete areas add the per-step update and the overlays.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <vector>

#include "MainCode/Map/TCollisionWorld.h"
#include "MainCode/Map/TMeshAreaManager.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

class TCamera;
class TD3D8;
class TDSound8;
class TEffectManager;
class TEnemyFactory;
class TFieldLoop;
class TGameObject;
class TGameWnd;
class TMapData;
class TMapObject;
class TMinimap;
class TPlayerCharacter;
class TVillager;

// What the field lends its area; the area keeps the pointers and owns none of them.
struct TAreaLinks {
    TFieldLoop* field = nullptr;
    TPlayerCharacter* player = nullptr;
    TFrame* sceneFrame = nullptr;
    TEffectManager* effectManager = nullptr;
    TMinimap* minimap = nullptr;
    TGameWnd* app = nullptr;
};

class TAreaBase {
    friend struct TMapProbe;
public:
    // Field event codes an object update may answer; 10000 and above stop the object walk.
    static constexpr std::uint32_t kEventFirst = 10000;
    static constexpr std::uint32_t kEventPhaseSet = 10001;
    static constexpr std::uint32_t kEventGameOver = 10002;
    static constexpr std::uint32_t kEventConversation = 10003;
    static constexpr std::uint32_t kEventStory = 10004;
    static constexpr std::uint32_t kEventTitle = 10005;

    // The field's player, scene root, effect manager, minimap and application.
    explicit TAreaBase(TFieldLoop* field);
    explicit TAreaBase(const TAreaLinks& links);
    TAreaBase(const TAreaBase&) = delete;
    TAreaBase& operator=(const TAreaBase&) = delete;
    virtual ~TAreaBase();

    // False ends the field scene.
    virtual bool Update() = 0;
    virtual void Draw() = 0;
    // Gives the player the look of this area's kind.
    virtual void PreparePlayer() = 0;
    // The field-object walk: the event class of the first code of 10000 or more, else 0.
    virtual std::uint32_t UpdateObjects();
    // True when one villager started a conversation in this pass.
    virtual bool UpdateVillagers();
    virtual void MoveVillagers();
    virtual void UpdateVillagerShadows();
    virtual void AddObject(const TRefPtr<TMapObject>& object);
    virtual void AddVillager(const TRefPtr<TVillager>& villager);
    virtual void SetPlayer(TPlayerCharacter* player);

    // 1 for 10001 (a phase was set), 2 for 10002, 10004 and 10005 (the field ends), 3 for 10003
    // (a conversation), 0 for anything else.
    static std::uint32_t MapEventCode(std::uint32_t code);

    // Pushes the pause menu and skips the field's next draw.
    void OpenPauseMenu();

    TFieldLoop* GetFieldLoop() const { return m_field; }
    TFrame* GetSceneFrame() const { return m_sceneFrame; }
    TCollisionWorld* GetCollisionWorld() { return &m_collisionWorld; }
    TEffectManager* GetEffectManager() const { return m_effectManager; }
    TCamera* GetCamera() const { return m_camera.Get(); }
    TPlayerCharacter* GetPlayer() const { return m_player; }
    TEnemyFactory* GetEnemies() const { return m_enemies; }
    TGameWnd* GetApp() const { return m_app; }
    std::int32_t GetMusicId() const { return m_musicId; }
    std::uint32_t GetClearColour() const { return m_clearColour; }
    bool IsScriptActive() const { return m_scriptActive != 0; }
    TVillager* GetTalkingVillager() const { return m_talkingVillager.Get(); }
    // The player when the id is its object id, else the enemy the registry holds under it, else the
    // object registered under it; null for any other id.
    TGameObject* FindObject(std::uint32_t id) const;
    // Objects other than the player that effects and shots find by id; the area only points at them.
    void RegisterObject(TGameObject* object);
    void UnregisterObject(const TGameObject* object);
    // The map's enemy factory registers itself while it lives; null on a map without enemies.
    TEnemyFactory* GetEnemyFactory() const { return m_enemies; }
    void SetEnemyFactory(TEnemyFactory* factory) { m_enemies = factory; }

protected:
    // The map's projection, fog, camera, sky, meshes, collision, start, enemies, objects,
    // villagers, music and name notice; the concrete areas call it from their constructors.
    void LoadMap(TMapData& mapData);
    // Separation, ground and solids, then the player's shadow.
    void ResolveCollisions();
    // Camera target, camera, mesh cells, effects and minimap: the end of every area step.
    void FollowPlayer();
    void PlacePlayer(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, const D3DXVECTOR3& camera);

    std::int32_t m_musicId = -1;
    std::uint32_t m_fogColour = 0xFFFFFFFF;
    std::uint32_t m_clearColour = 0xFFFFFFFF;
    TRefPtr<TCamera> m_camera;
    TRefPtr<TFrame> m_cameraTarget;
    TMeshAreaManager m_meshAreaManager;
    TCollisionWorld m_collisionWorld;
    std::list<TRefPtr<TMapObject>> m_objects;
    TRefPtr<TEnemyFactory> m_enemyRegistry;
    TEnemyFactory* m_enemies = nullptr;
    std::vector<TRefPtr<TVillager>> m_villagers;
    TRefPtr<TVillager> m_talkingVillager;
    std::uint8_t m_scriptActive = 0;
    TPlayerCharacter* m_player = nullptr;
    TFrame* m_sceneFrame;
    TEffectManager* m_effectManager;
    TMinimap* m_minimap = nullptr;
    TGameWnd* m_app = nullptr;
    TD3D8* m_d3d = nullptr;
    TDSound8* m_sound = nullptr;
    TFieldLoop* m_field = nullptr;
    // Objects that effects and shots find by id (tests, objects outside the enemy registry).
    std::map<std::uint32_t, TGameObject*> m_registered;
};
