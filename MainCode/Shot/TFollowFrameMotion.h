// A jittered placement around a frame it keeps alive (trails): the characters' held random offset
// move under the name the shot code uses.
#pragma once

#include "MainCode/Character/THeldRandomOffsetMotion.h"

using TFollowFrameMotion = THeldRandomOffsetMotion;
