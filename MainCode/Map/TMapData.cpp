#include "MainCode/Map/TMapData.h"

#include <cstdio>

#include "TCommon/TByteReader.h"
#include "TCommon/my_error.h"
#include "platform/text/cp932.h"

namespace {

const char kSourceFile[] = "MainCode/Map/TMapData.cpp";
constexpr std::uint32_t kEndOfStream = 0xFFFF;
constexpr std::uint32_t kKindCount = 30;

}  // namespace

double TMapData::GetDistanceScale()
{
    return 1.0 - (1.0 - static_cast<double>(s_viewScale)) * 0.5;
}

bool TMapData::GetFilePart(const std::string& mapName, std::string& out)
{
    const std::size_t slash = mapName.find('/');
    if (slash == std::string::npos || slash == 0) {
        out.clear();
        return false;
    }
    out = mapName.substr(0, slash);
    return true;
}

bool TMapData::GetEntryPart(const std::string& mapName, std::string& out)
{
    const std::size_t slash = mapName.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == mapName.size()) {
        out.clear();
        return false;
    }
    out = mapName.substr(slash + 1);
    return true;
}

TMapData::TMapData(const std::string& mapName, const float* startPosition, const float* startDirection,
                   const float* startCameraPosition)
    : m_mapName(mapName)
{
    m_hasStart = startPosition != nullptr && startDirection != nullptr && startCameraPosition != nullptr;
    if (m_hasStart) {
        m_startPosition = D3DXVECTOR3(startPosition);
        m_startDirection = D3DXVECTOR3(startDirection);
        m_startCameraPosition = D3DXVECTOR3(startCameraPosition);
    }
    Load();
}

TMapData::~TMapData() = default;

void TMapData::Load()
{
    std::string filePart;
    std::string entryPart;
    GetFilePart(m_mapName, filePart);
    GetEntryPart(m_mapName, entryPart);
    const std::string path = s_folder + filePart;
    const std::string where = path + " : " + entryPart;

    std::vector<std::uint8_t> bytes;
    if (filePart.empty() || !ReadWholeFile(path, bytes)) {
        throw my_error("map not found : " + where, kSourceFile, __LINE__);
    }
    TByteReader in(bytes, path);

    // Directory: the first entry of exactly that name. A name that cannot be read ends the scan,
    // so a damaged directory never sends the reader elsewhere.
    std::uint32_t entryCount = 0;
    bool found = false;
    std::uint32_t offset = 0;
    if (in.U32(entryCount)) {
        for (std::uint32_t i = 0; i < entryCount && !found; ++i) {
            std::string name;
            if (!in.String(name)) {
                break;
            }
            if (name == entryPart) {
                found = in.U32(offset);
                if (!found) {
                    break;
                }
            } else if (!in.Skip(4)) {
                break;
            }
        }
    }
    if (!found) {
        throw my_error("map not found : " + where, kSourceFile, __LINE__);
    }

    bool (TMapData::*const readers[kKindCount])(TByteReader&) = {
        &TMapData::ReadArea,          &TMapData::ReadProjection,        &TMapData::ReadFog,
        &TMapData::ReadSky,           &TMapData::ReadEntryPoint,        &TMapData::ReadCameraMode1,
        &TMapData::ReadCameraMode2,   &TMapData::ReadCameraMode4,       &TMapData::ReadCameraMode8,
        &TMapData::ReadCameraMode16,  &TMapData::ReadCameraMode32,      &TMapData::ReadCameraKey,
        &TMapData::ReadCameraKeyAt,   &TMapData::ReadMeshPlacement,     &TMapData::ReadEnemyBounds,
        &TMapData::ReadEnemy,         &TMapData::ReadEnemySpawner,      &TMapData::ReadItem,
        &TMapData::ReadPointObject,   &TMapData::ReadThreeVectorObject, &TMapData::ReadPointValueObject,
        &TMapData::ReadValueObjectA,  &TMapData::ReadValueObjectB,      &TMapData::ReadTriggerBox,
        &TMapData::ReadTriggerAction, &TMapData::ReadVillager,          &TMapData::ReadMinimapName,
        &TMapData::ReadObjectSetName, &TMapData::ReadSpareName,         &TMapData::ReadTwoVectorObject,
    };

    // Every record consumes at least its kind field, so the loop ends with the file at the latest.
    bool read[kKindCount] = {};
    bool ended = false;
    if (in.Seek(offset)) {
        std::uint32_t field = 0;
        while (in.U32(field)) {
            const std::uint32_t kind = field & 0xFFFF;
            if (kind == kEndOfStream) {
                ended = true;
                break;
            }
            if (kind >= kKindCount) {
                continue;
            }
            if (!(this->*readers[kind])(in)) {
                break;
            }
            read[kind] = true;
        }
    }

    bool hasCamera = false;
    for (std::uint32_t kind = 5; kind <= 10; ++kind) {
        hasCamera = hasCamera || read[kind];
    }
    if (!read[0] || !read[1] || !hasCamera) {
        throw my_error("map data incomplete : " + m_mapName + " (" + where + ")", kSourceFile, __LINE__);
    }
    if (!ended) {
        const std::string line = "map data cut short, records after the break ignored : " + m_mapName + " (" +
                                 where + ")\n";
        std::fputs(platform::Cp932ToUtf8(line).c_str(), stderr);
    }
}
