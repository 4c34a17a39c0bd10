// A package or mesh that cannot be opened: my_error names the file alone when it is missing or no
// file (a folder under its name), and adds the system's reason when the system could not open it
// (no descriptor left), so that an intact file is not blamed.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "TCommon/my_error.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TTexturePackage.h"
#include "fixtures.h"
#include "formats/byte_writer.h"
#include "formats/ptx_writer.h"
#include "support/descriptor_limit.h"
#include "support/temp_dir.h"

namespace {

// The "error : " line of what the load threw; "" when it threw nothing.
std::string ErrorLine(const std::function<void()>& load)
{
    try {
        load();
    } catch (const my_error& e) {
        const std::string record = e.what();
        const std::size_t at = record.find("error : ");
        return at == std::string::npos ? record : record.substr(at);
    }
    return "";
}

TEST(UnopenedFiles, TheErrorAddsTheSystemsReasonOnlyWhenTheFileIsThere)
{
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    TMesh8::SetDirectory("");
    meshtest::GridMesh(1, 1.0F).Save("grid.msh");
    qmtest::SaveBytes("pack.ptx", qmtest::BuildPtx({qmtest::PtxImage::Filled("a", 0, 2, 2, {1, 2, 3})}));
    std::filesystem::create_directories("folder.ptx");
    std::filesystem::create_directories("folder.msh");
    const auto package = [](const char* path) {
        return [path] {
            TIndexedImage image;
            TTexturePackage::ReadImage(path, "a", &image);
        };
    };
    const auto mesh = [](const char* path) { return [path] { TMesh8::Load(path); }; };
    // The first throw costs the sanitizers' type check a descriptor: made while there are some.
    EXPECT_EQ(ErrorLine(package("none.ptx")), "error : none.ptx\r\n");
    const struct {
        const char* what;
        std::function<void()> load;
        bool noDescriptors;
        const char* line;
    } cases[] = {
        {"missing package", package("none.ptx"), false, "error : none.ptx\r\n"},
        {"missing package, no descriptors", package("none.ptx"), true, "error : none.ptx : Too many open files\r\n"},
        {"package, no descriptors", package("pack.ptx"), true, "error : pack.ptx : Too many open files\r\n"},
        {"folder as package", package("folder.ptx"), false, "error : folder.ptx\r\n"},
        {"package", package("pack.ptx"), false, ""},
        {"missing mesh", mesh("none.msh"), false, "error : none.msh\r\n"},
        {"mesh, no descriptors", mesh("grid.msh"), true, "error : grid.msh : Too many open files\r\n"},
        {"folder as mesh", mesh("folder.msh"), false, "error : folder.msh\r\n"},
        {"mesh", mesh("grid.msh"), false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string line;
        if (c.noDescriptors) {
            qmtest::NoFreeDescriptors none;
            ASSERT_TRUE(none.Held());
            line = ErrorLine(c.load);
        } else {
            line = ErrorLine(c.load);
        }
        EXPECT_EQ(line, c.line);
    }
}

}  // namespace
