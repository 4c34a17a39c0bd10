// The game database: its life, a new game's state, money, flags, and the option levels driving
// the sound banks.
#include "game_data_fixture.h"

#include <tuple>

#include "dx/dx8/sound/TPseSound.h"
#include "dx/dx8/sound/TStreamSound.h"
#include "sound/sound_fixture.h"
#include "formats/pse_writer.h"
#include "formats/table_writer.h"
#include "formats/wave_writer.h"

namespace {

using gamedatatest::GameDataTest;

TEST_F(GameDataTest, NewGameState)
{
    data_->SetMoney(5);
    data_->SetFlag(7, 1);
    data_->SetPickupFlag(1023, 1);
    data_->SetSavePoint(40);
    data_->SetActiveCharacter(1);
    data_->SetMiniMapState(0);
    data_->AddItem(3, 2);
    data_->Reset();

    EXPECT_EQ((std::vector<std::int64_t>{data_->GetBgmVolume(), data_->GetSeVolume(), data_->GetVoiceVolume(),
                                         data_->GetMiniMapState(), data_->GetActiveCharacter(), data_->GetSavePoint(),
                                         data_->GetMoney(), data_->GetFlag(7), data_->GetPickupFlag(1023),
                                         data_->GetItemKindCount(), data_->GetRingSlot(1)->Id,
                                         data_->GetRingSlot(1)->Count, data_->GetRingSlot(0)->Id}),
              (std::vector<std::int64_t>{64, 64, 64, 1, 0, 0, 30000, 0, 0, 0, 1, 5, 0}));

    // Records start from their hero definitions; undefined heroes from the default one.
    const TCharacterRecord* zav = data_->GetCharacterData(1);
    EXPECT_EQ(std::make_tuple(zav->Level, zav->Life, zav->WeaponId), std::make_tuple(3u, 800, 1001u));
    EXPECT_EQ(data_->GetCharacterData(5)->LifeMax, 100);
}

TEST_F(GameDataTest, MoneyStaysBetweenZeroAndTheCap)
{
    data_->SetMoney(2000000);
    EXPECT_EQ(data_->GetMoney(), 1700000u);
    data_->SetMoney(1699990);
    data_->AddMoney(100);
    EXPECT_EQ(data_->GetMoney(), 1700000u);
    // A huge amount does not wrap round to a small sum.
    data_->SetMoney(30000);
    data_->AddMoney(0xFFFFFFF0u);
    EXPECT_EQ(data_->GetMoney(), 1700000u);
    data_->SubMoney(1699999);
    EXPECT_EQ(data_->GetMoney(), 1u);
    data_->SubMoney(2);
    EXPECT_EQ(data_->GetMoney(), 0u);
}

TEST_F(GameDataTest, FlagsReadAndWriteOnlyInsideTheirArrays)
{
    data_->SetFlag(0, 1);
    data_->SetFlag(2047, 0xAB);
    data_->SetPickupFlag(0, 2);
    data_->SetPickupFlag(1023, 3);
    const auto ends = [this] {
        return std::vector<int>{data_->GetFlag(0), data_->GetFlag(2047), data_->GetPickupFlag(0),
                                data_->GetPickupFlag(1023)};
    };
    EXPECT_EQ(ends(), (std::vector<int>{1, 0xAB, 2, 3}));

    // Numbers from scripts past the ends (or -1) change nothing and read 0.
    for (std::uint32_t id : {2048u, 0xFFFFFFFFu}) {
        data_->SetFlag(id, 9);
        EXPECT_EQ(data_->GetFlag(id), 0);
    }
    for (std::uint32_t i : {1024u, 0xFFFFFFFFu}) {
        data_->SetPickupFlag(i, 9);
        EXPECT_EQ(data_->GetPickupFlag(i), 0);
    }
    EXPECT_EQ(ends(), (std::vector<int>{1, 0xAB, 2, 3}));
    EXPECT_EQ(data_->GetCharacterData(8), nullptr);
    EXPECT_EQ(data_->GetCharacterData(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(data_->GetRingSlot(8), nullptr);
    EXPECT_EQ(data_->GetTimedFlags(8), nullptr);
}

// The option levels drive the banks of a running sound core.
class GameDataVolumeTest : public soundtest::SoundCoreTest {
protected:
    void SetUp() override
    {
        SoundCoreTest::SetUp();
        qmtest::SaveBytes(dir_.File("se.pse"),
                          qmtest::BuildPse({{"w1", qmtest::PcmFormat(2, 44100, 16),
                                             qmtest::Pcm16Bytes(std::vector<std::int16_t>(2 * 441, 1000))}}));
        qmtest::SaveBytes(dir_.File("se.tbl"), qmtest::BuildSoundTable({{1, "w1"}}));
        core_->CreateBank(dir_.File("se.tbl"), "se.pse/", 0, -10000, -500);
        core_->CreateBank(dir_.File("none.tbl"), "voice.pse/", 1, -10000, -500);
        core_->CreateBank(dir_.File("none.tbl"), "", 2, -10000, -500);
        core_->GetBank(0)->Load(1);
        cwd_ = std::make_unique<qmtest::ScopedCwd>(dir_.Path());  // no "./setting.ini" here
        TGameData::SetTableDirectory(dir_.Path().string() + "/");
        TGameData::Initialize();
        data_ = TGameData::GetInstance();
    }

    void TearDown() override
    {
        TGameData::Finalize();
        cwd_.reset();
        SoundCoreTest::TearDown();
    }

    std::int32_t SoundVolume() { return core_->GetBank(0)->Get(1)->GetVolume(); }

    std::unique_ptr<qmtest::ScopedCwd> cwd_;
    TGameData* data_ = nullptr;
};

TEST_F(GameDataVolumeTest, NewGameSetsEveryBankToFullVolume)
{
    EXPECT_EQ(SoundVolume(), -500);
    data_->Reset();
    for (std::uint32_t bank = 0; bank < 3; ++bank) {
        EXPECT_EQ(core_->GetBank(bank)->GetMaxVolume(), 0) << bank;
    }
    EXPECT_EQ(SoundVolume(), 0);

    data_->SetSeVolume(32);
    data_->SetVoiceVolume(0);
    data_->SetBgmVolume(16);
    data_->ApplyVolumes();
    EXPECT_EQ((std::vector<std::int32_t>{core_->GetBank(0)->GetMaxVolume(), core_->GetBank(1)->GetMaxVolume(),
                                         core_->GetBank(2)->GetMaxVolume(), SoundVolume()}),
              (std::vector<std::int32_t>{-1875, -10000, AttenuationToVolume(0.75f), -1875}));
}

}  // namespace

namespace {

// A level from a damaged record is taken at the nearer end of 0..64: never louder than full, never
// below silence; each bank alone at its own level.
TEST_F(GameDataVolumeTest, LevelsOutsideTheirRangeAreTakenAtTheNearerEnd)
{
    const struct {
        std::int32_t level;
        std::int32_t volume;
    } cases[] = {{-100000, -10000}, {-1, -10000}, {0, -10000}, {1, -9599},
                   {63, -16},          {64, 0},      {65, 0},      {100000, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        data_->SetSeVolume(c.level);
        data_->SetVoiceVolume(2);
        data_->SetBgmVolume(56);
        data_->ApplyVolumes();
        EXPECT_EQ(core_->GetBank(0)->GetMaxVolume(), c.volume);
        EXPECT_EQ(SoundVolume(), c.volume);
        EXPECT_EQ(core_->GetBank(1)->GetMaxVolume(), -9209);
        EXPECT_EQ(core_->GetBank(2)->GetMaxVolume(), -169);
    }
}

}  // namespace
