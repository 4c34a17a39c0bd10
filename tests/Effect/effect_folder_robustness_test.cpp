// Each loader of the effect folder against each damage to the file it reads: cut and flipped copies,
// and meshes whose counts do not fit what the ribbons and the particle quad address. Each ends in the
// game's own error naming the file, or in the loader's fallback, never in a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "MainCode/Effect/TAfterImage.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Effect/TRayEffect.h"
#include "MainCode/Effect/TThunderEffect.h"
#include "burst_fixture.h"
#include "formats/byte_writer.h"
#include "support/effect_probe.h"
#include "support/fuzz.h"

namespace effecttest {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Cuts at both ends and spread between, and seeded flips of one to four bytes.
std::vector<Bytes> CutsAndFlips(const Bytes& valid)
{
    std::vector<Bytes> cases;
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{8}, valid.size() - 1}) {
        cases.emplace_back(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(std::min(cut, valid.size())));
    }
    for (std::size_t i = 1; i < 8; ++i) {
        cases.emplace_back(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(valid.size() * i / 8));
    }
    std::mt19937 random(20240601);
    for (int i = 0; i < 14; ++i) {
        Bytes flipped = valid;
        for (int k = 0, n = 1 + static_cast<int>(random() % 4); k < n; ++k) {
            flipped[random() % flipped.size()] = static_cast<std::uint8_t>(random());
        }
        cases.push_back(flipped);
    }
    return cases;
}

// A ribbon of the name cut to n vertices, its indices reduced as the damage says.
Bytes Strip(const std::string& name, std::uint32_t segments, std::size_t vertices, std::vector<std::uint16_t> indices)
{
    qmtest::MeshFile mesh = qmtest::EffectStripMesh(name, segments);
    mesh.keyFrames[0].resize(vertices);
    if (indices.empty()) {
        for (std::uint16_t& i : mesh.indices) {
            i = static_cast<std::uint16_t>(i % vertices);
        }
    } else {
        mesh.indices = indices;
        mesh.faceMaterials.assign(indices.size() / 3, 0);
    }
    return mesh.Bytes();
}

using DamagedEffectFolder = EffectAreaTest;

TEST_F(DamagedEffectFolder, EachLoaderEndsInTheErrorNamingTheFileOrInItsFallback)
{
    QueryCharacter owner;
    const float box[9] = {};
    const float one[3] = {1.0F, 1.0F, 1.0F};
    const std::function<void()> catalogue = [] { EXPECT_EQ(TEffectProbe::PrototypeCount(TEffectManager()), 193u); };
    const std::function<void()> bolt = [] { TThunderEffect b("", 1, 1.0F, 0.5F, 2.0F, 0.5F, -1, 4.0F, 0.5F); };
    const std::function<void()> ray = [] { TRayEffect r("sword01.msh"); };
    const std::function<void()> trail = [&owner] { TAfterImage::Create(owner.GetFrame(), &owner); };
    const std::function<void()> burst = [&] { TParticleEffect b("effect.ptx/fire", 2, 2, 1, box, box, 0.04F, one); };
    struct Damage {
        const char* what;
        Bytes bytes;
        bool refused;
    };
    // 20 faces' worth of rows on 57 vertices: the last middle row reaches index 57, just past them.
    const auto ribbon = [](const std::string& name, bool rowsFromFaces) {
        return std::vector<Damage>{{"one vertex", Strip(name, 1, 1, {0, 0, 0}), true},
                                   {"fewer indices than vertices", Strip(name, 4, 24, {0, 1, 2}), true},
                                   {"rows past the vertices", Strip(name, 10, 57, {}), rowsFromFaces}};
    };
    qmtest::MeshFile corners = qmtest::EffectQuadMesh("particle_mesh");
    corners.keyFrames[0].pop_back();
    corners.indices = {0, 1, 2};
    corners.faceMaterials = {0};
    struct Loader {
        const char* path;  // below the folder
        std::function<void()> load;
        bool cutsMustFail;  // a damaged package may also fall back to an empty texture
        std::vector<Damage> damages;
    };
    const Loader loaders[] = {
        {"msh/effect/particle_mesh.msh", catalogue, true, {}},
        {"msh/effect/sword01.msh", catalogue, true, {}},
        {"frm/effect/impact04_anim.frm", catalogue, true, {}},
        {"ptx/effect.ptx", catalogue, false, {}},
        {"msh/effect/thunder.msh", bolt, true, ribbon("thunder.msh", true)},
        {"msh/effect/sword01.msh", ray, true, ribbon("sword01.msh", true)},
        {"msh/effect/sword01.msh", trail, true, ribbon("sword01.msh", false)},
        {"msh/effect/particle_mesh.msh", burst, true, {{"three corners", corners.Bytes(), true}}},
    };
    for (const Loader& l : loaders) {
        const std::string path = (dir_.Path() / l.path).string();
        const std::string name = path.substr(path.rfind('/') + 1);
        const Bytes valid = qmtest::LoadBytes(path);
        ASSERT_FALSE(valid.empty()) << path;
        std::vector<Damage> damages = l.damages;
        for (Bytes& bytes : CutsAndFlips(valid)) {
            damages.push_back({"cut or flipped", std::move(bytes), false});
        }
        int errors = 0;
        for (std::size_t i = 0; i < damages.size(); ++i) {
            SCOPED_TRACE(std::string(l.path) + " case " + std::to_string(i) + ": " + damages[i].what);
            qmtest::SaveBytes(path, damages[i].bytes);
            TTexture8::PurgeCache(1);
            const std::string error = ErrorOf(l.load);
            errors += !error.empty() && i >= l.damages.size() ? 1 : 0;
            EXPECT_TRUE(error.empty() || error.find(name) != std::string::npos) << error;
            EXPECT_TRUE(!damages[i].refused || !error.empty());
        }
        qmtest::SaveBytes(path, valid);
        TTexture8::PurgeCache(1);
        EXPECT_TRUE(errors > 0 || !l.cutsMustFail) << l.path;
        EXPECT_EQ(ErrorOf(l.load), "") << l.path << " whole";
    }
    // A ribbon that counts its edges from the vertices fits on rows that run past the faces.
    qmtest::SaveBytes((dir_.Path() / "msh/effect/sword01.msh").string(), Strip("sword01.msh", 10, 57, {}));
    EXPECT_EQ(ErrorOf(trail), "");
}

// Arbitrary bytes in the bolt's ribbon: the game's own error or a bolt.
TEST_F(DamagedEffectFolder, DamagedThunderFilesEndInTheGamesOwnError)
{
    qmtest::FuzzOptions options;
    options.mutations = 300;
    qmtest::FuzzFile(qmtest::EffectStripMesh("thunder", 8).Bytes(), (dir_.Path() / "msh/effect/thunder.msh").string(),
                     [](const std::string&) { TThunderEffect bolt("", 1, 1.0F, 0.5F, 2.0F, 0.5F, -1, 4.0F, 0.5F); },
                     options);
}

}  // namespace
}  // namespace effecttest
