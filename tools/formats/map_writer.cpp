#include "formats/map_writer.h"

namespace qmtest {

MapStream& MapStream::NextKindWord(std::uint32_t word)
{
    nextWord_ = word;
    haveNextWord_ = true;
    return *this;
}

MapStream& MapStream::Kind(std::uint32_t word)
{
    out_.U32(word);
    return *this;
}

MapStream& MapStream::Record(std::uint32_t kind)
{
    out_.U32(haveNextWord_ ? nextWord_ : kind);
    haveNextWord_ = false;
    return *this;
}

MapStream& MapStream::NameRecord(std::uint32_t kind, const std::string& name)
{
    Record(kind);
    out_.LpString(name);
    return *this;
}

MapStream& MapStream::Vec(const MapVec& v)
{
    out_.F32(v.x).F32(v.y).F32(v.z);
    return *this;
}

MapStream& MapStream::Area(std::uint32_t mapKind, const std::string& mesh, const std::string& display,
                           const std::string& music, float collisionWidth, float collisionDepth, float meshWidth,
                           float meshDepth, std::uint32_t unused)
{
    Record(0);
    out_.U32(unused).U32(mapKind).LpString(mesh).LpString(display).LpString(music);
    out_.F32(collisionWidth).F32(collisionDepth).F32(meshWidth).F32(meshDepth);
    return *this;
}

MapStream& MapStream::Projection(float nearPlane, float farPlane, float fieldOfView)
{
    Record(1);
    out_.F32(nearPlane).F32(farPlane).F32(fieldOfView);
    return *this;
}

MapStream& MapStream::Fog(float start, float end, std::uint32_t colour)
{
    Record(2);
    out_.F32(start).F32(end).U32(colour);
    return *this;
}

MapStream& MapStream::Sky(float value1, float value2, float value3, const std::string& unusedName,
                          std::uint32_t unusedFill)
{
    Record(3);
    out_.LpString(unusedName).F32(value1).F32(value2);
    out_.U32(unusedFill).U32(unusedFill).U32(unusedFill).U32(unusedFill);
    out_.F32(value3);
    return *this;
}

MapStream& MapStream::EntryPoint(const MapVec& position, const MapVec& direction, const MapVec& camera)
{
    return Record(4).Vec(position).Vec(direction).Vec(camera);
}

MapStream& MapStream::CameraMode1(const MapVec& unused)
{
    return Record(5).Vec(unused);
}

MapStream& MapStream::CameraMode2(std::uint32_t unused, const MapVec& unused1, const MapVec& unused2)
{
    Record(6);
    out_.U32(unused);
    return Vec(unused1).Vec(unused2);
}

MapStream& MapStream::CameraMode4(std::uint32_t unused, const MapVec& unusedVec, const std::string& unusedName)
{
    Record(7);
    out_.U32(unused);
    Vec(unusedVec);
    out_.LpString(unusedName);
    return *this;
}

MapStream& MapStream::CameraMode8(std::uint32_t unused, const MapVec& unusedVec)
{
    Record(8);
    out_.U32(unused);
    return Vec(unusedVec);
}

MapStream& MapStream::FollowCamera(float distance, float height, std::uint32_t value, const std::string& unusedName)
{
    Record(9);
    out_.F32(distance).F32(height).U32(value).LpString(unusedName);
    return *this;
}

MapStream& MapStream::KeyCamera(std::uint32_t unused)
{
    Record(10);
    out_.U32(unused);
    return *this;
}

MapStream& MapStream::CameraKey(const MapVec& position, float directionX, float directionZ, float distance,
                                float height, std::uint32_t value)
{
    Record(11).Vec(position);
    out_.F32(directionX).F32(directionZ).F32(distance).F32(height).U32(value);
    return *this;
}

MapStream& MapStream::CameraKeyAt(const MapVec& position, const MapVec& camera, std::uint32_t value)
{
    Record(12).Vec(position).Vec(camera);
    out_.U32(value);
    return *this;
}

MapStream& MapStream::MeshPlacement(const MapVec& position, const MapVec& forward, const MapVec& up,
                                    const MapVec& scale, std::uint32_t mirrorAxis, std::uint32_t materialIndex,
                                    std::uint32_t shaderKind, const std::string& visualName,
                                    const std::string& collisionName)
{
    Record(13).Vec(position).Vec(forward).Vec(up).Vec(scale);
    out_.U32(mirrorAxis).U32(materialIndex).U32(shaderKind).LpString(visualName).LpString(collisionName);
    return *this;
}

MapStream& MapStream::EnemyBounds(float bound1, float bound2)
{
    Record(14);
    out_.F32(bound1).F32(bound2);
    return *this;
}

MapStream& MapStream::Enemy(std::uint32_t typeId, const MapVec& position, const MapVec& direction)
{
    Record(15);
    out_.U32(typeId);
    return Vec(position).Vec(direction);
}

MapStream& MapStream::EnemySpawner(std::uint32_t typeId, const MapVec& p, const MapVec& q, std::uint32_t m,
                                   std::uint32_t n)
{
    Record(16);
    out_.U32(typeId);
    Vec(p).Vec(q);
    out_.U32(m).U32(n);
    return *this;
}

MapStream& MapStream::Item(std::uint32_t value1, std::uint32_t value2, std::uint32_t value3,
                           const MapVec& position, const MapVec& unused1, const MapVec& unused2)
{
    Record(17);
    out_.U32(value1).U32(value2).U32(value3);
    return Vec(position).Vec(unused1).Vec(unused2);
}

MapStream& MapStream::PointObject(std::uint32_t value, const MapVec& position)
{
    Record(18);
    out_.U32(value);
    return Vec(position);
}

MapStream& MapStream::ThreeVectorObject(const MapVec& v1, const MapVec& v2, const MapVec& v3,
                                        const std::string& name)
{
    Record(19).Vec(v1).Vec(v2).Vec(v3);
    out_.LpString(name);
    return *this;
}

MapStream& MapStream::PointValueObject(const MapVec& position, std::uint32_t value, const std::string& name)
{
    Record(20).Vec(position);
    out_.U32(value).LpString(name);
    return *this;
}

MapStream& MapStream::ValueObjectA(std::uint32_t value, const std::string& name)
{
    Record(21);
    out_.U32(value).LpString(name);
    return *this;
}

MapStream& MapStream::ValueObjectB(std::uint32_t value, const std::string& name)
{
    Record(22);
    out_.U32(value).LpString(name);
    return *this;
}

MapStream& MapStream::TriggerBox(const MapVec& boxMinimum, const MapVec& boxMaximum, const MapVec& facing,
                                 const MapVec& startPosition, const MapVec& startDirection,
                                 const MapVec& startCamera, std::uint32_t fadeMode, const std::string& destination)
{
    Record(23).Vec(boxMinimum).Vec(boxMaximum).Vec(facing).Vec(startPosition).Vec(startDirection).Vec(startCamera);
    out_.U32(fadeMode).LpString(destination);
    return *this;
}

MapStream& MapStream::TriggerAction(const MapVec& point, float radius, const MapVec& startPosition,
                                    const MapVec& startDirection, const MapVec& startCamera,
                                    std::uint32_t fadeMode, const std::string& destination)
{
    Record(24).Vec(point);
    out_.F32(radius);
    Vec(startPosition).Vec(startDirection).Vec(startCamera);
    out_.U32(fadeMode).LpString(destination);
    return *this;
}

MapStream& MapStream::Villager(const std::string& scriptKey)
{
    return NameRecord(25, scriptKey);
}

MapStream& MapStream::MinimapName(const std::string& name)
{
    return NameRecord(26, name);
}

MapStream& MapStream::ObjectSetName(const std::string& name)
{
    return NameRecord(27, name);
}

MapStream& MapStream::SpareName(const std::string& name)
{
    return NameRecord(28, name);
}

MapStream& MapStream::TwoVectorObject(const MapVec& v1, const MapVec& v2, const std::string& name)
{
    Record(29).Vec(v1).Vec(v2);
    out_.LpString(name);
    return *this;
}

MapStream SmallestMapStream(std::uint32_t mapKind)
{
    MapStream stream;
    stream.Area(mapKind, "town00", "Town", "bgm00", 10.0F, 10.0F, 50.0F, 50.0F)
        .Projection(1.0F, 1000.0F, 45.0F)
        .FollowCamera(8.0F, 3.0F, 0);
    return stream;
}

std::vector<std::uint8_t> MapContainer(const std::vector<MapEntry>& entries)
{
    std::size_t directory = 4;
    for (const MapEntry& entry : entries) {
        directory += 4 + entry.name.size() + 1 + 4;
    }
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(entries.size()));
    std::size_t offset = directory;
    for (const MapEntry& entry : entries) {
        out.LpString(entry.name).U32(static_cast<std::uint32_t>(offset));
        offset += entry.stream.size();
    }
    for (const MapEntry& entry : entries) {
        out.Bytes(entry.stream.data(), entry.stream.size());
    }
    return out.Data();
}

}  // namespace qmtest
