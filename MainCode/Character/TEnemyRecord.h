// One kind of enemy as "enemy.tbl" describes it. The enemy copies what it needs at construction;
// nothing keeps a pointer into the table.
#pragma once

#include <cstdint>
#include <string>

struct TEnemyRecord {
    std::uint32_t id = 0xFFFFFFFF;
    std::string label;
    float height = 0.0F;  // the centre height of the body
    float shadowSize = 0.0F;
    std::uint8_t objectFlagA = 0;  // shadow shown
    std::uint8_t objectFlagB = 1;  // pushable
    float gravity = 0.0F;
    // Knock-down, launch and stun accepted.
    std::uint8_t armedByte0 = 0;
    std::uint8_t armedByte1 = 0;
    std::uint8_t armedByte2 = 0;
    std::int32_t maxHp = 0;
    std::int32_t hp = 0;
    std::int32_t maxMp = 0;
    std::int32_t mp = 0;
    std::int32_t str = 0;
    std::int32_t vit = 0;
    std::int32_t intel = 0;
    std::int32_t men = 0;
    // The six element rates of the character base, stored as their float bits.
    float armedStats[6] = {};
    std::int32_t level = 0;
    float gainFactor = 0.0F;
    std::int32_t levelWordA = 0;
    std::int32_t levelWordB = 0;
    std::int32_t levelWordAPerLevel = 0;
    std::int32_t levelWordBPerLevel = 0;
    // Thousandths of the (20 + L) x L curve.
    std::int32_t strGrowth = 0;
    std::int32_t vitGrowth = 0;
    std::int32_t intGrowth = 0;
    std::int32_t menGrowth = 0;
    std::int32_t hpGrowth = 0;
    std::int32_t lootWord0 = 0;
    std::int32_t money = 0;
    std::int32_t item = 0;  // -1: a roll that picks it ends without a drop
    std::int32_t dropItem = 0;
    float itemChance = 0.0F;
    float dropChance = 0.0F;
    std::string modelName;
    std::string soundName;
};
