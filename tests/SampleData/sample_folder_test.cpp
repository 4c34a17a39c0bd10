// The generator itself: the same folder every time, quickly, without touching what the player made.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "make-sample-data/SampleData.h"
#include "TCommon/Crc32.h"
#include "formats/byte_writer.h"
#include "SampleData/sample_folder_copy.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Every file under root by its relative path: size and CRC-32.
std::map<std::string, std::pair<std::size_t, std::uint32_t>> Fingerprint(const fs::path& root)
{
    std::map<std::string, std::pair<std::size_t, std::uint32_t>> out;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            const std::vector<std::uint8_t> bytes = qmtest::LoadBytes(entry.path().string());
            out[fs::relative(entry.path(), root).generic_string()] = {
                bytes.size(), Crc32(bytes.data(), static_cast<std::int32_t>(bytes.size()))};
        }
    }
    return out;
}

TEST(SampleFolder, TwoRunsWriteByteIdenticalFoldersQuickly)
{
    qmtest::TempDir dir;
    double cpuSeconds = 0.0;
    for (const char* run : {"a", "b"}) {
        const std::clock_t start = std::clock();
        sample::WriteSampleFolder(dir.Path() / run);
        const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        cpuSeconds = cpuSeconds == 0.0 ? seconds : std::min(cpuSeconds, seconds);
    }

    const auto a = Fingerprint(dir.Path() / "a");
    EXPECT_EQ(a, Fingerprint(dir.Path() / "b"));
    EXPECT_GE(a.size(), 20u);
    for (const auto& [path, print] : a) {
        EXPECT_GT(print.first, 0u) << path;
    }
    // The generator runs on one thread, so its processor time is its time on one core; the better
    // of the two runs, as a machine busy with other tests slows one run or the other.
    EXPECT_LT(cpuSeconds, 5.0);
    std::printf("sample folder generated in %.2f s of processor time; goal < 5 s\n", cpuSeconds);
}

// The roads copy the folder kept beside the test program; the copy is the folder as generated now,
// the first time (when it may be written) and again (when it is read from what was kept).
TEST(SampleFolder, TheRoadsCopyIsTheFolderAsGenerated)
{
    qmtest::TempDir dir;
    sample::WriteSampleFolder(dir.Path() / "written");
    for (const char* copy : {"first", "second"}) {
        fs::create_directory(dir.Path() / copy);
        qmtest::CopySampleFolder(dir.Path() / copy);
        EXPECT_EQ(Fingerprint(dir.Path() / copy), Fingerprint(dir.Path() / "written")) << copy;
    }
}

TEST(SampleFolder, ARunOverAPlayedFolderReplacesItsFilesAndKeepsTheRest)
{
    qmtest::TempDir dir;
    const fs::path root = dir.Path() / "game";
    sample::WriteSampleFolder(root);
    const auto fresh = Fingerprint(root);

    fs::create_directories(root / "save");
    std::ofstream(root / "save" / "save00.sav", std::ios::binary) << "kept";
    std::ofstream(root / "input.ini", std::ios::binary) << "[Keyboard]\r\nA=Q\r\n";
    std::ofstream(root / "data/tbl04/item.tbl", std::ios::binary | std::ios::trunc) << "x";

    sample::WriteSampleFolder(root);
    auto after = Fingerprint(root);
    ASSERT_EQ(after.count("save/save00.sav"), 1u);
    EXPECT_EQ(after["save/save00.sav"].first, 4u);
    after.erase("save/save00.sav");
    EXPECT_EQ(after, fresh);
}

TEST(SampleFolder, AFolderThatCannotBeWrittenIsReported)
{
    qmtest::TempDir dir;
    std::ofstream(dir.File("file"), std::ios::binary) << "in the way";
    EXPECT_ANY_THROW(sample::WriteSampleFolder(dir.Path() / "file"));
}

}  // namespace
