// Stand-ins until the pattern-event dispatcher and the pattern-id actions of the player come: each
// keeps the least the rest of the player relies on.
#include "MainCode/Character/TPlayerCharacter.h"

// Stand-in: the armed character's dispatcher only.
void TPlayerCharacter::OnPatternEvent(const TPatternEvent& frame) { TArmedCharacter::OnPatternEvent(frame); }

// Stand-in for the pattern-id table: every id of 100..159 has the common no-op for both flags.
TPlayerCharacter::PatternAction TPlayerCharacter::GetPatternFunc(std::uint32_t patternId, std::uint8_t) const
{
    if (patternId < 100 || patternId > 159) {
        return nullptr;
    }
    return &TPlayerCharacter::PatternNoOp;
}
