// A player's hands on the field for whole-game roads: where things stand, and the arrow keys that
// walk the player towards a point as the camera looks.
#pragma once

#include "platform/d3dx8/d3dx8math.h"

class TFieldLoop;
class TGameObject;

namespace qmtest {

D3DXVECTOR3 PositionOf(TGameObject* object);
float FlatDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b);
// Holds the arrows that walk the player towards target, seen from the camera.
void WalkTowards(TFieldLoop* field, const D3DXVECTOR3& target);
void ReleaseArrows();

}  // namespace qmtest
