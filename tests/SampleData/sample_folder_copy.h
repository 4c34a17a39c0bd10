// The sample folder for a road: written once per build of the test program and copied from there,
// so that the roads, each in its own process, do not all generate the same folder again.
#pragma once

#include <filesystem>

namespace qmtest {

// Fills root (an existing, empty folder) with the sample folder, byte for byte what
// sample::WriteSampleFolder writes. The copy kept beside the test program is named after the
// program's own build (its time and size), so a rebuilt generator writes a new one; where that
// copy cannot be made, the folder is generated in place.
void CopySampleFolder(const std::filesystem::path& root);

}  // namespace qmtest
