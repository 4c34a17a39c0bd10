#include <gtest/gtest.h>

#include "MainCode/Character/MersenneTwister.h"

TEST(MersenneTwister, SeedsAndSequencesMatchTheReferenceGenerator)
{
    init_genrand(5489u);
    EXPECT_EQ(genrand_int32(), 3499211612u);
}
