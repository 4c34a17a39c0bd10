#include <gtest/gtest.h>

#include "MainCode/Character/MersenneTwister.h"

TEST(MersenneTwister, SeedsAndSequencesMatchTheReferenceGenerator)
{
    // The published outputs for the default seed, including across a table regeneration.
    init_genrand(5489u);
    EXPECT_EQ(genrand_int32(), 3499211612u);
    EXPECT_EQ(genrand_int32(), 581869302u);
    for (int i = 2; i < 9999; ++i) {
        genrand_int32();
    }
    EXPECT_EQ(genrand_int32(), 4123659995u);  // the 10000th output
}
