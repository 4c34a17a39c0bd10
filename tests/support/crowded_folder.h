// Folders of tens of thousands of empty files, for the folder reads of case-blind look-ups. Each
// is written once beside the test programs (a temporary folder can be far slower at making files;
// where the programs' folder takes nothing, once in the process's own) and shared, read only, by
// every test that links it into its own folder.
#pragma once

#include <filesystem>

namespace qmtest {

// The folder of `names` empty files "p00000", "p00001", ...; empty when it cannot be had.
std::filesystem::path CrowdedFolder(int names);

// A link at `at` to that folder; false when it cannot be made.
bool LinkCrowdedFolder(const std::filesystem::path& at, int names);

}  // namespace qmtest
