// Looking into a scene's frame tree from a test.
#pragma once

#include <string>

#include "dx/dx8/3d/TFrame.h"

namespace qmtest {

// The frame's direct child of that name, or null.
TFrame* ChildFrame(const TFrame* frame, const std::string& name);
// The frame's position in its parent.
D3DXVECTOR3 PositionOf(const TFrame* frame);
// Each coordinate within 1e-4.
void ExpectNear(const D3DXVECTOR3& got, const D3DXVECTOR3& want);

}  // namespace qmtest
