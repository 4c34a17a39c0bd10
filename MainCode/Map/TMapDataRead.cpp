// The readers of the map-data record kinds. Each reads its payload into locals first, so a record
// cut off by the end of the file changes nothing.
#include "MainCode/Map/TMapData.h"

#include "TCommon/TByteReader.h"

namespace {

bool ReadVec3(TByteReader& in, D3DXVECTOR3& v)
{
    return in.F32(v.x) && in.F32(v.y) && in.F32(v.z);
}

// A field that the game reads past.
bool SkipWords(TByteReader& in, std::uint32_t count)
{
    std::uint32_t unused = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!in.U32(unused)) {
            return false;
        }
    }
    return true;
}

bool SkipString(TByteReader& in)
{
    std::string unused;
    return in.String(unused);
}

// A failed read empties its string, so the name changes only when the whole record arrived.
bool ReadName(TByteReader& in, std::string& name)
{
    std::string read;
    if (!in.String(read)) {
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

bool TMapData::ReadArea(TByteReader& in)
{
    std::uint32_t mapKind = 0;
    std::string mesh;
    std::string display;
    std::string music;
    float cells[4] = {};
    if (!SkipWords(in, 1) || !in.U32(mapKind) || !in.String(mesh) ||
        !in.String(display) || !in.String(music) || !in.F32s(cells, 4)) {
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

bool TMapData::ReadProjection(TByteReader& in)
{
    float values[3] = {};
    if (!in.F32s(values, 3)) {
        return false;
    }
    m_near = values[0];
    m_far = Scaled(values[1]);
    m_fieldOfView = values[2];
    return true;
}

bool TMapData::ReadFog(TByteReader& in)
{
    float range[2] = {};
    std::uint32_t colour = 0;
    if (!in.F32s(range, 2) || !in.U32(colour)) {
        return false;
    }
    m_fogOn = true;
    m_fogStart = Scaled(range[0]);
    m_fogEnd = Scaled(range[1]);
    m_fogColour = colour;
    return true;
}

bool TMapData::ReadSky(TByteReader& in)
{
    float value1 = 0.0F;
    float value2 = 0.0F;
    float value3 = 0.0F;
    if (!SkipString(in) || !in.F32(value1) || !in.F32(value2) ||
        !SkipWords(in, 4) || !in.F32(value3)) {
        return false;
    }
    m_skyOn = true;
    m_skyValue1 = value1;
    m_skyValue2 = value2;
    m_skyValue3 = value3;
    return true;
}

bool TMapData::ReadEntryPoint(TByteReader& in)
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 direction;
    D3DXVECTOR3 camera;
    if (!ReadVec3(in, position) || !ReadVec3(in, direction) || !ReadVec3(in, camera)) {
        return false;
    }
    m_entryOn = true;
    m_entryPosition = position;
    m_entryDirection = direction;
    m_entryCameraPosition = camera;
    return true;
}

// Camera kinds 5 to 8 carry values no camera uses; they only set the mode.
bool TMapData::ReadCameraModeRecord(TByteReader& in, std::uint32_t mode, std::uint32_t words, std::uint32_t vectors,
                                    bool withName)
{
    if (!SkipWords(in, words + vectors * 3) || (withName && !SkipString(in))) {
        return false;
    }
    m_cameraMode = mode;
    return true;
}

bool TMapData::ReadCameraMode1(TByteReader& in)
{
    return ReadCameraModeRecord(in, kCameraMode1, 0, 1, false);
}

bool TMapData::ReadCameraMode2(TByteReader& in)
{
    return ReadCameraModeRecord(in, kCameraMode2, 1, 2, false);
}

bool TMapData::ReadCameraMode4(TByteReader& in)
{
    return ReadCameraModeRecord(in, kCameraMode4, 1, 1, true);
}

bool TMapData::ReadCameraMode8(TByteReader& in)
{
    return ReadCameraModeRecord(in, kCameraMode8, 1, 1, false);
}

bool TMapData::ReadCameraMode16(TByteReader& in)
{
    float distance = 0.0F;
    float height = 0.0F;
    std::uint32_t value = 0;
    if (!in.F32(distance) || !in.F32(height) ||
        !in.U32(value) || !SkipString(in)) {
        return false;
    }
    m_cameraMode = kCameraFollow;
    m_followDistance = distance;
    m_followHeight = height;
    m_followValue = value;
    return true;
}

bool TMapData::ReadCameraMode32(TByteReader& in)
{
    return ReadCameraModeRecord(in, kCameraKeys, 1, 0, false);
}

bool TMapData::ReadCameraKey(TByteReader& in)
{
    TCameraKey key;
    key.kind = 0;
    if (!ReadVec3(in, key.position) || !in.F32(key.directionX) ||
        !in.F32(key.directionZ) || !in.F32(key.distance) ||
        !in.F32(key.height) || !in.U32(key.value)) {
        return false;
    }
    const D3DXVECTOR3 flat(key.directionX, 0.0F, key.directionZ);
    D3DXVec3Normalize(&key.direction, &flat);
    key.offset = D3DXVECTOR3(key.direction.x * key.distance, key.height, key.direction.z * key.distance);
    m_cameraKeys.push_back(key);
    return true;
}

bool TMapData::ReadCameraKeyAt(TByteReader& in)
{
    TCameraKey key;
    key.kind = 1;
    if (!ReadVec3(in, key.position) || !ReadVec3(in, key.cameraPosition) ||
        !in.U32(key.value)) {
        return false;
    }
    m_cameraKeys.push_back(key);
    return true;
}

bool TMapData::ReadMeshPlacement(TByteReader& in)
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 forward;
    D3DXVECTOR3 up;
    D3DXVECTOR3 scale;
    TMeshPlacement visual;
    std::string collisionName;
    if (!ReadVec3(in, position) || !ReadVec3(in, forward) || !ReadVec3(in, up) || !ReadVec3(in, scale) ||
        !in.U32(visual.mirrorAxis) || !in.U32(visual.materialIndex) ||
        !in.U32(visual.shaderKind) || !in.String(visual.meshName) ||
        !in.String(collisionName)) {
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

bool TMapData::ReadEnemyBounds(TByteReader& in)
{
    float bounds[2] = {};
    if (!in.F32s(bounds, 2)) {
        return false;
    }
    m_enemyBound1 = bounds[0];
    m_enemyBound2 = bounds[1];
    return true;
}

bool TMapData::ReadEnemy(TByteReader& in)
{
    TMapEnemy enemy;
    if (!in.U32(enemy.typeId) || !ReadVec3(in, enemy.position) ||
        !ReadVec3(in, enemy.direction)) {
        return false;
    }
    m_enemies.push_back(enemy);
    return true;
}

bool TMapData::ReadEnemySpawner(TByteReader& in)
{
    TMapEnemySpawner spawner;
    if (!in.U32(spawner.typeId) || !ReadVec3(in, spawner.p) || !ReadVec3(in, spawner.q) ||
        !in.U32(spawner.m) || !in.U32(spawner.n)) {
        return false;
    }
    m_enemySpawners.push_back(spawner);
    return true;
}

bool TMapData::ReadItem(TByteReader& in)
{
    TMapItemRecord item;
    if (!in.U32(item.value1) || !in.U32(item.value2) ||
        !in.U32(item.value3) || !ReadVec3(in, item.position) || !SkipWords(in, 6)) {
        return false;
    }
    m_items.push_back(item);
    return true;
}

bool TMapData::ReadPointObject(TByteReader& in)
{
    TMapPointObject object;
    if (!in.U32(object.value) || !ReadVec3(in, object.position)) {
        return false;
    }
    m_pointObjects.push_back(object);
    return true;
}

bool TMapData::ReadThreeVectorObject(TByteReader& in)
{
    TMapThreeVectorObject object;
    if (!ReadVec3(in, object.v1) || !ReadVec3(in, object.v2) || !ReadVec3(in, object.v3) ||
        !in.String(object.name)) {
        return false;
    }
    m_threeVectorObjects.push_back(object);
    return true;
}

bool TMapData::ReadPointValueObject(TByteReader& in)
{
    TMapPointValueObject object;
    if (!ReadVec3(in, object.position) || !in.U32(object.value) ||
        !in.String(object.name)) {
        return false;
    }
    m_pointValueObjects.push_back(object);
    return true;
}

namespace {

// Kinds 21 and 22 share their layout; only their lists differ.
bool ReadValueObject(TByteReader& in, std::vector<TMapValueObject>& list)
{
    TMapValueObject object;
    if (!in.U32(object.value) || !in.String(object.name)) {
        return false;
    }
    list.push_back(object);
    return true;
}

}  // namespace

bool TMapData::ReadValueObjectA(TByteReader& in)
{
    return ReadValueObject(in, m_valueObjectsA);
}

bool TMapData::ReadValueObjectB(TByteReader& in)
{
    return ReadValueObject(in, m_valueObjectsB);
}

bool TMapData::ReadTriggerBox(TByteReader& in)
{
    TMapTriggerBoxRecord trigger;
    if (!ReadVec3(in, trigger.boxMinimum) || !ReadVec3(in, trigger.boxMaximum) ||
        !ReadVec3(in, trigger.facing) || !ReadVec3(in, trigger.startPosition) ||
        !ReadVec3(in, trigger.startDirection) || !ReadVec3(in, trigger.startCameraPosition) ||
        !in.U32(trigger.fadeMode) || !in.String(trigger.destination)) {
        return false;
    }
    m_triggerBoxes.push_back(trigger);
    return true;
}

bool TMapData::ReadTriggerAction(TByteReader& in)
{
    TMapTriggerActionRecord trigger;
    if (!ReadVec3(in, trigger.point) || !in.F32(trigger.radius) ||
        !ReadVec3(in, trigger.startPosition) || !ReadVec3(in, trigger.startDirection) ||
        !ReadVec3(in, trigger.startCameraPosition) || !in.U32(trigger.fadeMode) ||
        !in.String(trigger.destination)) {
        return false;
    }
    m_triggerActions.push_back(trigger);
    return true;
}

bool TMapData::ReadVillager(TByteReader& in)
{
    std::string name;
    if (!in.String(name)) {
        return false;
    }
    m_villagerNames.push_back(name);
    return true;
}

bool TMapData::ReadMinimapName(TByteReader& in)
{
    return ReadName(in, m_minimapName);
}

bool TMapData::ReadObjectSetName(TByteReader& in)
{
    return ReadName(in, m_objectSetName);
}

bool TMapData::ReadSpareName(TByteReader& in)
{
    return SkipString(in);
}

bool TMapData::ReadTwoVectorObject(TByteReader& in)
{
    TMapTwoVectorObject object;
    if (!ReadVec3(in, object.v1) || !ReadVec3(in, object.v2) || !in.String(object.name)) {
        return false;
    }
    m_twoVectorObjects.push_back(object);
    return true;
}
