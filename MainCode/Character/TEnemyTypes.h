// Which enemy class each enemy type id is built as, with the class's own arguments.
#pragma once

#include <cstdint>

enum class TEnemyClass : std::uint8_t { A, B, C, D, E, TimeStop };

struct TEnemyTypeRow {
    TEnemyClass enemyClass;
    std::int32_t attackCount;
    // C: element. D: revive event code, stat factor, revive limit. Time stop: aura.
    std::int32_t arg1;
    float arg2;
    std::int32_t arg3;
    std::uint8_t tableFlag;
};

// Null for an id without a class: 0..79, 10000 and 10001..10027 have one.
const TEnemyTypeRow* FindEnemyType(std::uint32_t typeId);
