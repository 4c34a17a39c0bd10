#include "MainCode/Character/TPlayerSeams.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"

bool IsPlayerActionButtonPressed(const TAreaBase* area)
{
    const TPlayerCharacter* player = area != nullptr ? area->GetPlayer() : nullptr;
    return player != nullptr && player->IsActionButtonPressed();
}

bool RequestPlayerSave(TPlayerCharacter* player, std::int32_t savePointId)
{
    return player != nullptr && player->RequestSave(savePointId);
}

void ClearPlayerSaveRequest(TPlayerCharacter* player)
{
    if (player != nullptr) {
        player->ClearSaveRequest();
    }
}

bool IsPlayerDead(const TPlayerCharacter* player)
{
    return player != nullptr && player->IsDead();
}

void PlayPlayerSound(TPlayerCharacter* player, std::uint32_t id)
{
    if (player != nullptr) {
        player->PlaySound(id);
    }
}
