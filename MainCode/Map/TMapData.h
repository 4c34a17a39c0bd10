// One map's data set: an entry of a container file in the map-data folder, read record by record
// into fields and lists that the area build turns into live objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;
class TCamera;
class TCollisionWorld;
class TByteReader;
class TFrame;
class TMeshAreaManager;
class TMesh8;
class TVertexShader;
class TView;

// A key of the key camera. Kind 0 places the camera relative to the target, kind 1 at a fixed
// point.
struct TCameraKey {
    std::uint32_t kind = 0;
    D3DXVECTOR3 position;  // where the key stands; the camera blends the two nearest keys
    std::uint32_t value = 0;
    // Kind 0: the file's horizontal direction, distance and height, and what they make.
    float directionX = 0.0F;
    float directionZ = 0.0F;
    float distance = 0.0F;
    float height = 0.0F;
    D3DXVECTOR3 direction;  // normalize(directionX, 0, directionZ)
    D3DXVECTOR3 offset;     // (direction.x * distance, height, direction.z * distance)
    // Kind 1.
    D3DXVECTOR3 cameraPosition;
};

// A mesh from the visual folder placed on the map (as drawn, or as solid ground).
struct TMeshPlacement {
    D3DXMATRIX world;
    std::uint32_t mirrorAxis = 0;  // 0 none, 1 x, 2 y, 3 z
    std::uint32_t materialIndex = 0;
    std::uint32_t shaderKind = 0;
    std::string meshName;
};

struct TMapEnemy {
    std::uint32_t typeId = 0;
    D3DXVECTOR3 position;
    D3DXVECTOR3 direction;
};

struct TMapEnemySpawner {
    std::uint32_t typeId = 0;
    D3DXVECTOR3 p;
    D3DXVECTOR3 q;
    std::uint32_t m = 0;
    std::uint32_t n = 0;
};

struct TMapItemRecord {
    std::uint32_t value1 = 0;
    std::uint32_t value2 = 0;
    std::uint32_t value3 = 0;
    D3DXVECTOR3 position;
};

// Values stored as w32 keep their bits; their users give them a type.
struct TMapPointObject {
    std::uint32_t value = 0;
    D3DXVECTOR3 position;
};

struct TMapThreeVectorObject {
    D3DXVECTOR3 v1;
    D3DXVECTOR3 v2;
    D3DXVECTOR3 v3;
    std::string name;
};

struct TMapPointValueObject {
    D3DXVECTOR3 position;
    std::uint32_t value = 0;
    std::string name;
};

struct TMapTwoVectorObject {
    D3DXVECTOR3 v1;
    D3DXVECTOR3 v2;
    std::string name;
};

struct TMapValueObject {
    std::uint32_t value = 0;
    std::string name;
};

struct TMapTriggerBoxRecord {
    D3DXVECTOR3 boxMinimum;
    D3DXVECTOR3 boxMaximum;
    D3DXVECTOR3 facing;
    D3DXVECTOR3 startPosition;
    D3DXVECTOR3 startDirection;
    D3DXVECTOR3 startCameraPosition;
    std::uint32_t fadeMode = 0;
    std::string destination;
};

struct TMapTriggerActionRecord {
    D3DXVECTOR3 point;
    float radius = 0.0F;
    D3DXVECTOR3 startPosition;
    D3DXVECTOR3 startDirection;
    D3DXVECTOR3 startCameraPosition;
    std::uint32_t fadeMode = 0;
    std::string destination;
};

class TMapData {
    friend struct TMapProbe;
public:
    // Camera modes of the camera records; only follow and key make a map camera.
    static constexpr std::uint32_t kCameraMode1 = 1;
    static constexpr std::uint32_t kCameraMode2 = 2;
    static constexpr std::uint32_t kCameraMode4 = 4;
    static constexpr std::uint32_t kCameraMode8 = 8;
    static constexpr std::uint32_t kCameraFollow = 16;
    static constexpr std::uint32_t kCameraKeys = 32;

