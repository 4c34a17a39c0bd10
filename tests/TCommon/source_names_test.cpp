// ErrorLog.txt records name the game's own short source names; the build machine's paths must not
// reach the executable through the compiler's file-name macro. And no part of the game stands in
// for one still to come: nothing in its sources calls itself a stand-in.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The game's sources (names and text) for which offends(name, text) holds; scanned counts them all.
std::vector<std::string> Offenders(const std::function<bool(const std::string&, const std::string&)>& offends,
                                   std::size_t& scanned)
{
    const char* const folders[] = {"MainCode", "dx", "TCommon", "TUtility", "platform"};
    std::vector<std::string> offenders;
    scanned = 0;
    for (const char* folder : folders) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(QM_SOURCE_DIR) / folder)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) {
                continue;
            }
            ++scanned;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            if (offends(entry.path().filename().string(), text.str())) {
                offenders.push_back(entry.path().string());
            }
        }
    }
    return offenders;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

TEST(SourceNames, NoGameSourcePassesTheCompilersFileName)
{
    const std::string macro = std::string("__") + "FILE__";
    std::size_t scanned = 0;
    const std::vector<std::string> offenders =
        Offenders([&](const std::string&, const std::string& text) { return text.find(macro) != std::string::npos; },
                  scanned);
    EXPECT_GT(scanned, 100u);
    EXPECT_TRUE(offenders.empty()) << offenders.front();
}

TEST(SourceNames, NoGameSourceCallsItselfAStandIn)
{
    // The words, and the placeholders' own names, in files and in text.
    const std::vector<std::string> words = {"stand-in", "tstandin", "stand in for the",
                                            "trecordingloop", "tosavepoint", "fieldhudstandins"};
    std::size_t scanned = 0;
    const std::vector<std::string> offenders = Offenders(
        [&](const std::string& name, const std::string& text) {
            const std::string all = Lower(name + "\n" + text);
            return std::any_of(words.begin(), words.end(),
                               [&](const std::string& w) { return all.find(w) != std::string::npos; });
        },
        scanned);
    EXPECT_GT(scanned, 100u);
    EXPECT_TRUE(offenders.empty()) << offenders.front();
}

}  // namespace
