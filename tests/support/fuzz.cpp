#include "support/fuzz.h"

#include <gtest/gtest.h>

#include <exception>
#include <random>

#include "TCommon/my_error.h"
#include "support/alloc_probe.h"
#include "formats/byte_writer.h"

namespace qmtest {

namespace {

constexpr int kMaxReported = 5;

// Loads one damaged file; true when it ended well (normally or with my_error).
bool RunCase(const std::vector<std::uint8_t>& bytes, const std::string& path,
             const std::function<void(const std::string&)>& load, const FuzzOptions& options,
             const std::string& what)
{
    SaveBytes(path, bytes);
    AllocationProbe probe;
    try {
        load(path);
    } catch (const my_error&) {
        // The game's own error handling: accepted.
    } catch (const std::exception& e) {
        ADD_FAILURE() << what << ": unexpected exception: " << e.what();
        return false;
    } catch (...) {
        ADD_FAILURE() << what << ": unexpected non-standard exception";
        return false;
    }
    if (AllocationProbe::Available() && probe.Largest() > options.maxAllocation) {
        ADD_FAILURE() << what << ": allocated a block of " << probe.Largest() << " bytes";
        return false;
    }
    return true;
}

}  // namespace

void FuzzFile(const std::vector<std::uint8_t>& valid, const std::string& path,
              const std::function<void(const std::string&)>& load, const FuzzOptions& options)
{
    int failures = 0;
    for (std::size_t length = 0; length < valid.size() && failures < kMaxReported; ++length) {
        const bool nearEnd = length < options.denseEdge || length + options.denseEdge >= valid.size();
        if (options.truncationStride > 1 && !nearEnd && length % options.truncationStride != 0) {
            continue;
        }
        std::vector<std::uint8_t> cut(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(length));
        if (!RunCase(cut, path, load, options, "truncated to " + std::to_string(length) + " bytes")) {
            ++failures;
        }
    }
    if (valid.empty()) {
        return;
    }
    std::mt19937 random(options.seed);
    std::uniform_int_distribution<std::size_t> position(0, valid.size() - 1);
    std::uniform_int_distribution<int> changes(1, 4);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < options.mutations && failures < kMaxReported; ++i) {
        std::vector<std::uint8_t> damaged = valid;
        const int count = changes(random);
        for (int c = 0; c < count; ++c) {
            // Half the changes flip one bit, half write a random byte (0xFF lengths and such).
            std::uint8_t& target = damaged[position(random)];
            if (byte(random) < 128) {
                target = static_cast<std::uint8_t>(target ^ (1u << (byte(random) & 7)));
            } else {
                target = static_cast<std::uint8_t>(byte(random));
            }
        }
        if (!RunCase(damaged, path, load, options,
                     "mutation " + std::to_string(i) + " (seed " + std::to_string(options.seed) + ")")) {
            ++failures;
        }
    }
}

}  // namespace qmtest
