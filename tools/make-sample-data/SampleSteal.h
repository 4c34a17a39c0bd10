// The thieves' hollow, through the meadow's south-west corner (map "04.pbms/x04_01"): three of the
// field enemy's kind stand there, one carrying an item, one a purse, one only built to be thrown
// about. The sword's class has two skills for them: a slash that steals (tapped: a plain steal,
// held: a strong one) and a launch whose follow-through keeps striking the thrown body, heavily,
// every step. A sword lying a few steps ahead of the way in teaches both.
#pragma once

#include <cstdint>

#include "SampleData.h"

namespace sample {

struct StealLayout {
    static constexpr const char* kEntry = "x04_01";
    static constexpr const char* kMap = "04.pbms/x04_01";
    // The sword class's skills: 2001 taps into row 51 (motion 61) and holds into row 53 (motion 62),
    // 2002 taps into row 55 (motion 63).
    static constexpr std::uint32_t kStealSkill = 2001;
    static constexpr std::uint32_t kJuggleSkill = 2002;
    static constexpr std::uint32_t kTapMotion = 61, kHoldMotion = 62, kJuggleMotion = 63;
    // The thief's sword (type 0): the stealing slash at 100 ability points, the launch at 200. It
    // lies ahead of the arrival from the meadow (38, 0, 10, facing +z), taken once.
    static constexpr std::uint32_t kSword = 1120;
    static constexpr std::uint32_t kSwordFlag = 250;
    static D3DXVECTOR3 SwordPickup() { return {38.0F, 0.4F, 14.0F}; }
    // Its own ground (in the mesh folder's "map04/", its collision faces in "_" + that).
    static constexpr const char* kGroundMesh = "x04_01.msh";
    // The strikes: their hit kind words ask for a plain (100000) and a strong (100001) steal.
    static constexpr std::uint16_t kPlainSteal = 12101;
    static constexpr std::uint16_t kStrongSteal = 12102;
    static constexpr std::uint16_t kLaunch = 12103;
    static constexpr std::uint16_t kJuggle = 12104;
    // The juggle strikes heavily once a step, sixty times, knock time 400.
    static constexpr std::uint32_t kJuggleHits = 60;
    static constexpr float kJuggleKnockTime = 400.0F;
    // The carriers: one with a magic potion (item 2) always within reach of a steal, one with a purse
    // of 500 and nothing else; and the one to juggle.
    static constexpr std::uint32_t kThiefType = 41;
    static constexpr std::uint32_t kPurseType = 42;
    static constexpr std::uint32_t kJuggledType = 43;
    static constexpr std::uint32_t kCarriedItem = 2;
    static constexpr std::int32_t kPurse = 500;
    // Far enough apart (over 18) that an enemy the hero stands by is the only one coming at him.
    static D3DXVECTOR3 Thief() { return {6.0F, 0.0F, 24.0F}; }
    static D3DXVECTOR3 PurseCarrier() { return {20.0F, 0.0F, 12.0F}; }
    static D3DXVECTOR3 Juggled() { return {34.0F, 0.0F, 24.0F}; }
    // Placed enemies leave farther than this from the hero: none does in the hollow.
    static constexpr float kSpawnDistance = 60.0F;
    // The gates: the meadow's south-west corner into the hollow, the hollow's south-east corner back.
    static D3DXVECTOR3 MeadowGateMinimum() { return {0.0F, 0.0F, 0.0F}; }
    static D3DXVECTOR3 MeadowGateMaximum() { return {3.5F, 4.0F, 2.5F}; }
    static D3DXVECTOR3 HollowGateMinimum() { return {36.5F, 0.0F, 0.0F}; }
    static D3DXVECTOR3 HollowGateMaximum() { return {40.0F, 4.0F, 2.5F}; }
};

}  // namespace sample
