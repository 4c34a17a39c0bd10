// The texture cache on a real device: loading from packages, sharing, purging, blank textures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/3d/TTexturePackage.h"
#include "graphics2d_fixture.h"
#include "support/byte_writer.h"
#include "support/fuzz.h"

namespace {

using qmtest::PtxImage;

class TextureCache : public qmtest::Graphics2D {
protected:
    void SetUp() override
    {
        Graphics2D::SetUp();
        StartDevice();
    }

    static std::string LoadError(const std::string& key)
    {
        try {
            TTexture8::Load(key, D3DPOOL_MANAGED, 0);
        } catch (const my_error& e) {
            return e.what();
        }
        return std::string();
    }

    // Level 0 of a texture as little-endian texel values.
    static std::vector<std::uint32_t> Texels(IDirect3DTexture8* texture)
    {
        D3DSURFACE_DESC desc{};
        EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        const int bytes = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8 ? 4 : 2;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        std::vector<std::uint32_t> out;
        for (UINT y = 0; y < desc.Height; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch;
            for (UINT x = 0; x < desc.Width; ++x) {
                std::uint32_t v = 0;
                for (int b = 0; b < bytes; ++b) {
                    v |= static_cast<std::uint32_t>(row[x * bytes + b]) << (8 * b);
                }
                out.push_back(v);
            }
        }
        texture->UnlockRect(0);
        return out;
    }
};

TEST_F(TextureCache, OneKeyIsReadOnceAndShared)
{
    WritePackage("sprite.ptx", {PtxImage::Filled("window16", 0, 4, 2, {255, 0, 0}),
                                PtxImage::Filled("16_icon", 1, 2, 2, {0, 255, 0})});
    TTexture8 a = TTexture8::Load("sprite.ptx/window16", D3DPOOL_MANAGED, 0);
    ASSERT_TRUE(a.HasTexture());
    EXPECT_EQ(a.GetName(), "sprite.ptx/window16");
    EXPECT_EQ(a.GetFormat(), d3d()->GetTextureFormat(0));
    EXPECT_FALSE(a.IsCreated());
    EXPECT_EQ(a.GetNameNumber(), 1u);
    D3DSURFACE_DESC desc{};
    ASSERT_TRUE(a.GetLevelDesc(0, &desc));
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_GT(a.GetTexture()->GetLevelCount(), 1u) << "a full mip chain";

    // The package is gone: the second load can only come from the cache.
    std::filesystem::remove(dir_.Path() / "ptx" / "sprite.ptx");
    TTexture8 b = TTexture8::Load("sprite.ptx/window16", D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
    EXPECT_EQ(b.GetTexture(), a.GetTexture());
    EXPECT_EQ(b.GetPool(), D3DPOOL_MANAGED) << "the cached texture, whatever was asked";
    EXPECT_EQ(a.GetShareCount(), 3u) << "two handles and the cache";
    ASSERT_NE(TTexture8::Find("sprite.ptx/window16"), nullptr);
    EXPECT_EQ(TTexture8::Find("sprite.ptx/window16")->GetTexture(), a.GetTexture());
    EXPECT_EQ(TTexture8::Find("sprite.ptx/16_icon"), nullptr) << "Find loads nothing";
}

TEST_F(TextureCache, MissingThingsAndBadKeys)
{
    WritePackage("a.ptx", {PtxImage::Filled("x", 0, 1, 1, {1, 2, 3})});
    EXPECT_FALSE(TTexture8::Load("", D3DPOOL_MANAGED, 0).HasTexture());
    EXPECT_FALSE(TTexture8::Load("a.ptx/nothing", D3DPOOL_MANAGED, 0).HasTexture());
    EXPECT_EQ(TTexture8::Find("a.ptx/nothing"), nullptr) << "a missing entry is not cached";

    // No "/": the package path is the folder itself, which opens as no file.
    EXPECT_NE(LoadError("nokey").find("ptx/"), std::string::npos) << LoadError("nokey");
    EXPECT_NE(LoadError("b.ptx/x").find("ptx/b.ptx"), std::string::npos);
    EXPECT_EQ(TTexture8::Find("b.ptx/x"), nullptr);

    // A kind the device has no format for is a missing entry.
    PtxImage odd = PtxImage::Filled("odd", 0, 2, 2, {1, 2, 3});
    odd.kind = 7;
    WritePackage("c.ptx", {odd});
    EXPECT_FALSE(TTexture8::Load("c.ptx/odd", D3DPOOL_MANAGED, 0).HasTexture());
    EXPECT_EQ(TTexture8::Find("c.ptx/odd"), nullptr);
}

TEST_F(TextureCache, AlphaComesFromTheLayerOnlyWhereTheFormatHasAlpha)
{
    PtxImage withAlpha = PtxImage::FromPixels("p", 1, 2, 1, {{0x00, 0x80, 0xFF}, {0x10, 0x20, 0x30}}, {0x80, 0x40});
    TIndexedImage image;
    image.kind = withAlpha.kind;
    image.width = 2;
    image.height = 1;
    image.indices = withAlpha.indices;
    image.alpha = withAlpha.alpha;
    image.palette.assign(1024, 0);
    image.palette[0] = 0xFF;  // entry 0: blue FF, green 80, red 00
    image.palette[1] = 0x80;
    image.palette[4] = 0x30;  // entry 1: (0x10, 0x20, 0x30)
    image.palette[5] = 0x20;
    image.palette[6] = 0x10;

    struct Case {
        D3DFORMAT format;
        bool alphaLayer;
        std::vector<std::uint32_t> want;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, true, {0x800080FFu, 0x40102030u}},
        {D3DFMT_A8R8G8B8, false, {0xFF0080FFu, 0xFF102030u}},
        {D3DFMT_X8R8G8B8, true, {0x000080FFu, 0x00102030u}},
        {D3DFMT_A4R4G4B4, true, {0x808Fu, 0x4123u}},
        {D3DFMT_R5G6B5, true, {0x041Fu, 0x1106u}},
    };
    for (const Case& c : cases) {
        TIndexedImage copy = image;
        if (!c.alphaLayer) {
            copy.alpha.clear();
        }
        // A texture wider than the image: the texel beyond it must come out zero.
        IDirect3DTexture8* texture = d3d()->CreateTexture(3, 1, c.format, D3DPOOL_MANAGED, 0);
        ASSERT_NE(texture, nullptr) << c.format;
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        std::memset(locked.pBits, 0xAB, static_cast<std::size_t>(locked.Pitch));
        texture->UnlockRect(0);
        copy.width = 2;
        ASSERT_TRUE(TTexture8::FillFromIndexed(texture, c.format, copy));
        const std::vector<std::uint32_t> texels = Texels(texture);
        EXPECT_EQ(texels[0], c.want[0]) << c.format;
        EXPECT_EQ(texels[1], c.want[1]) << c.format;
        EXPECT_EQ(texels[2], 0u) << c.format << ": the rest of the row is cleared";
        texture->Release();
    }
    IDirect3DTexture8* a8 = d3d()->CreateTexture(2, 1, D3DFMT_A8, D3DPOOL_MANAGED, 0);
    if (a8 != nullptr) {
        EXPECT_FALSE(TTexture8::FillFromIndexed(a8, D3DFMT_A8, image)) << "no writer for A8";
        a8->Release();
    }
}

TEST_F(TextureCache, PurgeKeepsWhatIsHeldAndReleasesTheRest)
{
    WritePackage("p.ptx", {PtxImage::Filled("a", 0, 2, 2, {1, 1, 1}), PtxImage::Filled("b", 0, 2, 2, {2, 2, 2}),
                           PtxImage::Filled("c", 0, 2, 2, {3, 3, 3})});
    TTexture8::Load("p.ptx/a", D3DPOOL_MANAGED, 0);
    {
        TTexture8 held = TTexture8::Load("p.ptx/b", D3DPOOL_MANAGED, 0);
        TTexture8::Load("p.ptx/c", D3DPOOL_MANAGED, 0);
        TTexture8::PurgeCache(2);
        EXPECT_EQ(TTexture8::Find("p.ptx/a"), nullptr);
        EXPECT_NE(TTexture8::Find("p.ptx/b"), nullptr);
        EXPECT_EQ(TTexture8::Find("p.ptx/c"), nullptr);
        EXPECT_EQ(held.GetShareCount(), 2u);
    }
    TTexture8::PurgeCache(2);
    EXPECT_EQ(TTexture8::Find("p.ptx/b"), nullptr) << "gone once nothing holds it";

    // Mode 1 releases even what is held; the holder never releases it a second time.
    TTexture8 survivor = TTexture8::Load("p.ptx/a", D3DPOOL_MANAGED, 0);
    TTexture8 copy = survivor;
    TTexture8::Create("blank", 8, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
    TTexture8::PurgeCache(1);
    EXPECT_EQ(TTexture8::Find("p.ptx/a"), nullptr);
    EXPECT_EQ(TTexture8::Find("blank"), nullptr);
    EXPECT_EQ(copy.GetShareCount(), 2u);
    // Both handles go out of scope here without a second Release (the sanitizers would see it).
}

TEST_F(TextureCache, BlankTexturesAreCachedByNameEvenWhenRefused)
{
    TTexture8 t = TTexture8::Create("Message", 64, 16, D3DFMT_R5G6B5, D3DPOOL_MANAGED, 0);
    ASSERT_TRUE(t.HasTexture());
    EXPECT_TRUE(t.IsCreated());
    TTexture8 again = TTexture8::Create("Message", 512, 512, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(again.GetTexture(), t.GetTexture()) << "the cached one, whatever size was asked";
    EXPECT_EQ(again.GetFormat(), D3DFMT_R5G6B5);

    TTexture8 refused = TTexture8::Create("bad", 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 0);
    EXPECT_FALSE(refused.HasTexture());
    ASSERT_NE(TTexture8::Find("bad"), nullptr);
    EXPECT_FALSE(TTexture8::Load("bad", D3DPOOL_MANAGED, 0).HasTexture()) << "found in the cache, not opened";
}

TEST_F(TextureCache, StageBindingFollowsTextureAndEnabledFlag)
{
    WritePackage("p.ptx", {PtxImage::Filled("a", 0, 2, 2, {1, 1, 1})});
    TTexture8 t = TTexture8::Load("p.ptx/a", D3DPOOL_MANAGED, 0);
    t.SetToStage(0);
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(device()->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, t.GetTexture());
    if (bound != nullptr) {
        bound->Release();
    }
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAARG1), D3DTA_TEXTURE);

    t.SetEnabled(false);
    t.SetToStage(0);
    ASSERT_EQ(device()->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG1), D3DTA_DIFFUSE);
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAARG1), D3DTA_DIFFUSE);
}

