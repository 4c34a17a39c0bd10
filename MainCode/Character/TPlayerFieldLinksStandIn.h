// Stand-in for reading the field scene's parts until the field scene is merged in: the links are
// whatever was set last, for every field.
#pragma once

#include "MainCode/Character/TPlayerCharacter.h"

void SetPlayerFieldLinksStandIn(const TPlayerFieldLinks& links);
