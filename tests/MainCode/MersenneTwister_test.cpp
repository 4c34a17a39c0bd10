#include <gtest/gtest.h>

#include "MainCode/Character/MersenneTwister.h"

TEST(MersenneTwister, SeedsAndSequencesMatchTheReferenceGenerator)
{
    init_genrand(5489u);
    EXPECT_EQ(genrand_int32(), 3499211612u);
}

TEST(MersenneTwister, Int31IsTheNextOutputShiftedOnceFromTheSameStream)
{
    init_genrand(5489u);
    EXPECT_EQ(genrand_int31(), 3499211612u >> 1);
    EXPECT_EQ(genrand_int32(), 581869302u);
    EXPECT_EQ(genrand_int31(), 3890346734u >> 1);
}
