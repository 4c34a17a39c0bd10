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
#include "MainCode/Character/TStandInHero.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TWeponTable.h"

TRefPtr<TPlayerCharacter> CreatePlayerCharacter(TFieldLoop* field, std::uint32_t characterIndex)
{
    TGameData* data = TGameData::GetInstance();
    if (data == nullptr) {
        return TRefPtr<TPlayerCharacter>();
    }
    // The leader being replaced is written back before the new one reads its record.
    const TPlayerFieldLinks links = GetPlayerFieldLinks(field);
    if (links.player != nullptr) {
        if (links.skillGauge != nullptr) {
            data->SetGaugeCarry(links.skillGauge->GetSelection());
        }
        data->StoreCharacter(*links.player);
    }
    const TCharacterRecord* record = data->GetCharacterData(characterIndex);
    if (record == nullptr) {
        return TRefPtr<TPlayerCharacter>();
    }
    const std::int32_t type = TWeponTable::Get(record->WeaponId).Type;
    std::string className;
    std::string model;
    // A pair without a class gives nothing; the field refuses it.
    if (!FindPlayerClass(characterIndex, type, className, model)) {
        return TRefPtr<TPlayerCharacter>();
    }
    // Classes with a model of their own play the character's first model until they come.
    if (model.empty()) {
        model = characterIndex == 0 ? "hero01" : "heroine01";
    }
    TPlayerCharacter* made = nullptr;
    if (className == "THeroA") {
        made = new THeroA(field, characterIndex, *record, model);
    } else if (className == "THeroB") {
        made = new THeroB(field, characterIndex, *record, model);
    } else if (className == "THeroC") {
        made = new THeroC(field, characterIndex, *record, model);
    } else if (className == "THeroD") {
        made = new THeroD(field, characterIndex, *record);
    } else if (className == "THeroE") {
        made = new THeroE(field, characterIndex, *record);
    } else if (className == "THeroF") {
        made = new THeroF(field, characterIndex, *record);
    } else if (className == "THeroK") {
        made = new THeroK(field, characterIndex, *record);
    } else if (className == "THeroG") {
        made = new THeroG(field, characterIndex, *record);
    } else if (className == "THeroH") {
        made = new THeroH(field, characterIndex, *record);
    } else if (className == "THeroI") {
        made = new THeroI(field, characterIndex, *record);
    } else if (className == "THeroJ") {
        made = new THeroJ(field, characterIndex, *record);
    } else if (className == "THeroine08") {
        made = new THeroine08(field, characterIndex, *record);
    } else {
        made = new TStandInHero(field, characterIndex, *record, className, model);
    }
    TRefPtr<TPlayerCharacter> player(made);
    data->UpdateSkillBonuses(characterIndex);
    TPlayerCharacter::MoveUvRegionTrianglesLast(*player->GetBodyMesh());
    return player;
}
