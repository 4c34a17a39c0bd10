// What happens at one frame of a character's motion: an attack, an event, a sound or voice,
// a camera shake, a flash and the body's movement. Records of a pattern are indexed by frame;
// a record made by code is all zero but for what it sets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3dx8/d3dx8math.h"

struct TPatternEvent {
    std::uint16_t AttackId = 0;
    std::uint8_t SecondByte = 0;
    std::uint16_t EventCode = 0;
    std::uint32_t SoundId = 0;
    std::uint32_t VoiceId = 0;
    std::uint8_t ShakeLevel = 0;  // 1..5
    D3DXVECTOR3 Displacement;     // moved in the character's own space while the frame is current
    std::uint8_t FlashFlag = 0;
    std::uint8_t ExtraFlag = 0;
};

static_assert(sizeof(TPatternEvent) == 36 && offsetof(TPatternEvent, EventCode) == 4);
