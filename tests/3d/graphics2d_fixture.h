// A windowed device made the game's way, with a package folder and helpers for 2D frames.
#pragma once

#include <string>
#include <vector>

#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TTexture8.h"
#include "support/device_fixture.h"
#include "support/ptx_writer.h"

namespace qmtest {

class Graphics2D : public DeviceFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // The device with a back buffer of that size, the sprite scale set as the application sets it.
    void StartDevice(int width = 640, int height = 480);
    // Writes a package into the texture folder.
    void WritePackage(const std::string& name, const std::vector<PtxImage>& images);
    void BeginFrame(D3DCOLOR background);
    platform::RgbaImage EndFrame();
    // Red, green, blue of a back-buffer pixel as 0xRRGGBB.
    std::uint32_t PixelAt(int x, int y);

    // A 64 × 32 picture of kind 1: four coloured quarters with a white frame, alpha falling from
    // 255 at the left to 63 at the right.
    static PtxImage TestPicture(const std::string& name);
};

}  // namespace qmtest
