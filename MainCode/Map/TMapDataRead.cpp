// The readers of the map-data record kinds. Each reads its payload into locals first, so a record
// cut off by the end of the file changes nothing.
#include "MainCode/Map/TMapData.h"

#include "TCommon/TByteReader.h"
#include "TCommon/TFile.h"

namespace {

bool ReadVec3(TFile& file, D3DXVECTOR3& v)
{
    return TByteReader(file).F32(v.x) && TByteReader(file).F32(v.y) && TByteReader(file).F32(v.z);
}

// A field that the game reads past.
bool SkipWords(TFile& file, std::uint32_t count)
{
    std::uint32_t unused = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!TByteReader(file).U32(unused)) {
            return false;
        }
    }
    return true;
}

bool SkipString(TFile& file)
{
    std::string unused;
    return file.ReadString(unused);
}

// A failed read empties its string, so the name changes only when the whole record arrived.
bool ReadName(TFile& file, std::string& name)
{
    std::string read;
    if (!file.ReadString(read)) {
        return false;
    }
    name = read;
    return true;
}

// Far plane, fog and mesh cells shrink with the "View" setting.
float Scaled(float value)
{
    return static_cast<float>(value * TMapData::GetDistanceScale());
}

// Rotation with rows normalize(up x forward), up and forward, then scaling along the world axes,
// then the move. Up is not straightened against forward; a zero or parallel pair leaves zero rows.
D3DXMATRIX PlacementMatrix(const D3DXVECTOR3& position, const D3DXVECTOR3& forward, const D3DXVECTOR3& up,
                           const D3DXVECTOR3& scale)
{
    D3DXVECTOR3 f;
    D3DXVECTOR3 u;
    D3DXVECTOR3 r;
    D3DXVec3Normalize(&f, &forward);
    D3DXVec3Normalize(&u, &up);
    D3DXVec3Cross(&r, &u, &f);
    D3DXVec3Normalize(&r, &r);
    const D3DXMATRIX rotation(r.x, r.y, r.z, 0.0F, u.x, u.y, u.z, 0.0F, f.x, f.y, f.z, 0.0F, 0.0F, 0.0F, 0.0F, 1.0F);
    D3DXMATRIX scaling;
    D3DXMATRIX translation;
    D3DXMatrixScaling(&scaling, scale.x, scale.y, scale.z);
    D3DXMatrixTranslation(&translation, position.x, position.y, position.z);
    return rotation * scaling * translation;
}

}  // namespace

bool TMapData::ReadArea(TFile& file)
{
    std::uint32_t mapKind = 0;
    std::string mesh;
    std::string display;
    std::string music;
    float cells[4] = {};
    if (!SkipWords(file, 1) || !TByteReader(file).U32(mapKind) || !file.ReadString(mesh) ||
        !file.ReadString(display) || !file.ReadString(music) || !TByteReader(file).F32s(cells, 4)) {
        return false;
    }
    m_mapKind = mapKind;
    m_areaMeshName = mesh;
    m_displayName = display;
    m_musicName = music;
    m_collisionCellWidth = cells[0];
    m_collisionCellDepth = cells[1];
    m_meshCellWidth = Scaled(cells[2]);
    m_meshCellDepth = Scaled(cells[3]);
    return true;
}

bool TMapData::ReadProjection(TFile& file)
{
    float values[3] = {};
    if (!TByteReader(file).F32s(values, 3)) {
        return false;
    }
    m_near = values[0];
    m_far = Scaled(values[1]);
    m_fieldOfView = values[2];
    return true;
}

bool TMapData::ReadFog(TFile& file)
{
    float range[2] = {};
    std::uint32_t colour = 0;
    if (!TByteReader(file).F32s(range, 2) || !TByteReader(file).U32(colour)) {
        return false;
    }
    m_fogOn = true;
    m_fogStart = Scaled(range[0]);
    m_fogEnd = Scaled(range[1]);
    m_fogColour = colour;
    return true;
}

bool TMapData::ReadSky(TFile& file)
{
    float value1 = 0.0F;
    float value2 = 0.0F;
    float value3 = 0.0F;
    if (!SkipString(file) || !TByteReader(file).F32(value1) || !TByteReader(file).F32(value2) ||
        !SkipWords(file, 4) || !TByteReader(file).F32(value3)) {
        return false;
    }
    m_skyOn = true;
    m_skyValue1 = value1;
    m_skyValue2 = value2;
    m_skyValue3 = value3;
    return true;
}

