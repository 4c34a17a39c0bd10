// A look into the map for tests: attack hits and the attack table, collision meshes, the mesh
// areas, camera, sky and minimap, what a map file held, the map objects, the area, the field and
// its phases.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackHit.h"
#include "MainCode/Map/TAttackHitHeld.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TAttackTableFile.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TCollisionMesh.h"
#include "MainCode/Map/TCollisionWorld.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TFieldPhase.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TMapItem.h"
#include "MainCode/Map/TMapObject.h"
#include "MainCode/Map/TMapSavePoint.h"
#include "MainCode/Map/TMapScriptObject.h"
#include "MainCode/Map/TMapTrigger.h"
#include "MainCode/Map/TMeshAreaManager.h"
#include "MainCode/Map/TMeshHandle.h"
#include "MainCode/Map/TMinimap.h"
#include "MainCode/Map/TSky.h"
#include "MainCode/Map/TTownArea.h"

struct TMapProbe {
    // Attack hits.
    static TFrame* Frame(const TAttackHit& h) { return h.m_frame.Get(); }
    static TFrame* Parent(const TAttackHit& h) { return h.m_parent; }
    static std::int32_t Interval(const TAttackHit& h) { return h.m_interval; }
    static std::uint32_t CancelMask(const TAttackHit& h) { return h.m_cancelMask; }
    static float Radius(const TAttackHit& h) { return h.m_radius; }
    static const std::vector<TAttackHitEntry>& HitList(const TAttackHit& h) { return h.m_hitList; }
    static std::uint32_t HitsLeft(const TAttackHitHeld& h) { return h.m_hitsLeft; }
    static std::uint32_t Lifetime(const TAttackHitTimed& h) { return h.m_lifetime; }
    static std::uint32_t Lifetime(const TAttackHitTimedHeld& h) { return h.m_lifetime; }

    // The attack table and its file.
    static std::size_t AttackCount() { return TAttackTable::s_records.size(); }
    static bool HasAttack(std::uint32_t id) { return TAttackTable::s_records.count(id) != 0; }
    static std::uint8_t IsScrambled(const TAttackTableFile& f) { return f.m_scrambled; }
    static std::uint32_t RecordCount(const TAttackTableFile& f) { return f.m_recordCount; }
    static const std::vector<std::string>& Names(const TAttackTableFile& f) { return f.m_names; }
    static const std::vector<std::uint32_t>& Values(const TAttackTableFile& f) { return f.m_values; }

    // Collision.
    static std::uint16_t FaceCount(const TCollisionMesh& m) { return m.m_faceCount; }
    static std::uint32_t CellsX(const TGridCollisionMesh& m) { return m.m_cellsX; }
    static std::uint32_t CellsZ(const TGridCollisionMesh& m) { return m.m_cellsZ; }
    static std::uint32_t CellCount(const TGridCollisionMesh& m) { return m.m_cellCount; }
    static float CellWidth(const TGridCollisionMesh& m) { return m.m_cellWidth; }
    static float MaxX(const TGridCollisionMesh& m) { return m.m_maxX; }
    static float MaxZ(const TGridCollisionMesh& m) { return m.m_maxZ; }
    static const float* Bounds(const TBoundedCollisionMesh& m) { return m.m_bounds; }
    static std::size_t SolidCount(const TCollisionWorld& w) { return w.m_solids.size(); }

    // Mesh areas and handles.
    static TFrame* Root(const TMeshAreaManager& m) { return m.m_root.Get(); }
    static TFrame* SubRoot(const TMeshAreaManager& m) { return m.m_subRoot.Get(); }
    static void SetReferenceFrame(TMeshHandle& h, TFrame* frame) { h.m_referenceFrame = frame; }

    // Camera, sky and minimap.
    static TSky* Sky(const TCamera& c) { return c.m_sky; }
    static TFrame* SkyFrame(const TCamera& c) { return c.m_skyFrame.Get(); }
    static bool IsShaking(const TCamera& c) { return c.m_shakeIdle == 0; }
    static std::uint32_t FarCount(const TFollowCamera& c) { return c.m_farCount; }
    static float FadeStart(const TSky& s) { return s.m_fadeStart; }
    static float FadeEnd(const TSky& s) { return s.m_fadeEnd; }
    static float OffsetU(const TSky& s) { return s.m_offsetU; }
    static float OffsetV(const TSky& s) { return s.m_offsetV; }
    static void SetOffsets(TSky& s, float u, float v)
    {
        s.m_offsetU = u;
        s.m_offsetV = v;
    }
    static const TMesh8& WorkingMesh(const TSky& s) { return s.m_mesh; }
    static DWORD SkyShader() { return TSky::s_shader; }
    static float Heading(const TMinimap& m) { return m.m_heading; }
    static const TSprite& Picture(const TMinimap& m) { return m.m_picture; }

