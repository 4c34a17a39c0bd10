// Writes an RGBA picture as PNG, for looking at what a failing picture test drew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qmtest {

// Rows from the top, four bytes a pixel. False when libpng is not available or the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba);

}  // namespace qmtest
