// Walking the player about a field as a player would: the arrow keys that head it for a point as
// the camera looks, for the whole-game roads.
#pragma once

#include "platform/d3dx8/d3dx8math.h"

class TFieldLoop;
class TGameObject;

namespace qmtest {

D3DXVECTOR3 PositionOf(TGameObject* object);
// Distance on the ground, heights left out.
float FlatDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b);
// Holds the arrows that walk the field's player towards target (and releases the others).
void WalkTowards(TFieldLoop* field, const D3DXVECTOR3& target);
void ReleaseArrows();

}  // namespace qmtest