    // mapName is "file/entry". Without all three start vectors the map has no start of its own.
    // Throws my_error when the map cannot be found or lacks its area, projection or camera.
    TMapData(const std::string& mapName, const float* startPosition, const float* startDirection,
             const float* startCameraPosition);
    virtual ~TMapData();
    TMapData(const TMapData&) = default;
    TMapData& operator=(const TMapData&) = default;

    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }
    static void SetVisualDirectory(const std::string& folder) { s_visualFolder = folder; }
    static const std::string& GetVisualDirectory() { return s_visualFolder; }
    // The "View" setting; 1.0 at full range.
    static void SetViewScale(float scale) { s_viewScale = scale; }
    static float GetViewScale() { return s_viewScale; }
    // 1 - (1 - View) * 0.5: what far plane, fog and mesh cells are multiplied by.
    static double GetDistanceScale();

    // The parts of "file/entry" around its first "/"; false (and out empty) when a part is missing.
    static bool GetFilePart(const std::string& mapName, std::string& out);
    static bool GetEntryPart(const std::string& mapName, std::string& out);

    const std::string& GetMapName() const { return m_mapName; }

    // Start given by the caller.
    bool HasStart() const { return m_hasStart; }
    const D3DXVECTOR3& GetStartPosition() const { return m_startPosition; }
    const D3DXVECTOR3& GetStartDirection() const { return m_startDirection; }
    const D3DXVECTOR3& GetStartCameraPosition() const { return m_startCameraPosition; }

    // Area.
    std::uint32_t GetMapKind() const { return m_mapKind; }  // 0 town, 1 battle
    const std::string& GetAreaMeshName() const { return m_areaMeshName; }
    const std::string& GetDisplayName() const { return m_displayName; }
    const std::string& GetMusicName() const { return m_musicName; }
    float GetCollisionCellWidth() const { return m_collisionCellWidth; }
    float GetCollisionCellDepth() const { return m_collisionCellDepth; }
    float GetMeshCellWidth() const { return m_meshCellWidth; }
    float GetMeshCellDepth() const { return m_meshCellDepth; }

    // Projection.
    float GetNear() const { return m_near; }
    float GetFar() const { return m_far; }
    float GetFieldOfView() const { return m_fieldOfView; }  // degrees

    bool HasFog() const { return m_fogOn; }
    float GetFogStart() const { return m_fogStart; }
    float GetFogEnd() const { return m_fogEnd; }
    std::uint32_t GetFogColour() const { return m_fogColour; }  // ARGB

    bool HasSky() const { return m_skyOn; }
    float GetSkyValue1() const { return m_skyValue1; }
    float GetSkyValue2() const { return m_skyValue2; }
    float GetSkyValue3() const { return m_skyValue3; }

    // The map's own entry point.
    bool HasEntryPoint() const { return m_entryOn; }
    const D3DXVECTOR3& GetEntryPosition() const { return m_entryPosition; }
    const D3DXVECTOR3& GetEntryDirection() const { return m_entryDirection; }
    const D3DXVECTOR3& GetEntryCameraPosition() const { return m_entryCameraPosition; }

    const std::string& GetMinimapName() const { return m_minimapName; }

    std::uint32_t GetCameraMode() const { return m_cameraMode; }

    float GetEnemyBound1() const { return m_enemyBound1; }
    float GetEnemyBound2() const { return m_enemyBound2; }

    const std::vector<TMapEnemy>& GetEnemies() const { return m_enemies; }
    const std::vector<TMapEnemySpawner>& GetEnemySpawners() const { return m_enemySpawners; }

    // The map camera by the camera mode: follow (16) or key (32); an empty holder for any other.
    TRefPtr<TCamera> CreateCamera(TFrame* sceneFrame, TFrame* cameraTarget, TView* view) const;
    // The placed meshes from the visual folder, mirrored, moved, given their material and shader.
    void CreateVisualMeshes(TMeshAreaManager* manager) const;
    // The solid placements, mirrored and moved, as solids of the world.
    void CreateCollisionMeshes(TCollisionWorld* world) const;
    // The map objects of the records, added to the area: the death watch of the object-set name
    // first, then items, save points, facing boxes, action spots, script boxes, defeat-count and
    // defeat watchers, box and action triggers, each list in record order.
    void CreateMapObjects(TAreaBase* area) const;
    // One villager per villager record whose set-up script describes it, added to the area.
    void CreateVillagers(TAreaBase* area) const;
    // The material type code a placement's material index sets; 0 for index 0 (keep) and for an
    // index past the table (logged by the caller).
    static std::uint16_t MaterialCodeOf(std::uint32_t materialIndex);
    static constexpr std::uint32_t kMaxMaterialIndex = 11;
    static constexpr std::uint32_t kMorphDrawParameter = 0x80000003;
    // The shader a placement's shader kind gives; an empty holder for the kinds that keep the mesh's.
    static TRefPtr<TVertexShader> CreateShader(std::uint32_t shaderKind);

    // Set by a map change that carries the music over; the area then leaves it playing.
    void SetKeepMusic(bool keep) { m_keepMusic = keep; }
    bool IsKeepMusic() const { return m_keepMusic; }

