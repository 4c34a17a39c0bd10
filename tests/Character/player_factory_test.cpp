// The player factory and its class tables, the party record round trip, the town and weapon
// models, the triangle reorder and the value tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <typeindex>

#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroB.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroE.h"
#include "MainCode/Character/THeroF.h"
#include "MainCode/Character/THeroG.h"
#include "MainCode/Character/THeroH.h"
#include "MainCode/Character/THeroI.h"
#include "MainCode/Character/THeroJ.h"
#include "MainCode/Character/THeroK.h"
#include "MainCode/Character/THeroine08.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "player_fixture.h"
#include "TCommon/my_error.h"
#include "platform/testing/win32.h"
#include "support/character_probe.h"
#include "support/fuzz.h"

namespace playertest {
namespace {

class PlayerFactoryTest : public PlayerFixture {};

TEST_F(PlayerFactoryTest, EveryPairOfBothCharactersMakesItsClassWithItsModel)
{
    struct Made {
        std::type_index type;
        const char* model;
    };
    using I = std::type_index;
    const std::optional<Made> none;
    const std::optional<Made> classes[2][12] = {
        {Made{I(typeid(THeroA)), "hero01"}, Made{I(typeid(THeroB)), "hero01"}, Made{I(typeid(THeroC)), "hero02"},
         none, none, Made{I(typeid(THeroD)), "hero04"}, Made{I(typeid(THeroE)), "hero04"},
         Made{I(typeid(THeroF)), "hero04"}, Made{I(typeid(THeroG)), "hero05"}, none,
         Made{I(typeid(THeroH)), "hero07"}, none},
        {Made{I(typeid(THeroA)), "heroine01"}, Made{I(typeid(THeroB)), "heroine01"},
         Made{I(typeid(THeroC)), "heroine02"}, Made{I(typeid(THeroI)), "heroine03"},
         Made{I(typeid(THeroJ)), "heroine03"}, none, none, none, none, Made{I(typeid(THeroK)), "heroine06"}, none,
         Made{I(typeid(THeroine08)), "heroine08"}},
    };
    for (const char* model : {"hero04", "hero05", "hero07", "heroine03", "heroine06", "heroine08"}) {
        WriteHeroModel(model);
    }
    for (std::uint32_t c = 0; c < 2; ++c) {
        for (std::uint32_t t = 0; t < 12; ++t) {
            data_->GetCharacterData(c)->WeaponId = 1000 + t;
            TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(links_, c);
            const std::optional<Made>& expected = classes[c][t];
            ASSERT_EQ(made.Get() != nullptr, expected.has_value()) << c << " " << t;
            if (!expected) {
                continue;
            }
            EXPECT_EQ(I(typeid(*made.Get())), expected->type) << c << " " << t;
            EXPECT_EQ(TCharacterProbe::WeaponModelName(*made), expected->model) << c << " " << t;
            EXPECT_EQ(made->GetBodyMesh()->GetName(), expected->model) << c << " " << t;
            EXPECT_EQ(made->GetCharacterIndex(), c);
        }
    }
    // A weapon type outside 0..11 and a third character.
    TWeponTable::Get(1000).Type = 12;
    data_->GetCharacterData(0)->WeaponId = 1000;
    EXPECT_EQ(CreatePlayerCharacter(links_, 0).Get(), nullptr);
    TWeponTable::Get(1000).Type = -1;
    EXPECT_EQ(CreatePlayerCharacter(links_, 0).Get(), nullptr);
    EXPECT_EQ(CreatePlayerCharacter(links_, 2).Get(), nullptr);
}

TEST_F(PlayerFactoryTest, LeaderChangeStoresTheOldLeaderFirst)
{
    TRefPtr<TPlayerCharacter> old = CreatePlayerCharacter(links_, 0);
    ASSERT_NE(old.Get(), nullptr);
    TCharacterProbe::ConsumeHp(*old, 30);
    old->GetPoison().Remaining = 77;
    gauge_->SetSelection(3);
    links_.player = old.Get();
    // Even a new leader without a class finds the old one stored.
    data_->GetCharacterData(1)->WeaponId = 1005;
    EXPECT_EQ(CreatePlayerCharacter(links_, 1).Get(), nullptr);
    const TCharacterRecord* record = data_->GetCharacterData(0);
    EXPECT_EQ(record->Life, old->GetHp());
    EXPECT_EQ(record->StateWord[0], 77u);
    EXPECT_EQ(data_->GetGaugeCarry(), 3u);
}

TEST_F(PlayerFactoryTest, WithoutAFieldTheNewPlayerTakesNoPartsAndNoLeaderIsStored)
{
    TRefPtr<TPlayerCharacter> old = CreatePlayerCharacter(links_, 0);
    ASSERT_NE(old.Get(), nullptr);
    const auto life = data_->GetCharacterData(0)->Life;
    TCharacterProbe::ConsumeHp(*old, 30);
    ASSERT_NE(old->GetHp(), life);
    gauge_->SetSelection(4);
    data_->SetGaugeCarry(3);
    data_->GetCharacterData(1)->WeaponId = 1001;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(static_cast<TFieldLoop*>(nullptr), 1);
    ASSERT_NE(made.Get(), nullptr);
    EXPECT_EQ(data_->GetCharacterData(0)->Life, life);
    EXPECT_EQ(data_->GetGaugeCarry(), 3u);
    EXPECT_EQ(gauge_->GetSelection(), 4u);
}

TEST_F(PlayerFactoryTest, StoringChangesNothingButWhatThePlayerChanged)
{
    TCharacterRecord* record = data_->GetCharacterData(1);
    record->WeaponId = 1001;
    record->Accessory1Id = 2005;
    record->Accessory2Id = 2007;
    record->Level = 4;
    record->StateWord[8] = 99;
    const TCharacterRecord before = *record;
    TRefPtr<TPlayerCharacter> player = CreatePlayerCharacter(links_, 1);
    ASSERT_NE(player.Get(), nullptr);
    data_->StoreCharacter(*player);
    EXPECT_EQ(record->WeaponId, 1001u);
    EXPECT_EQ(record->Accessory1Id, 2005u);
    EXPECT_EQ(record->Accessory2Id, 2007u);
    EXPECT_EQ(record->Level, 4u);
    EXPECT_EQ(record->Life, before.Life);
    EXPECT_EQ(record->LifeMax, before.LifeMax);
    EXPECT_EQ(record->Stat[3], before.Stat[3]);
    EXPECT_EQ(record->ElementValue[5], before.ElementValue[5]);
    EXPECT_EQ(record->StateWord[8], 99u);
    EXPECT_EQ(record->PartyIndex, 1);
}

TEST_F(PlayerFactoryTest, GaugeSelectionCarriedFromOnePlayerToTheNext)
{
    data_->SetGaugeCarry(2);
    {
        std::unique_ptr<TestHero> hero = MakeHero();
        EXPECT_EQ(gauge_->GetSelection(), 2u);
        gauge_->SetSelection(4);
    }
    EXPECT_EQ(data_->GetGaugeCarry(), 4u);
}

TEST_F(PlayerFactoryTest, TownAndWeaponModelsLoadOnceEach)
{
    std::unique_ptr<TestHero> hero = MakeHero(0, 1);
    EXPECT_EQ(TCharacterProbe::IsWeaponModelLoaded(*hero), 1);
    // Loading the weapon model while it is loaded reads nothing.
    std::filesystem::remove("char04/hero01.tob");
    EXPECT_NO_THROW(hero->LoadWeaponModel());

    hero->LoadTownModel();
    EXPECT_EQ(TCharacterProbe::IsWeaponModelLoaded(*hero), 0);
    EXPECT_EQ(hero->GetBodyMesh()->GetName(), "hero01");
    std::filesystem::remove("char04/hero.tob");
    EXPECT_NO_THROW(hero->LoadTownModel());

    // Type 1 plays "hero01" again.
    EXPECT_THROW(hero->LoadWeaponModel(), my_error);
    EXPECT_EQ(TCharacterProbe::IsWeaponModelLoaded(*hero), 0);
    WriteHeroModel("hero01");
    hero->LoadWeaponModel();
    EXPECT_EQ(TCharacterProbe::IsWeaponModelLoaded(*hero), 1);
    EXPECT_EQ(hero->GetWeaponId(), 1001u);
}

TEST_F(PlayerFactoryTest, UvRegionTrianglesGoLastKeepingTheirOrderFromTheEnd)
{
    // Four triangles; vertex u/v inside (0.25, 0.3125) x (0.75, 0.875) marks a triangle.
    qmtest::MeshFile file = qmtest::GroundMesh().Floor(0, 0, 1, 1, 0).Floor(2, 0, 3, 1, 0).File("uv");
    ASSERT_EQ(file.indices.size(), 12u);
    std::vector<qmtest::MeshVertex>& v = file.keyFrames[0];
    for (auto& vertex : v) {
        vertex.u = 0.0F;
        vertex.v = 0.0F;
    }
    // Triangle 1 marked just inside both bounds, triangle 3 in the middle; triangle 2 sits on the
    // open bounds (not marked).
    v[file.indices[3]].u = 0.2501F;
    v[file.indices[3]].v = 0.8749F;
    v[file.indices[9]].u = 0.28F;
    v[file.indices[9]].v = 0.8F;
    v[file.indices[6]].u = 0.25F;
    v[file.indices[6]].v = 0.8F;
    v[file.indices[7]].u = 0.3125F;
    v[file.indices[7]].v = 0.8F;
    v[file.indices[8]].u = 0.28F;
    v[file.indices[8]].v = 0.875F;
    TMesh8 mesh = Load(file, "uv.msh");
    TPlayerCharacter::MoveUvRegionTrianglesLast(mesh);
    const std::uint16_t* indices = mesh.LockIndicesReadOnly();
    const std::vector<int> expected = {0, 2, 3, 1};
    for (int place = 0; place < 4; ++place) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(indices[place * 3 + k], file.indices[expected[place] * 3 + k]) << place;
        }
    }
    mesh.UnlockIndices();
}

