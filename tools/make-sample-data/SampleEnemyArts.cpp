// The arena's hedge mage: an enemy whose swing casts a spell from its left hand, its strength the
// mage's INT and warded by the hero's MEN, then strikes with its right hand by its STR against his
// VIT. Its weapon file moves both hands out to its sides for the swing, so the strikes hang where
// the hands are.
#include "SampleData.h"
#include "SampleParts.h"

#include <algorithm>
#include <stdexcept>

#include "formats/byte_writer.h"
#include "formats/pattern_writer.h"
#include "formats/player_model_writer.h"

namespace sample {

namespace {

constexpr std::uint32_t kSwingMotion = 16;
// The frames of the swing that strike.
constexpr std::uint32_t kSpellFrame = 2;
constexpr std::uint32_t kBlowFrame = 5;
// Where the hands are held in the swing from its second frame on (at rest they keep the plain
// models' one pose); each strike sits this far along its hand.
const D3DXVECTOR3 kLeftHand(0.45F, 0.9F, -0.35F);
const D3DXVECTOR3 kRightHand(-0.45F, 0.5F, -0.35F);
const D3DXVECTOR3 kStrikeOffset(0.0F, 0.0F, -0.5F);
// A spell: bit 0x100 of an attack's flags, on the plain stagger.
constexpr std::uint32_t kMagic = 0x100;

TAttackRecord HandStrike(std::uint16_t id, std::uint32_t placement, std::uint32_t flags)
{
    TAttackRecord r = qmtest::FieldAttackRecords().at(1);
    r.Id = id;
    r.Placement = placement;
    r.Flags = flags;
    r.Offset[0] = kStrikeOffset.x;
    r.Offset[1] = kStrikeOffset.y;
    r.Offset[2] = kStrikeOffset.z;
    // Wide enough to reach a hero standing where the mage decides to swing.
    r.Radius = 1.0F;
    r.Lifetime = 3;
    r.DamageFactor = 1.0F;
    return r;
}

}  // namespace

void AddEnemyArtsContent(Catalogue& c)
{
    // Placement 1 hangs a strike on the left weapon frame, 2 on the right.
    AddAttack(c, HandStrike(EnemyArts::kLeftSpell, 1, kMagic | 1));
    AddAttack(c, HandStrike(EnemyArts::kRightBlow, 2, 1));
    TEnemyRecord mage = qmtest::FieldEnemyRecord();
    mage.id = EnemyArts::kMageType;
    mage.label = "生垣の魔術師";
    mage.maxHp = mage.hp = 300;
    // Doubled as an enemy's are, with no growth: INT 140 and STR 120, both past the hero's
    // guard, and far enough apart that the one taken for the other shows.
    mage.str = 60;
    mage.intel = 70;
    mage.vit = 10;
    mage.men = 30;
    mage.strGrowth = 0;
    mage.modelName = EnemyArts::kMageModel;
    c.enemies.push_back(mage);
    c.characterModels.push_back(mage.modelName);
}

void AddEnemyArtsEnemies(std::vector<qmtest::FieldMap>& maps)
{
    const auto arena = std::find_if(maps.begin(), maps.end(), [](const qmtest::FieldMap& m) { return m.entry == "b04_01"; });
    if (arena == maps.end()) {
        throw std::runtime_error("the hedge mage stands in the arena");
    }
    arena->enemies.push_back({EnemyArts::kMageType, EnemyArts::Mage(), {0.0F, 0.0F, -1.0F}});
}

void WriteEnemyArtsFiles(const std::filesystem::path& root)
{
    std::vector<std::vector<TPatternEvent>> patterns = EnemyMotions(EnemyArts::kMageType);
    patterns.at(kSwingMotion).at(kSpellFrame).AttackId = EnemyArts::kLeftSpell;
    patterns.at(kSwingMotion).at(kBlowFrame).AttackId = EnemyArts::kRightBlow;
    const std::string model = (root / kCharacterDataFolder / EnemyArts::kMageModel).string();
    qmtest::SaveBytes(model + ".pat", qmtest::BuildPatternFile(patterns));

    // Key 0 the rest pose every model holds; key 1 both hands out, held from the swing's second
    // frame to its end.
    qmtest::WeponKey out;
    out.firstPosition = kLeftHand;
    out.secondPosition = kRightHand;
    std::vector<std::vector<std::uint32_t>> motions(qmtest::kPlayerModelMotions,
                                                    std::vector<std::uint32_t>(qmtest::kPlayerModelFrames, 0));
    std::fill(motions.at(kSwingMotion).begin() + 1, motions.at(kSwingMotion).end(), 1U);
    qmtest::SaveBytes(model + ".wpm", qmtest::BuildWeponStateFile({qmtest::PlayerModelWeponKey(), out}, motions));
}

}  // namespace sample