bool TMapData::ReadEntryPoint(TFile& file)
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 direction;
    D3DXVECTOR3 camera;
    if (!ReadVec3(file, position) || !ReadVec3(file, direction) || !ReadVec3(file, camera)) {
        return false;
    }
    m_entryOn = true;
    m_entryPosition = position;
    m_entryDirection = direction;
    m_entryCameraPosition = camera;
    return true;
}

// Camera kinds 5 to 8 carry values no camera uses; they only set the mode.
bool TMapData::ReadCameraModeRecord(TFile& file, std::uint32_t mode, std::uint32_t words, std::uint32_t vectors,
                                    bool withName)
{
    if (!SkipWords(file, words + vectors * 3) || (withName && !SkipString(file))) {
        return false;
    }
    m_cameraMode = mode;
    return true;
}

bool TMapData::ReadCameraMode1(TFile& file)
{
    return ReadCameraModeRecord(file, kCameraMode1, 0, 1, false);
}

bool TMapData::ReadCameraMode2(TFile& file)
{
    return ReadCameraModeRecord(file, kCameraMode2, 1, 2, false);
}

bool TMapData::ReadCameraMode4(TFile& file)
{
    return ReadCameraModeRecord(file, kCameraMode4, 1, 1, true);
}

bool TMapData::ReadCameraMode8(TFile& file)
{
    return ReadCameraModeRecord(file, kCameraMode8, 1, 1, false);
}

bool TMapData::ReadCameraMode16(TFile& file)
{
    float distance = 0.0F;
    float height = 0.0F;
    std::uint32_t value = 0;
    if (!TByteReader(file).F32(distance) || !TByteReader(file).F32(height) ||
        !TByteReader(file).U32(value) || !SkipString(file)) {
        return false;
    }
    m_cameraMode = kCameraFollow;
    m_followDistance = distance;
    m_followHeight = height;
    m_followValue = value;
    return true;
}

bool TMapData::ReadCameraMode32(TFile& file)
{
    return ReadCameraModeRecord(file, kCameraKeys, 1, 0, false);
}

bool TMapData::ReadCameraKey(TFile& file)
{
    TCameraKey key;
    key.kind = 0;
    if (!ReadVec3(file, key.position) || !TByteReader(file).F32(key.directionX) ||
        !TByteReader(file).F32(key.directionZ) || !TByteReader(file).F32(key.distance) ||
        !TByteReader(file).F32(key.height) || !TByteReader(file).U32(key.value)) {
        return false;
    }
    const D3DXVECTOR3 flat(key.directionX, 0.0F, key.directionZ);
    D3DXVec3Normalize(&key.direction, &flat);
    key.offset = D3DXVECTOR3(key.direction.x * key.distance, key.height, key.direction.z * key.distance);
    m_cameraKeys.push_back(key);
    return true;
}

bool TMapData::ReadCameraKeyAt(TFile& file)
{
    TCameraKey key;
    key.kind = 1;
    if (!ReadVec3(file, key.position) || !ReadVec3(file, key.cameraPosition) ||
        !TByteReader(file).U32(key.value)) {
        return false;
    }
    m_cameraKeys.push_back(key);
    return true;
}

bool TMapData::ReadMeshPlacement(TFile& file)
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 forward;
    D3DXVECTOR3 up;
    D3DXVECTOR3 scale;
    TMeshPlacement visual;
    std::string collisionName;
    if (!ReadVec3(file, position) || !ReadVec3(file, forward) || !ReadVec3(file, up) || !ReadVec3(file, scale) ||
        !TByteReader(file).U32(visual.mirrorAxis) || !TByteReader(file).U32(visual.materialIndex) ||
        !TByteReader(file).U32(visual.shaderKind) || !file.ReadString(visual.meshName) ||
        !file.ReadString(collisionName)) {
        return false;
    }
    visual.world = PlacementMatrix(position, forward, up, scale);
    // "non" marks a mesh that is only drawn.
    if (collisionName != "non") {
        TMeshPlacement collision = visual;
        collision.meshName = collisionName;
        m_collisionPlacements.push_back(collision);
    }
    m_visualPlacements.push_back(visual);
    return true;
}

bool TMapData::ReadEnemyBounds(TFile& file)
{
    float bounds[2] = {};
    if (!TByteReader(file).F32s(bounds, 2)) {
        return false;
    }
    m_enemyBound1 = bounds[0];
    m_enemyBound2 = bounds[1];
    return true;
}

bool TMapData::ReadEnemy(TFile& file)
{
    TMapEnemy enemy;
    if (!TByteReader(file).U32(enemy.typeId) || !ReadVec3(file, enemy.position) ||
        !ReadVec3(file, enemy.direction)) {
        return false;
    }
    m_enemies.push_back(enemy);
    return true;
}