TEST_F(PlayerFactoryTest, ValueTablesShortOrMissingKeepWhatWasRead)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    ASSERT_EQ(TCharacterProbe::ExperienceTable(*hero).size(), 201u);
    EXPECT_EQ(TCharacterProbe::ExperienceTable(*hero)[200], 2000u);
    EXPECT_EQ(TCharacterProbe::AbilityPointTable(*hero)[1], 3u);

    WriteValueTable("tbl/ex.tbl", 200, 10);
    std::filesystem::remove("tbl/abp.tbl");
    // The missing table is logged beside the program: here, in the test's own folder.
    platform::OverrideModuleFileName((std::filesystem::current_path() / "quillmark4").string());
    std::unique_ptr<TestHero> shorter = MakeHero();
    platform::OverrideModuleFileName("");
    EXPECT_EQ(TCharacterProbe::ExperienceTable(*shorter).size(), 200u);
    EXPECT_TRUE(TCharacterProbe::AbilityPointTable(*shorter).empty());
    std::ifstream log("ErrorLog.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("tbl/abp.tbl"), std::string::npos) << text;
}

TEST_F(PlayerFactoryTest, CutTableKeepsTheRecordsBeforeTheCut)
{
    std::vector<std::uint32_t> values = {5, 6, 7, 8};
    std::vector<std::uint8_t> bytes = qmtest::BuildSoundList(values);
    bytes.resize(bytes.size() - 5);
    qmtest::SaveBytes("cut.tbl", bytes);
    std::vector<std::uint32_t> out;
    EXPECT_FALSE(TPlayerCharacter::LoadValueTable("cut.tbl", out));
    EXPECT_EQ(out, (std::vector<std::uint32_t>{5, 6}));
}

TEST_F(PlayerFactoryTest, ValueTablesSurviveDamagedFiles)
{
    std::vector<std::uint32_t> values;
    for (std::uint32_t i = 0; i < 201; ++i) {
        values.push_back(i * 7);
    }
    for (bool scrambled : {true, false}) {
        qmtest::FuzzOptions options;
        options.mutations = 600;
        qmtest::FuzzFile(qmtest::BuildSoundList(values, scrambled), "tbl/ex.tbl", [](const std::string& path) {
            std::vector<std::uint32_t> out;
            TPlayerCharacter::LoadValueTable(path, out);
            EXPECT_LE(out.size(), std::filesystem::file_size(path) / 4);
        }, options);
    }
}

}  // namespace
}  // namespace playertest
