// The catalogue built on a damaged effect folder: cut and flipped copies of the particle quad, a
// ribbon, a frame file and the texture package end in the game's own error naming the file or in
// the loader's fallback, never in a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "effect_fixture.h"
#include "support/byte_writer.h"

namespace effecttest {
namespace {

class DamagedEffectFolder : public EffectFolder {
protected:
    static std::vector<std::uint8_t> Read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // A few cuts (both ends, and spread between) and seeded flips of one to four bytes; the whole
    // catalogue is built on each.
    // Answers how many cases ended in the error.
    int Damage(const std::filesystem::path& path, const std::string& name)
    {
        int errors = 0;
        const std::vector<std::uint8_t> valid = Read(path);
        EXPECT_FALSE(valid.empty()) << path;
        if (valid.empty()) {
            return 0;
        }
        std::vector<std::vector<std::uint8_t>> cases;
        for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{8}, valid.size() - 1}) {
            cases.emplace_back(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(std::min(cut, valid.size())));
        }
        for (int i = 1; i < 8; ++i) {
            cases.emplace_back(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(valid.size() * i / 8));
        }
        std::mt19937 random(20240601);
        for (int i = 0; i < 14; ++i) {
            std::vector<std::uint8_t> flipped = valid;
            const int n = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < n; ++k) {
                flipped[random() % flipped.size()] = static_cast<std::uint8_t>(random());
            }
            cases.push_back(flipped);
        }
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(name + " case " + std::to_string(i));
            qmtest::SaveBytes(path.string(), cases[i]);
            TTexture8::PurgeCache(1);
            try {
                TEffectManager manager;
                EXPECT_EQ(manager.GetPrototypeCount(), 193u);
            } catch (const my_error& e) {
                ++errors;
                EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
            }
        }
        qmtest::SaveBytes(path.string(), valid);
        TTexture8::PurgeCache(1);
        return errors;
    }
};

TEST_F(DamagedEffectFolder, TheParticleQuad)
{
    EXPECT_GT(Damage(dir_.Path() / "msh/effect/particle_mesh.msh", "particle_mesh.msh"), 0);
}

TEST_F(DamagedEffectFolder, TheRayRibbon)
{
    EXPECT_GT(Damage(dir_.Path() / "msh/effect/sword01.msh", "sword01.msh"), 0);
}

TEST_F(DamagedEffectFolder, AFrameFile)
{
    EXPECT_GT(Damage(dir_.Path() / "frm/effect/impact04_anim.frm", "impact04_anim.frm"), 0);
}

// A damaged package may also fall back to an empty texture.
TEST_F(DamagedEffectFolder, TheTexturePackage) { Damage(dir_.Path() / "ptx/effect.ptx", "effect.ptx"); }

}  // namespace
}  // namespace effecttest