    // What a map file held.
    static float FollowDistance(const TMapData& d) { return d.m_followDistance; }
    static float FollowHeight(const TMapData& d) { return d.m_followHeight; }
    static std::uint32_t FollowValue(const TMapData& d) { return d.m_followValue; }
    static const std::string& ObjectSetName(const TMapData& d) { return d.m_objectSetName; }
    static const std::vector<TCameraKey>& CameraKeys(const TMapData& d) { return d.m_cameraKeys; }
    static const std::vector<TMeshPlacement>& CollisionPlacements(const TMapData& d) { return d.m_collisionPlacements; }
    static const std::vector<TMeshPlacement>& VisualPlacements(const TMapData& d) { return d.m_visualPlacements; }
    static const std::vector<TMapItemRecord>& Items(const TMapData& d) { return d.m_items; }
    static const std::vector<TMapPointObject>& PointObjects(const TMapData& d) { return d.m_pointObjects; }
    static const std::vector<TMapThreeVectorObject>& ThreeVectorObjects(const TMapData& d)
    {
        return d.m_threeVectorObjects;
    }
    static const std::vector<TMapPointValueObject>& PointValueObjects(const TMapData& d)
    {
        return d.m_pointValueObjects;
    }
    static const std::vector<TMapTwoVectorObject>& TwoVectorObjects(const TMapData& d) { return d.m_twoVectorObjects; }
    static const std::vector<TMapValueObject>& ValueObjectsA(const TMapData& d) { return d.m_valueObjectsA; }
    static const std::vector<TMapValueObject>& ValueObjectsB(const TMapData& d) { return d.m_valueObjectsB; }
    static const std::vector<TMapTriggerBoxRecord>& TriggerBoxes(const TMapData& d) { return d.m_triggerBoxes; }
    static const std::vector<TMapTriggerActionRecord>& TriggerActions(const TMapData& d)
    {
        return d.m_triggerActions;
    }
    static const std::vector<std::string>& VillagerNames(const TMapData& d) { return d.m_villagerNames; }

    // Map objects.
    static TAreaBase* Area(const TMapObject& o) { return o.m_area; }
    static TFrame* Frame(const TMapItem& i) { return i.m_itemFrame.Get(); }
    static TFrame* ShadowFrame(const TMapItem& i) { return i.m_shadowFrame.Get(); }
    static TMesh8* Mesh(const TMapItem& i) { return i.m_mesh; }
    static std::int32_t ItemId(const TMapItem& i) { return i.m_itemId; }
    static std::int32_t FlagIndex(const TMapItem& i) { return i.m_flagIndex; }
    static std::int32_t Money(const TMapItem& i) { return i.m_money; }
    static std::int32_t Lifetime(const TMapItem& i) { return i.m_lifetime; }
    static bool IsBobbing(const TMapItem& i) { return i.m_state == &TMapItem::BobUp || i.m_state == &TMapItem::BobDown; }
    static bool IsFading(const TMapItem& i) { return i.m_state == &TMapItem::Rise || i.m_state == &TMapItem::Expire; }
    static TFrame* Frame(const TMapSavePoint& s) { return s.m_frame.Get(); }
    static const std::string& ScriptKey(const TMapScriptObject& o) { return o.m_scriptKey; }
    static const std::string& ScriptKey(const TMapEnemyWatch& o) { return o.m_scriptKey; }
    static const std::string& ScriptKey(const TMapDeathWatch& o) { return o.m_scriptKey; }
    static std::int32_t Counter(const TMapScriptFacingBox& o) { return o.m_box.counter; }
    static const TFieldDestination& Destination(const TMapChangeObject& o) { return o.m_destination; }
    static std::int32_t Counter(const TMapTriggerBox& o) { return o.m_box.counter; }
    static const D3DXVECTOR3& Centre(const TMapTriggerBox& o) { return o.m_box.centre; }
    static float HalfRadius(const TMapTriggerAction& o) { return o.m_spot.halfRadius; }

    // The area.
    static TMeshAreaManager* MeshAreaManager(TAreaBase& a) { return &a.m_meshAreaManager; }
    static TFrame* CameraTarget(const TAreaBase& a) { return a.m_cameraTarget.Get(); }
    static std::uint32_t FogColour(const TAreaBase& a) { return a.m_fogColour; }
    static const std::list<TRefPtr<TMapObject>>& Objects(const TAreaBase& a) { return a.m_objects; }
    static const std::vector<TRefPtr<TVillager>>& Villagers(const TAreaBase& a) { return a.m_villagers; }
    static bool IsInScriptState(const TTownArea& t) { return t.m_stateUpdate == &TTownArea::ScriptUpdate; }

    // The field and its phases.
    static TFieldPhase* Phase(const TFieldLoop& f) { return f.m_phase.Get(); }
    static bool IsInPhase(const TFieldLoop& f) { return f.m_phase.Get() != nullptr; }
    static bool IsDrawSkipPending(const TFieldLoop& f) { return f.m_skipDraw; }
    static const TUiQuad& Quad(const TFadeInPhase& p) { return p.m_quad; }
    static const TUiQuad& Quad(const TMapChangePhase& p) { return p.m_quad; }
    static const TFieldDestination& Destination(const TMapChangePhase& p) { return p.m_destination; }
    static std::uint32_t Mode(const TMapChangePhase& p) { return p.m_mode; }
    static std::int32_t NewMusicId(const TMapChangePhase& p) { return p.m_newMusicId; }
    // The destination map as read, with the start it was given.
    static const TMapData& MapData(const TMapChangePhase& p) { return p.m_mapData; }
    static bool HasFadeOut(const TMapChangePhase& p) { return p.m_fadeOut.Get() != nullptr; }
    static bool HasFadeIn(const TMapChangePhase& p) { return p.m_fadeIn.Get() != nullptr; }
};
