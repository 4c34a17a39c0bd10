#include "MainCode/Map/TCurrentMap.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TTownArea.h"
#include "TCommon/my_error.h"

namespace {

const char kSourceFile[] = "MainCode/Map/TCurrentMap";

}  // namespace

void TCurrentMap::CheckMap(const TMapData& mapData)
{
    if (mapData.GetMapKind() > 1) {
        throw my_error("map kind " + std::to_string(mapData.GetMapKind()) + " is neither town nor battle : " +
                           mapData.GetMapName(),
                       kSourceFile, __LINE__);
    }
    const std::uint32_t mode = mapData.GetCameraMode();
    if (mode != TMapData::kCameraFollow && mode != TMapData::kCameraKeys) {
        throw my_error("camera mode " + std::to_string(mode) + " makes no map camera : " + mapData.GetMapName(),
                       kSourceFile, __LINE__);
    }
}

TAreaHolder TCurrentMap::BuildFromMapData(TMapData& mapData, TFieldLoop* field)
{
    CheckMap(mapData);
    const std::int32_t index = TGameData::GetInstance()->GetActiveCharacter();
    TRefPtr<TPlayerCharacter> player = CreatePlayerCharacter(field, static_cast<std::uint32_t>(index));
    if (player.Get() == nullptr) {
        const TCharacterRecord* record = TGameData::GetInstance()->GetCharacterData(static_cast<std::uint32_t>(index));
        const std::int32_t type = record != nullptr ? TWeponTable::Get(record->WeaponId).Type : -1;
        throw my_error("no player class for character " + std::to_string(index) + " with weapon type " +
                           std::to_string(type) + " : " + mapData.GetMapName(),
                       kSourceFile, __LINE__);
    }
    field->SetPlayer(player);
    TAreaHolder holder;
    if (mapData.GetMapKind() == 0) {
        holder.area = new TTownArea(mapData, field);
    } else {
        holder.area = new TBattleArea(mapData, field);
    }
    holder.owns = true;
    return holder;
}

TAreaHolder TCurrentMap::BuildAtPosition(const std::string& mapName, TFieldLoop* field, const D3DXVECTOR3& position,
                                         const D3DXVECTOR3& direction, const D3DXVECTOR3& cameraPosition)
{
    TMapData mapData(mapName, &position.x, &direction.x, &cameraPosition.x);
    return BuildFromMapData(mapData, field);
}

TAreaHolder TCurrentMap::BuildAtSavePoint(TFieldLoop* field, const TSvpRecord& savePoint)
{
    const D3DXVECTOR3 position(savePoint.StartX, savePoint.StartY, savePoint.StartZ);
    const D3DXVECTOR3 direction(0.0F, 0.0F, -1.0F);
    TMapData mapData(savePoint.MapName, &position.x, &direction.x, &position.x);
    TGameData::GetInstance()->SetGaugeCarry(0);
    return BuildFromMapData(mapData, field);
}
