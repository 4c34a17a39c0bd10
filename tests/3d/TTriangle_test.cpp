// The collision face base: normal, surface constant and the classify call made once they are set.
#include <gtest/gtest.h>

#include "dx/dx8/3d/TTriangle.h"

namespace {

// Records what the face looked like when it was asked to classify itself.
class RecordingFace : public TTriangle {
public:
    void Classify(const float* extra) override
    {
        extra_ = extra;
        normalAtClassify_ = m_normal;
        dAtClassify_ = m_d;
        ++calls_;
    }
    const float* extra_ = nullptr;
    D3DXVECTOR3 normalAtClassify_;
    float dAtClassify_ = -1.0F;
    int calls_ = 0;
};

TEST(Triangle, NormalAndConstantFollowTheCornerOrder)
{
    RecordingFace face;
    const float colour[4] = {1, 0.5F, 0.25F, 1};
    face.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 0, 1), colour);
    EXPECT_EQ(face.GetNormal(), D3DXVECTOR3(0, -1, 0));
    EXPECT_EQ(face.GetD(), 0.0F);
    EXPECT_EQ(face.GetNormalLength(), 1.0F);
    EXPECT_EQ(face.GetPoint(1), D3DXVECTOR3(1, 0, 0));
    // Classify runs last, with everything in place and the argument passed through.
    EXPECT_EQ(face.calls_, 1);
    EXPECT_EQ(face.extra_, colour);
    EXPECT_EQ(face.normalAtClassify_, D3DXVECTOR3(0, -1, 0));

    // The other winding faces up; a face off the origin has n · x + d = 0 on it.
    face.Set(D3DXVECTOR3(2, 3, 1), D3DXVECTOR3(2, 3, 5), D3DXVECTOR3(6, 3, 1), nullptr);
    EXPECT_EQ(face.GetNormal(), D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(face.GetD(), -3.0F);
    EXPECT_EQ(face.dAtClassify_, -3.0F);
    const D3DXVECTOR3 inside(3, 3, 2);
    EXPECT_EQ(D3DXVec3Dot(&face.GetNormal(), &inside) + face.GetD(), 0.0F);

    // A slope: the normal is of unit length whatever the size of the face.
    face.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 40, 40), D3DXVECTOR3(40, 0, 0), nullptr);
    EXPECT_NEAR(face.GetNormal().y, 0.70710677F, 1e-6F);
    EXPECT_NEAR(face.GetNormal().z, -0.70710677F, 1e-6F);
    EXPECT_NEAR(face.GetNormalLength(), 1.0F, 1e-6F);
}

TEST(Triangle, AFaceWithoutAreaHasNoNormal)
{
    RecordingFace face;
    face.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(2, 2, 2), nullptr);
    EXPECT_EQ(face.GetNormal(), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(face.GetNormalLength(), 0.0F);
    EXPECT_EQ(face.calls_, 1);
}

}  // namespace
