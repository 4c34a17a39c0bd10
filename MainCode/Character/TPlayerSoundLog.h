// A recording seam for the player's sounds and voices, as the effect manager has one for effects:
// every later play is appended (bank 0 sound effects, 1 voices; null stops recording).
#pragma once

#include <cstdint>
#include <vector>

struct TPlayedSound {
    std::uint32_t bank;
    std::uint32_t id;
};

void SetPlayerSoundLog(std::vector<TPlayedSound>* log);
