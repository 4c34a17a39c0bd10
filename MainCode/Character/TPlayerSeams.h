// The player calls that map objects and villagers make, taking a player that may be missing: the
// action button, the save request of a save point, death and the pick-up sounds.
#pragma once

#include <cstdint>

class TAreaBase;
class TPlayerCharacter;

// The area's player's action button newly pressed while it may act; false without a player.
bool IsPlayerActionButtonPressed(const TAreaBase* area);
// A first request plays the save sound, marks it and answers true; a pending one only takes the id.
bool RequestPlayerSave(TPlayerCharacter* player, std::int32_t savePointId);
void ClearPlayerSaveRequest(TPlayerCharacter* player);
bool IsPlayerDead(const TPlayerCharacter* player);
void PlayPlayerSound(TPlayerCharacter* player, std::uint32_t id);
