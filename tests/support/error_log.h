// The game's error log, read back by tests.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace qmtest {

// While it lives, the program seems to run from folder and writes its error log there, appending
// and showing no boxes; the game's own log options come back after.
class ErrorLogBeside {
public:
    explicit ErrorLogBeside(const std::filesystem::path& folder);
    ~ErrorLogBeside();
    ErrorLogBeside(const ErrorLogBeside&) = delete;
    ErrorLogBeside& operator=(const ErrorLogBeside&) = delete;

    // The log as written so far; empty while nothing was.
    std::string Log() const;

private:
    std::filesystem::path folder_;
};

// How many times part occurs in text, overlaps counted.
std::size_t CountOf(const std::string& text, const std::string& part);

}  // namespace qmtest
