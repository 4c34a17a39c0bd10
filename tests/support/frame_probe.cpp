#include "support/frame_probe.h"

#include <gtest/gtest.h>

namespace qmtest {

TFrame* ChildFrame(const TFrame* frame, const std::string& name)
{
    for (std::size_t i = 0; i < frame->GetChildCount(); ++i) {
        if (frame->GetChild(i)->GetName() == name) {
            return frame->GetChild(i);
        }
    }
    return nullptr;
}

D3DXVECTOR3 PositionOf(const TFrame* frame)
{
    D3DXVECTOR3 p;
    frame->GetPosition(&p);
    return p;
}

void ExpectNear(const D3DXVECTOR3& got, const D3DXVECTOR3& want)
{
    EXPECT_NEAR(got.x, want.x, 1e-4F);
    EXPECT_NEAR(got.y, want.y, 1e-4F);
    EXPECT_NEAR(got.z, want.z, 1e-4F);
}

}  // namespace qmtest
