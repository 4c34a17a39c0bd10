// ErrorLog.txt records name the game's own short source names; the build machine's paths must not
// reach the executable through the compiler's file-name macro.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(SourceNames, NoGameSourcePassesTheCompilersFileName)
{
    const char* const folders[] = {"MainCode", "dx", "TCommon", "TUtility", "platform"};
    const std::string macro = std::string("__") + "FILE__";
    std::vector<std::string> offenders;
    std::size_t scanned = 0;
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
            if (text.str().find(macro) != std::string::npos) {
                offenders.push_back(entry.path().string());
            }
        }
    }
    EXPECT_GT(scanned, 100u);
    EXPECT_TRUE(offenders.empty()) << offenders.front();
}

}  // namespace
