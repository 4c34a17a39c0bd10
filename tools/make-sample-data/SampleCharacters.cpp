// The round shadow under every character in the sample folder, the weapons' blades, and the strong
// enemies' blows.
#include <cmath>

#include "MainCode/Character/TEnemyTypes.h"
#include "SampleParts.h"
#include "formats/byte_writer.h"
#include "formats/player_model_writer.h"

namespace sample {

qmtest::MeshFile ShadowDisc()
{
    constexpr int kSegments = 12;
    qmtest::MeshFile mesh;
    mesh.name = "shadow01";
    mesh.materials.push_back(qmtest::MeshMaterial("Shadow", 0.0F, 0.0F, 0.0F, 0.5F, 0.0F));
    std::vector<qmtest::MeshVertex> v = {{0, 0, 0, 0x80000000u, 0.5F, 0.5F}};
    for (int i = 0; i <= kSegments; ++i) {
        const double a = 2.0 * 3.14159265358979 * i / kSegments;
        const auto x = static_cast<float>(0.5 * std::cos(a));
        const auto z = static_cast<float>(0.5 * std::sin(a));
        v.push_back({x, 0, z, 0x00000000u, x + 0.5F, z + 0.5F});
    }
    mesh.keyFrames.push_back(v);
    for (int i = 0; i < kSegments; ++i) {
        mesh.indices.push_back(0);
        mesh.indices.push_back(static_cast<std::uint16_t>(i + 2));
        mesh.indices.push_back(static_cast<std::uint16_t>(i + 1));
    }
    mesh.faceMaterials.assign(kSegments, 0);
    return mesh;
}

qmtest::MeshFile WeaponBlade(const std::string& name)
{
    qmtest::MeshFile mesh;
    mesh.name = name;
    mesh.materials.push_back(qmtest::MeshMaterial("Blade", 0.8F, 0.8F, 0.85F, 1.0F, 0.0F));
    mesh.keyFrames.push_back({{-0.03F, 0, 0, 0xFFFFFFFFu, 0.0F, 0.0F},
                              {0.03F, 0, 0, 0xFFFFFFFFu, 1.0F, 0.0F},
                              {-0.03F, 0, -0.9F, 0xFFFFFFFFu, 0.0F, 1.0F},
                              {0.03F, 0, -0.9F, 0xFFFFFFFFu, 1.0F, 1.0F}});
    mesh.indices = {0, 2, 1, 1, 2, 3};
    mesh.faceMaterials.assign(2, 0);
    return mesh;
}

std::vector<std::vector<TPatternEvent>> EnemyMotions(std::uint32_t type)
{
    // The player models' patterns step in motions 1 to 3; an enemy walks up in motion 1 and closes
    // in with motion 2, and stands in motion 3.
    std::vector<std::vector<TPatternEvent>> patterns = qmtest::PlayerModelPatterns();
    const auto stand = [&](std::uint32_t motion) {
        for (TPatternEvent& frame : patterns.at(motion)) {
            frame.Displacement = D3DXVECTOR3(0.0F, 0.0F, 0.0F);
        }
    };
    stand(3);
    // The tougher table walks most of the time the hero is far: those keep their ground instead.
    const TEnemyTypeRow* row = FindEnemyType(type);
    if (row != nullptr && row->tableFlag != 0) {
        stand(1);
    }
    return patterns;
}

void WriteEnemyPatterns(const std::filesystem::path& root)
{
    // Every class starts its attack n (from 0) in motion 16 + n, ten attacks at most; each of them
    // strikes, so whichever attack an enemy picks lands on a hero in front of it. The ailing
    // enemies' strikes breathe instead, and the time stopper's stopping attack stops time.
    constexpr std::uint32_t kFirstAttackMotion = 16;
    constexpr std::uint32_t kAttackMotions = 10;
    for (const TEnemyRecord& enemy : GetCatalogue().enemies) {
        std::vector<std::vector<TPatternEvent>> patterns = EnemyMotions(enemy.id);
        for (std::uint32_t m = 0; m < qmtest::kPlayerModelMotions; ++m) {
            TPatternEvent& strike = patterns.at(m).at(qmtest::kPlayerModelSwingFrame);
            if (enemy.id == SampleLayout::kTimeStopEnemyType && m == SampleLayout::kStopAttackMotion) {
                strike.AttackId = SampleLayout::kStopBlowAttack;
            } else if (m >= kFirstAttackMotion && m < kFirstAttackMotion + kAttackMotions) {
                const std::uint16_t blow = ReactionAttackOf(enemy.id, m);
                strike.AttackId = blow != 0 ? blow : StatusAttackOf(enemy.id);
            }
        }
        const std::filesystem::path pattern = root / kCharacterDataFolder / (enemy.modelName + ".pat");
        qmtest::SaveBytes(pattern.string(), qmtest::BuildPatternFile(patterns));
    }
}

}  // namespace sample
