// Stand-ins for the player calls that map objects and villagers make, until the player character
// has them: the action button, the save request of a save point, death and the pick-up sounds.
// The save request and the sounds are recorded so that their callers can be checked.
#pragma once

#include <cstdint>
#include <vector>

class TAreaBase;
class TPlayerCharacter;

struct TPlayerSeamRecord {
    bool savePending = false;
    std::int32_t savePointId = -1;
    bool dead = false;
    std::vector<std::uint32_t> sounds;  // every sound the player was asked to play, in order
};
TPlayerSeamRecord& GetPlayerSeamRecord();
void ResetPlayerSeamRecord();

// Bit 16 of the input newly pressed this step (the player stand-in is always free to act).
bool IsPlayerActionButtonPressed(const TAreaBase* area);
// A first request plays sound 503, marks it and answers true; a pending one only takes the id.
bool RequestPlayerSave(TPlayerCharacter* player, std::int32_t savePointId);
void ClearPlayerSaveRequest(TPlayerCharacter* player);
bool IsPlayerDead(const TPlayerCharacter* player);
void PlayPlayerSound(TPlayerCharacter* player, std::uint32_t id);
