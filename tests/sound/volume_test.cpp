#include <gtest/gtest.h>

#include "dx/dx8/sound/TStreamSound.h"

TEST(AttenuationToVolume, KnownPointsAndAlwaysQuieter)
{
    EXPECT_EQ(AttenuationToVolume(0.0f), 0);
    EXPECT_EQ(AttenuationToVolume(0.25f), -484);
    EXPECT_EQ(AttenuationToVolume(0.5f), -1875);
    EXPECT_EQ(AttenuationToVolume(1.0f), -10000);
    int previous = 1;
    for (int i = 0; i <= 100; ++i) {
        const int v = AttenuationToVolume(static_cast<float>(i) / 100.0f);
        EXPECT_LT(v, previous) << i;  // more attenuation is always quieter
        previous = v;
    }
}
