#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "folder_fixture.h"
#include "formats/byte_writer.h"
#include "platform/testing/win32.h"
#include "platform/win32/file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// What a file opened to read holds; empty when it does not open.
std::string Contents(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return "";
    }
    char buffer[16] = {};
    DWORD read = 0;
    ReadFile(h, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(h);
    return std::string(buffer, read);
}

// Every leading ".." of a relative path stays: a ".." cancels the name before it, never a ".."
// before it, so two or three steps out reach two or three folders up, also past a name they
// cancel and in another case. A file "top.dat" in the working folder and in each of the three
// above it tells where a path landed.
TEST(FilePaths, EveryLeadingStepOutStays)
{
    qmtest::FreshListings fresh;
    qmtest::FeedSettledTimes();
    qmtest::TempDir dir;
    const fs::path here = dir.Path() / "w" / "x" / "y";
    fs::create_directories(here);
    for (const auto& [folder, text] : {std::pair{dir.Path(), "root"}, std::pair{dir.Path() / "w", "w"},
                                       std::pair{dir.Path() / "w" / "x", "x"}, std::pair{here, "y"}}) {
        qmtest::ByteWriter().Bytes(text).Save((folder / "top.dat").string());
    }
    qmtest::ScopedCwd cwd(here);
    const struct {
        const char* asked;
        const char* found;
        const char* holds;
    } cases[] = {
        {"top.dat", "top.dat", "y"},
        {"..\\top.dat", "../top.dat", "x"},
        {"..\\..\\top.dat", "../../top.dat", "w"},
        {"..\\..\\..\\top.dat", "../../../top.dat", "root"},
        {"..\\..\\..\\TOP.DAT", "../../../top.dat", "root"},
        {"..\\y\\..\\..\\top.dat", "../../top.dat", "w"},
        {"zz\\..\\..\\..\\top.dat", "../../top.dat", "w"},
        {"..\\..\\x\\..\\..\\top.dat", "../../../top.dat", "root"},
        {"..\\..\\X\\Y\\TOP.DAT", "../../x/y/top.dat", "y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        EXPECT_EQ(platform::HostPath(c.asked), c.found);
        EXPECT_EQ(Contents(c.asked), c.holds);
    }
}

}  // namespace