TEST(TTexture8Names, KeySplittingAndNameNumbers)
{
    std::string package;
    std::string entry;
    EXPECT_TRUE(TTexture8::ExtractPackageName("sprite.ptx/window16", &package));
    EXPECT_TRUE(TTexture8::ExtractEntryName("sprite.ptx/window16", &entry));
    EXPECT_EQ(package, "sprite.ptx");
    EXPECT_EQ(entry, "window16");
    EXPECT_TRUE(TTexture8::ExtractEntryName("a/b/c", &entry));
    EXPECT_EQ(entry, "b/c") << "only the first slash splits";
    EXPECT_TRUE(TTexture8::ExtractEntryName("a/", &entry));
    EXPECT_EQ(entry, "");
    for (const char* bad : {"", "noslash", "/lead"}) {
        EXPECT_FALSE(TTexture8::ExtractPackageName(bad, &package)) << bad;
        EXPECT_FALSE(TTexture8::ExtractEntryName(bad, &entry)) << bad;
        EXPECT_EQ(package, "");
        EXPECT_EQ(entry, "");
    }

    const std::pair<const char*, std::uint32_t> numbers[] = {
        {"p/16_icon", 16}, {"p/8_icon", 8}, {"p/08x", 8},   {"p/4_", 4},       {"p/4", 1},
        {"p/12_x", 1},     {"p/window16", 1}, {"p/1_", 1}, {"QM_ScreenCaptureTex", 1}, {"p/_8", 1},
    };
    for (const auto& [key, want] : numbers) {
        EXPECT_EQ(TTexture8::ParseNameNumber(key), want) << key;
    }
}

TEST_F(TextureCache, DamagedPackagesNeverCrash)
{
    const std::vector<std::uint8_t> valid = qmtest::BuildPtx(
        {PtxImage::Filled("a", 0, 2, 2, {1, 2, 3}), PtxImage::Filled("b", 1, 3, 2, {4, 5, 6}),
         PtxImage::Filled("c", 3, 1, 3, {7, 8, 9})});
    qmtest::FuzzOptions options;
    options.mutations = 600;
    qmtest::FuzzFile(valid, (dir_.Path() / "ptx" / "f.ptx").string(), [](const std::string&) {
        for (const char* key : {"f.ptx/a", "f.ptx/b", "f.ptx/c"}) {
            TTexture8 t = TTexture8::Load(key, D3DPOOL_MANAGED, 0);
            D3DSURFACE_DESC desc{};
            if (t.HasTexture()) {
                ASSERT_TRUE(t.GetLevelDesc(0, &desc));
            }
        }
        TTexture8::PurgeCache(2);
    }, options);
}

}  // namespace
