// The device fixture that loads ground meshes: mesh files are read from the test's own folder.
#pragma once

#include <string>

#include "formats/ground_writer.h"
#include "support/device_fixture.h"

namespace qmtest {

// A device to load meshes with; mesh files are read from the test's own folder.
class GroundFixture : public DeviceFixture {
protected:
    void SetUp() override;
    void TearDown() override;
    // Saves the file under that name and loads it back.
    TMesh8 Load(const MeshFile& file, const std::string& name = "ground.msh");
};

}  // namespace qmtest
