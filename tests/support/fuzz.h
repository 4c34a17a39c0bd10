// Robustness runs for file readers: every truncation of a valid file and seeded random byte
// changes, each loaded through the reader under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace qmtest {

struct FuzzOptions {
    std::uint32_t seed = 20240501;
    int mutations = 3000;
    // Truncations: every length when 1; otherwise every stride-th length, but every length
    // within denseEdge bytes of either end (where the headers and the last fields lie).
    std::size_t truncationStride = 1;
    std::size_t denseEdge = 0;
    // A larger single allocation while loading fails the case.
    std::size_t maxAllocation = 16u << 20;
};

// Writes each damaged copy of valid to path and calls load(path). load may end in my_error
// (the game's own failure); any other exception, or too large an allocation, fails the test
// with the case named. Crashes and sanitizer reports end the test binary.
void FuzzFile(const std::vector<std::uint8_t>& valid, const std::string& path,
              const std::function<void(const std::string&)>& load, const FuzzOptions& options = FuzzOptions());

// One row of a folder's table of loaders: a good file (written from the folder the test uses), the
// name its damaged copies take there, and the load that must survive them.
struct DamagedFile {
    const char* loader;
    const char* file;
    std::function<std::vector<std::uint8_t>(const std::string& folder)> valid;
    std::function<void(const std::string& path)> load;
    FuzzOptions options = {};
    friend void PrintTo(const DamagedFile& d, std::ostream* os) { *os << d.loader; }
    // The test's name: the loader's.
    struct Name {
        template <typename Info>
        std::string operator()(const Info& info) const { return info.param.loader; }
    };
};

}  // namespace qmtest