bool TMapData::ReadEnemySpawner(TFile& file)
{
    TMapEnemySpawner spawner;
    if (!TByteReader(file).U32(spawner.typeId) || !ReadVec3(file, spawner.p) || !ReadVec3(file, spawner.q) ||
        !TByteReader(file).U32(spawner.m) || !TByteReader(file).U32(spawner.n)) {
        return false;
    }
    m_enemySpawners.push_back(spawner);
    return true;
}

bool TMapData::ReadItem(TFile& file)
{
    TMapItemRecord item;
    if (!TByteReader(file).U32(item.value1) || !TByteReader(file).U32(item.value2) ||
        !TByteReader(file).U32(item.value3) || !ReadVec3(file, item.position) || !SkipWords(file, 6)) {
        return false;
    }
    m_items.push_back(item);
    return true;
}

bool TMapData::ReadPointObject(TFile& file)
{
    TMapPointObject object;
    if (!TByteReader(file).U32(object.value) || !ReadVec3(file, object.position)) {
        return false;
    }
    m_pointObjects.push_back(object);
    return true;
}

bool TMapData::ReadThreeVectorObject(TFile& file)
{
    TMapThreeVectorObject object;
    if (!ReadVec3(file, object.v1) || !ReadVec3(file, object.v2) || !ReadVec3(file, object.v3) ||
        !file.ReadString(object.name)) {
        return false;
    }
    m_threeVectorObjects.push_back(object);
    return true;
}

bool TMapData::ReadPointValueObject(TFile& file)
{
    TMapPointValueObject object;
    if (!ReadVec3(file, object.position) || !TByteReader(file).U32(object.value) ||
        !file.ReadString(object.name)) {
        return false;
    }
    m_pointValueObjects.push_back(object);
    return true;
}

namespace {

// Kinds 21 and 22 share their layout; only their lists differ.
bool ReadValueObject(TFile& file, std::vector<TMapValueObject>& list)
{
    TMapValueObject object;
    if (!TByteReader(file).U32(object.value) || !file.ReadString(object.name)) {
        return false;
    }
    list.push_back(object);
    return true;
}

}  // namespace

bool TMapData::ReadValueObjectA(TFile& file)
{
    return ReadValueObject(file, m_valueObjectsA);
}

bool TMapData::ReadValueObjectB(TFile& file)
{
    return ReadValueObject(file, m_valueObjectsB);
}

bool TMapData::ReadTriggerBox(TFile& file)
{
    TMapTriggerBoxRecord trigger;
    if (!ReadVec3(file, trigger.boxMinimum) || !ReadVec3(file, trigger.boxMaximum) ||
        !ReadVec3(file, trigger.facing) || !ReadVec3(file, trigger.startPosition) ||
        !ReadVec3(file, trigger.startDirection) || !ReadVec3(file, trigger.startCameraPosition) ||
        !TByteReader(file).U32(trigger.fadeMode) || !file.ReadString(trigger.destination)) {
        return false;
    }
    m_triggerBoxes.push_back(trigger);
    return true;
}

bool TMapData::ReadTriggerAction(TFile& file)
{
    TMapTriggerActionRecord trigger;
    if (!ReadVec3(file, trigger.point) || !TByteReader(file).F32(trigger.radius) ||
        !ReadVec3(file, trigger.startPosition) || !ReadVec3(file, trigger.startDirection) ||
        !ReadVec3(file, trigger.startCameraPosition) || !TByteReader(file).U32(trigger.fadeMode) ||
        !file.ReadString(trigger.destination)) {
        return false;
    }
    m_triggerActions.push_back(trigger);
    return true;
}

bool TMapData::ReadVillager(TFile& file)
{
    std::string name;
    if (!file.ReadString(name)) {
        return false;
    }
    m_villagerNames.push_back(name);
    return true;
}

bool TMapData::ReadMinimapName(TFile& file)
{
    return ReadName(file, m_minimapName);
}

bool TMapData::ReadObjectSetName(TFile& file)
{
    return ReadName(file, m_objectSetName);
}

bool TMapData::ReadSpareName(TFile& file)
{
    return SkipString(file);
}

bool TMapData::ReadTwoVectorObject(TFile& file)
{
    TMapTwoVectorObject object;
    if (!ReadVec3(file, object.v1) || !ReadVec3(file, object.v2) || !file.ReadString(object.name)) {
        return false;
    }
    m_twoVectorObjects.push_back(object);
    return true;
}
