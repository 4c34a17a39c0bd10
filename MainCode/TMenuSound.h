// The sounds of the screens in the effect bank: the menus, shops, save screens, the title, the
// message window, the item ring and the skill gauge. Each loads the ones it plays from its own table.
#pragma once

#include <cstdint>

enum TMenuSound : std::uint32_t {
    kSoundCursor = 600,      // the title's and the pause menu's cursor, the choice windows'
    kSoundListCursor = 601,  // a cursor in a list, a shop, a save screen, an answer, a skill slot
    kSoundSet = 602,         // a skill set, an item equipped
    kSoundDecide = 603,
    kSoundStart = 605,       // a new game, a load that carries over, a save written
    kSoundCancel = 606,
    kSoundTurn = 607,        // the item ring turned
    kSoundRefused = 608,     // refused or failed
};
