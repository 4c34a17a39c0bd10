// Writers of a character's pattern file (".pat": patterns of 28-byte frame records) and
// weapon-state file (".wpm": weapon key poses and the key of every motion frame).
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Character/TPatternEvent.h"
#include "platform/d3dx8/d3dx8math.h"

namespace qmtest {

std::vector<std::uint8_t> BuildPatternFile(const std::vector<std::vector<TPatternEvent>>& patterns,
                                           std::uint32_t header = 0);

struct WeponKey {
    D3DXVECTOR3 firstPosition;
    D3DXQUATERNION firstRotation{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR3 secondPosition;
    D3DXQUATERNION secondRotation{0.0f, 0.0f, 0.0f, 1.0f};
};

// motions[m] holds the key index of each frame of motion m.
std::vector<std::uint8_t> BuildWeponStateFile(const std::vector<WeponKey>& keys,
                                              const std::vector<std::vector<std::uint32_t>>& motions,
                                              std::uint32_t header = 0);

}  // namespace qmtest
