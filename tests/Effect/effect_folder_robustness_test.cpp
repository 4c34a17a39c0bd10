// The catalogue built on a damaged effect folder: cut and flipped copies of the particle quad, a
// ribbon, a frame file and the texture package end in the game's own error naming the file or in
// the loader's fallback, never in a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "effect_fixture.h"
#include "formats/byte_writer.h"

namespace effecttest {
namespace {

using DamagedEffectFolder = EffectFolder;

TEST_F(DamagedEffectFolder, EndsInTheErrorNamingTheFileOrInTheFallback)
{
    struct Row {
        const char* path;
        const char* name;
        bool mustRefuse;  // a damaged package may also fall back to an empty texture
    };
    const Row rows[] = {{"msh/effect/particle_mesh.msh", "particle_mesh.msh", true},
                        {"msh/effect/sword01.msh", "sword01.msh", true},
                        {"frm/effect/impact04_anim.frm", "impact04_anim.frm", true},
                        {"ptx/effect.ptx", "effect.ptx", false}};
    for (const Row& row : rows) {
        const std::string path = (dir_.Path() / row.path).string();
        const std::vector<std::uint8_t> valid = qmtest::LoadBytes(path);
        ASSERT_FALSE(valid.empty()) << path;
        // Cuts at both ends and spread between, and seeded flips of one to four bytes.
        std::vector<std::vector<std::uint8_t>> cases;
        for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{8}, valid.size() - 1}) {
            cases.emplace_back(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(std::min(cut, valid.size())));
        }
        for (std::size_t i = 1; i < 8; ++i) {
            cases.emplace_back(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(valid.size() * i / 8));
        }
        std::mt19937 random(20240601);
        for (int i = 0; i < 14; ++i) {
            std::vector<std::uint8_t> flipped = valid;
            for (int k = 0, n = 1 + static_cast<int>(random() % 4); k < n; ++k) {
                flipped[random() % flipped.size()] = static_cast<std::uint8_t>(random());
            }
            cases.push_back(flipped);
        }
        int errors = 0;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(std::string(row.name) + " case " + std::to_string(i));
            qmtest::SaveBytes(path, cases[i]);
            TTexture8::PurgeCache(1);
            try {
                TEffectManager manager;
                EXPECT_EQ(manager.GetPrototypeCount(), 193u);
            } catch (const my_error& e) {
                ++errors;
                EXPECT_NE(std::string(e.what()).find(row.name), std::string::npos) << e.what();
            }
        }
        qmtest::SaveBytes(path, valid);
        TTexture8::PurgeCache(1);
        EXPECT_TRUE(errors > 0 || !row.mustRefuse) << row.name;
    }
}

}  // namespace
}  // namespace effecttest
