// What a loaded map's data builds: its camera, placed meshes, solids, map objects and villagers.
#include <cstdio>
#include <cstring>

#include "MainCode/Character/TVillager.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TCollisionWorld.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TMapItem.h"
#include "MainCode/Map/TMapSavePoint.h"
#include "MainCode/Map/TMapScriptObject.h"
#include "MainCode/Map/TMapTrigger.h"
#include "MainCode/Map/TMeshAreaManager.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "platform/text/cp932.h"

namespace {

void MapLog(const std::string& line)
{
    std::fputs(platform::Cp932ToUtf8(line + "\n").c_str(), stderr);
}

// The message of a refused file names that file only; this names the file that asked for it.
template <typename Make>
auto Asked(const std::string& asker, Make make)
{
    try {
        return make();
    } catch (const my_error&) {
        MapLog(asker);
        throw;
    }
}

TMesh8 LoadPlaced(const TMeshPlacement& placement, const std::string& mapName)
{
    TMesh8 mesh = Asked("map " + mapName + ": a placement asks for the mesh \"" + placement.meshName + "\"",
                        [&] { return TMesh8::Load(TMapData::GetVisualDirectory() + placement.meshName); });
    mesh.Mirror(static_cast<std::int32_t>(placement.mirrorAxis));
    mesh.Transform(&placement.world);
    return mesh;
}

}  // namespace

TRefPtr<TCamera> TMapData::CreateCamera(TFrame* sceneFrame, TFrame* cameraTarget, TView* view) const
{
    switch (m_cameraMode) {
    case kCameraFollow:
        return TRefPtr<TCamera>(
            new TFollowCamera(sceneFrame, cameraTarget, view, m_followDistance, m_followValue, m_followHeight));
    case kCameraKeys:
        return TRefPtr<TCamera>(new TKeyCamera(sceneFrame, cameraTarget, view, m_cameraKeys));
    default:
        return TRefPtr<TCamera>();
    }
}

std::uint16_t TMapData::MaterialCodeOf(std::uint32_t materialIndex)
{
    // Index 7 and 8 are not in numeric order.
    static const std::uint16_t kCodes[kMaxMaterialIndex + 1] = {0,    0,    1100, 1200, 1300, 2000,
                                                                2100, 2300, 2200, 3000, 4000, 4100};
    return materialIndex <= kMaxMaterialIndex ? kCodes[materialIndex] : 0;
}

TRefPtr<TVertexShader> TMapData::CreateShader(std::uint32_t shaderKind)
{
    switch (shaderKind) {
    case 1:
    case 3:
        return TRefPtr<TVertexShader>(new TConstantColorShader());
    case 2:
        return TRefPtr<TVertexShader>(new TVertexColorShader());
    case 4:
        return TRefPtr<TVertexShader>(new TMorphConstantColorShader(kMorphDrawParameter));
    case 5:
    case 6:
        return TRefPtr<TVertexShader>(new TMorphVertexColorShader(kMorphDrawParameter));
    default:
        return TRefPtr<TVertexShader>();
    }
}

void TMapData::CreateVisualMeshes(TMeshAreaManager* manager) const
{
    for (const TMeshPlacement& placement : m_visualPlacements) {
        TMesh8 mesh = LoadPlaced(placement, m_mapName);
        if (placement.materialIndex > kMaxMaterialIndex) {
            MapLog("material index " + std::to_string(placement.materialIndex) + " past the table, materials kept : " +
                   m_mapName + " " + placement.meshName);
        } else if (placement.materialIndex != 0) {
            mesh.SetMaterialType(MaterialCodeOf(placement.materialIndex), TMesh8::kAllMaterials);
        }
        TRefPtr<TVertexShader> shader = CreateShader(placement.shaderKind);
        if (shader.Get() != nullptr) {
            mesh.SetVertexShader(shader);
        }
        manager->AddObjectMesh(mesh);
    }
}

void TMapData::CreateCollisionMeshes(TCollisionWorld* world) const
{
    for (const TMeshPlacement& placement : m_collisionPlacements) {
        world->AddSolid(LoadPlaced(placement, m_mapName));
    }
}

void TMapData::CreateMapObjects(TAreaBase* area) const
{
    auto add = [area](TMapObject* object) { area->AddObject(TRefPtr<TMapObject>(object)); };
    add(new TMapDeathWatch(area, m_objectSetName));
    for (const TMapItemRecord& r : m_items) {
        add(new TMapItem(area, static_cast<std::int32_t>(r.value1), static_cast<std::int32_t>(r.value2),
                         static_cast<std::int32_t>(r.value3), r.position));
    }
    for (const TMapPointObject& r : m_pointObjects) {
        add(new TMapSavePoint(area, static_cast<std::int32_t>(r.value), r.position));
    }
    for (const TMapThreeVectorObject& r : m_threeVectorObjects) {
        add(new TMapScriptFacingBox(area, r.v1, r.v2, r.v3, r.name));
    }
    for (const TMapPointValueObject& r : m_pointValueObjects) {
        float radius = 0.0F;
        std::memcpy(&radius, &r.value, sizeof radius);
        add(new TMapScriptAction(area, r.position, radius, r.name));
    }
    for (const TMapTwoVectorObject& r : m_twoVectorObjects) {
        add(new TMapScriptBox(area, r.v1, r.v2, r.name));
    }
    for (const TMapValueObject& r : m_valueObjectsA) {
        add(new TMapDefeatCountScript(area, r.value, r.name));
    }
    for (const TMapValueObject& r : m_valueObjectsB) {
        add(new TMapDefeatScript(area, r.value, r.name));
    }
    for (const TMapTriggerBoxRecord& r : m_triggerBoxes) {
        add(new TMapTriggerBox(area, r.boxMinimum, r.boxMaximum, r.facing, r.startPosition, r.startDirection,
                               r.startCameraPosition, r.fadeMode, r.destination));
    }
    for (const TMapTriggerActionRecord& r : m_triggerActions) {
        add(new TMapTriggerAction(area, r.point, r.radius, r.startPosition, r.startDirection, r.startCameraPosition,
                                  r.fadeMode, r.destination));
    }
}

void TMapData::CreateVillagers(TAreaBase* area) const
{
    TScriptProcessManager::Create();
    for (const std::string& name : m_villagerNames) {
        TVillagerInfo info;
        // A villager whose set-up fails is left out (logged); the others still come.
        if (LoadVillagerInfo(info, name)) {
            area->AddVillager(Asked("map " + m_mapName + ": the villager of \"" + name + "\" asks for the model \"" +
                                        info.name + "\"",
                                    [&] { return TRefPtr<TVillager>(new TVillager(info)); }));
        }
    }
    TScriptProcessManager::Destroy();
}
