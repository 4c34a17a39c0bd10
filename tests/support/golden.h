// Picture tests: a frame compared with its golden PNG in tests/golden/.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/d3d8/d3d8_testing.h"

namespace qmtest {

// Red, green and blue of every pixel within tolerance of the golden, with at most maxBadPixels
// beyond it. On a mismatch the frame is written to golden_actual/<name>.png beside the test
// executable. With QM_UPDATE_GOLDEN=1 the golden is written instead (look at it before committing).
::testing::AssertionResult MatchesGolden(const platform::RgbaImage& image, const std::string& name, int tolerance = 8,
                                         int maxBadPixels = 16);

// A text output compared byte for byte with tests/golden/<name>; rewritten under QM_UPDATE_GOLDEN=1 as above.
::testing::AssertionResult MatchesGoldenText(const std::string& text, const std::string& name);

}  // namespace qmtest
