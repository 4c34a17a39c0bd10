// The device fixture of the ground meshes; test-only, as it needs GoogleTest.
#include <filesystem>

#include "support/ground_fixture.h"

namespace qmtest {

void GroundFixture::SetUp()
{
    DeviceFixture::SetUp();
    TMesh8::SetDirectory("");
    WriteWindowedSettings();
    ASSERT_TRUE(InitDevice());
}

void GroundFixture::TearDown()
{
    DeviceFixture::TearDown();
}

TMesh8 GroundFixture::Load(const MeshFile& file, const std::string& name)
{
    const std::filesystem::path parent = std::filesystem::path(name).parent_path();
    if (!parent.empty()) {
        std::filesystem::create_directories(parent);
    }
    file.Save(name);
    return TMesh8::Load(name);
}

}  // namespace qmtest
