// The links a player made without a field scene takes (characters checked on their own): whatever
// was set last. A player made in a field takes the field's own parts.
#pragma once

#include "MainCode/Character/TPlayerCharacter.h"

void SetDetachedPlayerFieldLinks(const TPlayerFieldLinks& links);
