#include "MainCode/Character/MersenneTwister.h"

namespace {

constexpr int N = 624;
constexpr int M = 397;
constexpr std::uint32_t kMatrixA = 0x9908B0DFu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7FFFFFFFu;

std::uint32_t mt[N];
int mti = N + 1;  // never seeded

}  // namespace

void init_genrand(std::uint32_t seed)
{
    mt[0] = seed;
    for (mti = 1; mti < N; ++mti) {
        mt[mti] = 1812433253u * (mt[mti - 1] ^ (mt[mti - 1] >> 30)) + static_cast<std::uint32_t>(mti);
    }
}

std::uint32_t genrand_int32()
{
    static const std::uint32_t mag01[2] = {0u, kMatrixA};
    std::uint32_t y;
    if (mti >= N) {
        if (mti == N + 1) {
            init_genrand(5489u);
        }
        int kk = 0;
        for (; kk < N - M; ++kk) {
            y = (mt[kk] & kUpperMask) | (mt[kk + 1] & kLowerMask);
            mt[kk] = mt[kk + M] ^ (y >> 1) ^ mag01[y & 1u];
        }
        for (; kk < N - 1; ++kk) {
            y = (mt[kk] & kUpperMask) | (mt[kk + 1] & kLowerMask);
            mt[kk] = mt[kk + (M - N)] ^ (y >> 1) ^ mag01[y & 1u];
        }
        y = (mt[N - 1] & kUpperMask) | (mt[0] & kLowerMask);
        mt[N - 1] = mt[M - 1] ^ (y >> 1) ^ mag01[y & 1u];
        mti = 0;
    }
    y = mt[mti++];
    y ^= (y >> 11);
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= (y >> 18);
    return y;
}

std::uint32_t genrand_int31() { return genrand_int32() >> 1; }
