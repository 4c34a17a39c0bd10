// Writes map-data containers as the map loader reads them: a directory of named entries, each
// pointing at a stream of typed records. Every field is written as given, so unused fields,
// odd kind words and streams without their end mark are made the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx8/d3dx8math.h"
#include "formats/byte_writer.h"

namespace qmtest {

using MapVec = D3DXVECTOR3;

// One record stream. Each record writes its kind field (the kind, or the word given to
// NextKindWord) and then its payload in file order.
class MapStream {
public:
    // The kind field of the next record, high bits and all.
    MapStream& NextKindWord(std::uint32_t word);
    // A bare kind field (kinds of 30 and up have no payload).
    MapStream& Kind(std::uint32_t word);
    MapStream& End(std::uint32_t word = 0xFFFF) { return Kind(word); }

    MapStream& Area(std::uint32_t mapKind, const std::string& mesh, const std::string& display,
                    const std::string& music, float collisionWidth, float collisionDepth, float meshWidth,
                    float meshDepth, std::uint32_t unused = 0);
    MapStream& Projection(float nearPlane, float farPlane, float fieldOfView);
    MapStream& Fog(float start, float end, std::uint32_t colour);
    MapStream& Sky(float value1, float value2, float value3, const std::string& unusedName = "",
                   std::uint32_t unusedFill = 0);
    MapStream& EntryPoint(const MapVec& position, const MapVec& direction, const MapVec& camera);
    MapStream& CameraMode1(const MapVec& unused = {});
    MapStream& CameraMode2(std::uint32_t unused = 0, const MapVec& unused1 = {}, const MapVec& unused2 = {});
    MapStream& CameraMode4(std::uint32_t unused = 0, const MapVec& unusedVec = {},
                           const std::string& unusedName = "");
    MapStream& CameraMode8(std::uint32_t unused = 0, const MapVec& unusedVec = {});
    MapStream& FollowCamera(float distance, float height, std::uint32_t value, const std::string& unusedName = "");
    MapStream& KeyCamera(std::uint32_t unused = 0);
    MapStream& CameraKey(const MapVec& position, float directionX, float directionZ, float distance, float height,
                         std::uint32_t value);
    MapStream& CameraKeyAt(const MapVec& position, const MapVec& camera, std::uint32_t value);
    MapStream& MeshPlacement(const MapVec& position, const MapVec& forward, const MapVec& up, const MapVec& scale,
                             std::uint32_t mirrorAxis, std::uint32_t materialIndex, std::uint32_t shaderKind,
                             const std::string& visualName, const std::string& collisionName);
    MapStream& EnemyBounds(float bound1, float bound2);
    MapStream& Enemy(std::uint32_t typeId, const MapVec& position, const MapVec& direction);
    MapStream& EnemySpawner(std::uint32_t typeId, const MapVec& p, const MapVec& q, std::uint32_t m,
                            std::uint32_t n);
    MapStream& Item(std::uint32_t value1, std::uint32_t value2, std::uint32_t value3, const MapVec& position,
                    const MapVec& unused1 = {}, const MapVec& unused2 = {});
    MapStream& PointObject(std::uint32_t value, const MapVec& position);
    MapStream& ThreeVectorObject(const MapVec& v1, const MapVec& v2, const MapVec& v3, const std::string& name);
    MapStream& PointValueObject(const MapVec& position, std::uint32_t value, const std::string& name);
    MapStream& ValueObjectA(std::uint32_t value, const std::string& name);
    MapStream& ValueObjectB(std::uint32_t value, const std::string& name);
    MapStream& TriggerBox(const MapVec& boxMinimum, const MapVec& boxMaximum, const MapVec& facing,
                          const MapVec& startPosition, const MapVec& startDirection, const MapVec& startCamera,
                          std::uint32_t fadeMode, const std::string& destination);
    MapStream& TriggerAction(const MapVec& point, float radius, const MapVec& startPosition,
                             const MapVec& startDirection, const MapVec& startCamera, std::uint32_t fadeMode,
                             const std::string& destination);
    MapStream& Villager(const std::string& scriptKey);
    MapStream& MinimapName(const std::string& name);
    MapStream& ObjectSetName(const std::string& name);
    MapStream& SpareName(const std::string& name);
    MapStream& TwoVectorObject(const MapVec& v1, const MapVec& v2, const std::string& name);

    // Further bytes as they are (a record cut short, stray fields).
    ByteWriter& Raw() { return out_; }
    const std::vector<std::uint8_t>& Data() const { return out_.Data(); }

private:
    MapStream& Record(std::uint32_t kind);
    MapStream& Vec(const MapVec& v);
    MapStream& NameRecord(std::uint32_t kind, const std::string& name);

    ByteWriter out_;
    std::uint32_t nextWord_ = 0;
    bool haveNextWord_ = false;
};

// The least a map needs: area (kind 0), projection (kind 1) and a follow camera (kind 9); no end
// mark, so records can follow.
MapStream SmallestMapStream(std::uint32_t mapKind = 0);

struct MapEntry {
    std::string name;
    std::vector<std::uint8_t> stream;
};

// The entry count, the directory in the given order (names may repeat), then the streams, each
// entry pointing at its own.
std::vector<std::uint8_t> MapContainer(const std::vector<MapEntry>& entries);

}  // namespace qmtest