protected:
    // One reader per record kind, in kind order. Each reads its whole payload and stores it only
    // when every field arrived; false when the file ended first.
    virtual bool ReadArea(TByteReader& in);
    virtual bool ReadProjection(TByteReader& in);
    virtual bool ReadFog(TByteReader& in);
    virtual bool ReadSky(TByteReader& in);
    virtual bool ReadEntryPoint(TByteReader& in);
    virtual bool ReadCameraMode1(TByteReader& in);
    virtual bool ReadCameraMode2(TByteReader& in);
    virtual bool ReadCameraMode4(TByteReader& in);
    virtual bool ReadCameraMode8(TByteReader& in);
    virtual bool ReadCameraMode16(TByteReader& in);
    virtual bool ReadCameraMode32(TByteReader& in);
    virtual bool ReadCameraKey(TByteReader& in);
    virtual bool ReadCameraKeyAt(TByteReader& in);
    virtual bool ReadMeshPlacement(TByteReader& in);
    virtual bool ReadEnemyBounds(TByteReader& in);
    virtual bool ReadEnemy(TByteReader& in);
    virtual bool ReadEnemySpawner(TByteReader& in);
    virtual bool ReadItem(TByteReader& in);
    virtual bool ReadPointObject(TByteReader& in);
    virtual bool ReadThreeVectorObject(TByteReader& in);
    virtual bool ReadPointValueObject(TByteReader& in);
    virtual bool ReadValueObjectA(TByteReader& in);
    virtual bool ReadValueObjectB(TByteReader& in);
    virtual bool ReadTriggerBox(TByteReader& in);
    virtual bool ReadTriggerAction(TByteReader& in);
    virtual bool ReadVillager(TByteReader& in);
    virtual bool ReadMinimapName(TByteReader& in);
    virtual bool ReadObjectSetName(TByteReader& in);
    virtual bool ReadSpareName(TByteReader& in);
    virtual bool ReadTwoVectorObject(TByteReader& in);

private:
    void Load();
    bool ReadCameraModeRecord(TByteReader& in, std::uint32_t mode, std::uint32_t words, std::uint32_t vectors,
                              bool withName);

    static inline std::string s_folder;
    static inline std::string s_visualFolder;
    static inline float s_viewScale = 1.0F;

    std::string m_mapName;
    bool m_hasStart = false;
    D3DXVECTOR3 m_startPosition;
    D3DXVECTOR3 m_startDirection;
    D3DXVECTOR3 m_startCameraPosition;

    std::uint32_t m_mapKind = 0;
    std::string m_areaMeshName;
    std::string m_displayName;
    std::string m_musicName;
    float m_collisionCellWidth = 0.0F;
    float m_collisionCellDepth = 0.0F;
    float m_meshCellWidth = 0.0F;
    float m_meshCellDepth = 0.0F;

    float m_near = 0.0F;
    float m_far = 0.0F;
    float m_fieldOfView = 0.0F;

    bool m_fogOn = false;
    float m_fogStart = 0.0F;
    float m_fogEnd = 0.0F;
    std::uint32_t m_fogColour = 0;

    bool m_skyOn = false;
    float m_skyValue1 = 0.0F;
    float m_skyValue2 = 0.0F;
    float m_skyValue3 = 0.0F;

    bool m_entryOn = false;
    D3DXVECTOR3 m_entryPosition;
    D3DXVECTOR3 m_entryDirection;
    D3DXVECTOR3 m_entryCameraPosition;

    std::string m_minimapName;

    std::uint32_t m_cameraMode = 0;  // 0 until a camera record is read
    float m_followDistance = 0.0F;
    float m_followHeight = 0.0F;
    std::uint32_t m_followValue = 0;

    std::string m_objectSetName = "non";
    float m_enemyBound1 = 0.0F;
    float m_enemyBound2 = 3.4028235e38F;

    std::vector<TCameraKey> m_cameraKeys;
    std::vector<TMeshPlacement> m_collisionPlacements;
    std::vector<TMeshPlacement> m_visualPlacements;
    std::vector<TMapEnemy> m_enemies;
    std::vector<TMapEnemySpawner> m_enemySpawners;
    std::vector<TMapItemRecord> m_items;
    std::vector<TMapPointObject> m_pointObjects;
    std::vector<TMapThreeVectorObject> m_threeVectorObjects;
    std::vector<TMapPointValueObject> m_pointValueObjects;
    std::vector<TMapTwoVectorObject> m_twoVectorObjects;
    std::vector<TMapValueObject> m_valueObjectsA;
    std::vector<TMapValueObject> m_valueObjectsB;
    std::vector<TMapTriggerBoxRecord> m_triggerBoxes;
    std::vector<TMapTriggerActionRecord> m_triggerActions;
    std::vector<std::string> m_villagerNames;

    bool m_keepMusic = false;
};
