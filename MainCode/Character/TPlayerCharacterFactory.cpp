// The only way a player character is made: by party index and the weapon type of its record.
#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroB.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroE.h"
#include "MainCode/Character/THeroF.h"
#include "MainCode/Character/THeroG.h"
#include "MainCode/Character/THeroH.h"
#include "MainCode/Character/THeroI.h"
#include "MainCode/Character/THeroJ.h"
#include "MainCode/Character/THeroK.h"
#include "MainCode/Character/THeroine08.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TWeponTable.h"

namespace {

using Maker = TPlayerCharacter* (*)(const TPlayerFieldLinks&, std::uint32_t, const TCharacterRecord&);

// The first three classes are shared by both characters and take the character's model.
template <class Hero, std::uint32_t Type>
TPlayerCharacter* MakeWithModel(const TPlayerFieldLinks& links, std::uint32_t index, const TCharacterRecord& record)
{
    static const char* const kModels[2][3] = {{"hero01", "hero01", "hero02"},
                                              {"heroine01", "heroine01", "heroine02"}};
    return new Hero(links, index, record, kModels[index][Type]);
}

template <class Hero>
TPlayerCharacter* Make(const TPlayerFieldLinks& links, std::uint32_t index, const TCharacterRecord& record)
{
    return new Hero(links, index, record);
}

// By weapon type 0..11; null where the character has no class for it.
const Maker kHeroClasses[12] = {
    MakeWithModel<THeroA, 0>, MakeWithModel<THeroB, 1>, MakeWithModel<THeroC, 2>, nullptr,
    nullptr,               Make<THeroD>,          Make<THeroE>,          Make<THeroF>,
    Make<THeroG>,          nullptr,               Make<THeroH>,          nullptr,
};
const Maker kHeroineClasses[12] = {
    MakeWithModel<THeroA, 0>, MakeWithModel<THeroB, 1>, MakeWithModel<THeroC, 2>, Make<THeroI>,
    Make<THeroJ>,          nullptr,               nullptr,               nullptr,
    nullptr,               Make<THeroK>,          nullptr,               Make<THeroine08>,
};

}  // namespace

TRefPtr<TPlayerCharacter> CreatePlayerCharacter(TFieldLoop* field, std::uint32_t characterIndex)
{
    return CreatePlayerCharacter(GetPlayerFieldLinks(field), characterIndex);
}

TRefPtr<TPlayerCharacter> CreatePlayerCharacter(const TPlayerFieldLinks& links, std::uint32_t characterIndex)
{
    TGameData* data = TGameData::GetInstance();
    if (data == nullptr) {
        return TRefPtr<TPlayerCharacter>();
    }
    // The leader being replaced is written back before the new one reads its record.
    if (links.player != nullptr) {
        if (links.skillGauge != nullptr) {
            data->SetGaugeCarry(links.skillGauge->GetSelection());
        }
        data->StoreCharacter(*links.player);
    }
    const TCharacterRecord* record = data->GetCharacterData(characterIndex);
    if (record == nullptr || characterIndex > 1) {
        return TRefPtr<TPlayerCharacter>();
    }
    const std::int32_t type = TWeponTable::Get(record->WeaponId).Type;
    // A pair without a class gives nothing; the field refuses it.
    const Maker make = type >= 0 && type < 12 ? (characterIndex == 0 ? kHeroClasses : kHeroineClasses)[type] : nullptr;
    if (make == nullptr) {
        return TRefPtr<TPlayerCharacter>();
    }
    TRefPtr<TPlayerCharacter> player(make(links, characterIndex, *record));
    data->UpdateSkillBonuses(characterIndex);
    TPlayerCharacter::MoveUvRegionTrianglesLast(*player->GetBodyMesh());
    return player;
}
