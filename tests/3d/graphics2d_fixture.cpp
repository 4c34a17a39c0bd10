#include "graphics2d_fixture.h"

#include <filesystem>

#include "support/byte_writer.h"

namespace qmtest {

void Graphics2D::SetUp()
{
    DeviceFixture::SetUp();
    std::filesystem::create_directories(dir_.Path() / "ptx");
    TTexture8::SetDirectory("ptx/");
}

void Graphics2D::TearDown()
{
    DeviceFixture::TearDown();
    TTexture8::PurgeCache(1);
    TTexture8::SetDirectory("");
    TSprite::SetScreenScale(640, 480, 640, 480);
}

void Graphics2D::StartDevice(int width, int height)
{
    platform::D3D8TestConfig config = FixedAdapter();
    config.modes.push_back({1280, 960, 60, D3DFMT_X8R8G8B8});
    UseAdapter(config);
    WriteSettings(IniWriter()
                      .Section("CurrentSetting")
                      .Key("ScreenMode", "Window")
                      .Key("ScreenWidth", std::to_string(width))
                      .Key("ScreenHeight", std::to_string(height))
                      .Section("DepthStencilFormat")
                      .Key("Format00", "D3DFMT_D24S8"));
    ASSERT_TRUE(InitDevice());
    ASSERT_EQ(d3d()->GetBackBufferWidth(), static_cast<std::uint32_t>(width));
    TSprite::SetScreenScale(640, 480, width, height);
}

void Graphics2D::WritePackage(const std::string& name, const std::vector<PtxImage>& images)
{
    SaveBytes((dir_.Path() / "ptx" / name).string(), BuildPtx(images));
}

void Graphics2D::BeginFrame(D3DCOLOR background)
{
    ASSERT_TRUE(d3d()->CheckLostDevice());
    d3d()->Clear(background, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    d3d()->BeginScene();
}

platform::RgbaImage Graphics2D::EndFrame()
{
    d3d()->EndScene();
    platform::RgbaImage image;
    EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
    return image;
}

std::uint32_t Graphics2D::PixelAt(int x, int y)
{
    platform::RgbaImage image;
    EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
    const std::uint8_t* p = image.At(x, y);
    return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
}

PtxImage Graphics2D::TestPicture(const std::string& name)
{
    std::vector<PtxColor> colors;
    std::vector<std::uint8_t> alphas;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            PtxColor c{};
            if (x == 0 || y == 0 || x == 63 || y == 31) {
                c = {255, 255, 255};
            } else if (y < 16) {
                c = x < 32 ? PtxColor{230, 40, 40} : PtxColor{40, 200, 60};
            } else {
                c = x < 32 ? PtxColor{40, 80, 230} : PtxColor{240, 210, 40};
            }
            colors.push_back(c);
            alphas.push_back(static_cast<std::uint8_t>(255 - x * 3));
        }
    }
    return PtxImage::FromPixels(name, 1, 64, 32, colors, alphas);
}

}  // namespace qmtest
