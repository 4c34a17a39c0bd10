// Writer of ".pse" sound packages: a directory of named entries, then the wave records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dsound/dsound.h"

namespace qmtest {

struct PseWave {
    std::string name;
    WAVEFORMATEX format;
    std::vector<std::uint8_t> data;
};

// Entries in the order given; each points at its own wave record.
std::vector<std::uint8_t> BuildPse(const std::vector<PseWave>& waves);

}  // namespace qmtest
