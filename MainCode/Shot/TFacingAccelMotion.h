// The shots' accelerated move that turns its frame toward a frame: the characters' attached
// accelerated move under the name the shot code uses.
#pragma once

#include "MainCode/Character/TAttachedAccelMotion.h"

using TFacingAccelMotion = TAttachedAccelMotion;
