// Picture tests: a frame compared with its golden PNG in tests/golden/.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/testing/d3d8.h"

namespace qmtest {

// Two frames of one size alike: red, green and blue within tolerance but for at most maxBadPixels
// pixels, and at least minCovered pixels of a drawn (not black).
::testing::AssertionResult SamePicture(const platform::RgbaImage& a, const platform::RgbaImage& b, int tolerance,
                                       int maxBadPixels, int minCovered = 0);

// Red, green and blue of every pixel within tolerance of the golden, with at most maxBadPixels
// beyond it. On a mismatch the frame is written to golden_actual/<name>.png beside the test
// executable. With QM_UPDATE_GOLDEN=1 the golden is written instead (look at it before committing).
::testing::AssertionResult MatchesGolden(const platform::RgbaImage& image, const std::string& name, int tolerance = 8,
                                         int maxBadPixels = 16);

// The part of a frame from (x, y), width × height (a region inside the frame).
platform::RgbaImage Crop(const platform::RgbaImage& image, int x, int y, int width, int height);

// The brightest red, green or blue of the frame (0 for a black frame).
int Brightest(const platform::RgbaImage& image);

// A text output compared byte for byte with tests/golden/<name>; rewritten under QM_UPDATE_GOLDEN=1 as above.
::testing::AssertionResult MatchesGoldenText(const std::string& text, const std::string& name);

}  // namespace qmtest
