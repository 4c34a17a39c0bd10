// One entry of the attack table: what kind of attack hit an attack id makes and with which values.
// Read field by field from ".bht" files; a record never read keeps these defaults.
#pragma once

#include <cstdint>

struct TAttackRecord {
    std::uint32_t Id = 0;
    std::uint32_t Kind = 0;  // 0 timed hit, 1 held hit, 2 timed held hit
    std::uint32_t CancelMask = 0;
    std::uint32_t Placement = 0;  // read by the character's placement operation
    std::uint32_t Lifetime = 1;
    float Offset[3] = {0.0F, 0.0F, 0.0F};
    std::int32_t Interval = 10;
    std::uint32_t Flags = 1;
    std::uint32_t Element = 0;
    std::uint32_t Param3 = 0;
    std::uint32_t HitCount = 1;
    float DamageFactor = 1.0F;
    float Radius = 0.5F;
    float ValueA = 1.0F;
    float KnockTime = 120.0F;
    float LaunchSpeed = 0.05F;
    std::int32_t Param8 = -1;

    // Bytes of one record in the file.
    static constexpr std::uint32_t kFileSize = 76;
};
