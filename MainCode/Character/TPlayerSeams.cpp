#include "MainCode/Character/TPlayerSeams.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"

namespace {

constexpr std::uint16_t kActionButton = 0x10;
constexpr std::uint32_t kSaveSound = 503;

}  // namespace

TPlayerSeamRecord& GetPlayerSeamRecord()
{
    static TPlayerSeamRecord record;
    return record;
}

void ResetPlayerSeamRecord()
{
    GetPlayerSeamRecord() = TPlayerSeamRecord();
}

bool IsPlayerActionButtonPressed(const TAreaBase* area)
{
    const TGameWnd* app = area != nullptr ? area->GetApp() : nullptr;
    const TInputDevice* input = app != nullptr ? app->GetInput() : nullptr;
    return input != nullptr && input->IsPressed(kActionButton);
}

bool RequestPlayerSave(TPlayerCharacter* player, std::int32_t savePointId)
{
    TPlayerSeamRecord& record = GetPlayerSeamRecord();
    record.savePointId = savePointId;
    if (record.savePending) {
        return false;
    }
    PlayPlayerSound(player, kSaveSound);
    record.savePending = true;
    return true;
}

void ClearPlayerSaveRequest(TPlayerCharacter*)
{
    TPlayerSeamRecord& record = GetPlayerSeamRecord();
    record.savePending = false;
    record.savePointId = -1;
}

bool IsPlayerDead(const TPlayerCharacter*)
{
    return GetPlayerSeamRecord().dead;
}

void PlayPlayerSound(TPlayerCharacter* player, std::uint32_t id)
{
    GetPlayerSeamRecord().sounds.push_back(id);
    if (player != nullptr) {
        player->PlaySound(id);
    }
}
