#include <gtest/gtest.h>

#include <cmath>

#include "dx/dx8/sound/TStreamSound.h"

namespace {

// The curve's own definition, in double: -1000·t(1-t)² - 4000·t²(1-t) - 10000·t³.
double Curve(double t)
{
    return -1000.0 * t * (1 - t) * (1 - t) - 4000.0 * t * t * (1 - t) - 10000.0 * t * t * t;
}

TEST(AttenuationToVolume, KnownPointsAndTheCurveBetween)
{
    EXPECT_EQ(AttenuationToVolume(0.0f), 0);
    EXPECT_EQ(AttenuationToVolume(0.25f), -484);
    EXPECT_EQ(AttenuationToVolume(0.5f), -1875);
    EXPECT_EQ(AttenuationToVolume(1.0f), -10000);
    int previous = 1;
    for (int i = 0; i <= 100; ++i) {
        const float t = static_cast<float>(i) / 100.0f;
        const int v = AttenuationToVolume(t);
        EXPECT_NEAR(v, std::trunc(Curve(t)), 1.0) << t;  // truncated toward zero
        EXPECT_LT(v, previous) << t;  // more attenuation is always quieter
        previous = v;
    }
}

}  // namespace
