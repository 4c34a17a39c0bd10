// One number for what a field step decided: where the player and every live enemy (by type) stand, their
// states and HP, and the effects live and made so far. Two runs of the same inputs compare step
// by step.
#pragma once

#include <cstdint>

class TAreaBase;

namespace qmtest {

std::uint64_t FieldStateHash(TAreaBase* area);

}  // namespace qmtest
