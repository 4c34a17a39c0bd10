// The game database: its life, a new game's state, money, flags and the inn, and the option
// levels driving the sound banks.
#include "game_data_fixture.h"

#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TItemTable.h"
#include "dx/dx8/sound/TPseSound.h"
#include "dx/dx8/sound/TStreamSound.h"
#include "sound/sound_fixture.h"
#include "support/byte_writer.h"
#include "support/pse_writer.h"
#include "support/table_writer.h"
#include "support/wave_writer.h"

namespace {

using gamedatatest::GameDataTest;

TEST_F(GameDataTest, InitializeLoadsTheMainTablesAndFinalizeEmptiesThem)
{
    // The new game of SetUp asked for heroes 2..7 too: they were added as default records.
    EXPECT_EQ(THrdefTable::GetCount(), 8u);
    EXPECT_EQ(THrdefTable::Get(1).Name, "hero1");
    TGameData::Finalize();
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
    EXPECT_EQ(THrdefTable::GetCount(), 0u);
    EXPECT_EQ(TItemTable::GetCount(), 0u);

    // A second start makes a fresh instance; the capture flag follows "./setting.ini".
    qmtest::ByteWriter().Bytes("[CaptureCaps]\r\nCaptureType=2\r\n").Save(dir_.File("setting.ini"));
    TGameData::Initialize();
    ASSERT_NE(TGameData::GetInstance(), nullptr);
    EXPECT_EQ(TGameData::GetInstance()->GetItemKindCount(), 0);
    EXPECT_EQ(THrdefTable::GetCount(), 2u);
    EXPECT_TRUE(TGameData::IsCaptureMode());
    qmtest::ByteWriter().Bytes("[CaptureCaps]\r\nOther=1\r\n").Save(dir_.File("setting.ini"));
    TGameData::Initialize();
    EXPECT_FALSE(TGameData::IsCaptureMode());
}

TEST_F(GameDataTest, NewGameState)
{
    data_->SetMoney(5);
    data_->SetFlag(7, 1);
    data_->SetPickupFlag(1023, 1);
    data_->SetSavePoint(40);
    data_->SetActiveCharacter(1);
    data_->SetMiniMapState(0);
    data_->SetGaugeCarry(77);
    data_->AddItem(3, 2);
    data_->GetCharacterData(0)->LearnedSkills.push_back(2000);
    TRefPtr<TItemMean> boost(new TItemMean);
    boost->Bonus[1] = 4;
    boost->Duration = 50;
    data_->GetTimedFlags(3)->Set(boost);
    ASSERT_TRUE(data_->GetTimedFlags(3)->IsActive());
    data_->Reset();

    EXPECT_EQ(data_->GetBgmVolume(), 64);
    EXPECT_EQ(data_->GetSeVolume(), 64);
    EXPECT_EQ(data_->GetVoiceVolume(), 64);
    EXPECT_EQ(data_->GetMiniMapState(), 1);
    EXPECT_EQ(data_->GetActiveCharacter(), 0);
    EXPECT_EQ(data_->GetSavePoint(), 0);
    EXPECT_EQ(data_->GetMoney(), 30000u);
    EXPECT_EQ(data_->GetGaugeCarry(), 0u);
    EXPECT_EQ(data_->GetFlag(7), 0);
    EXPECT_EQ(data_->GetPickupFlag(1023), 0);
    EXPECT_EQ(data_->GetItemKindCount(), 0);
    EXPECT_FALSE(data_->GetTimedFlags(3)->IsActive());
    EXPECT_EQ(boost.UseCount(), 1u);
    EXPECT_EQ(data_->GetRingSlot(1)->Id, 1u);
    EXPECT_EQ(data_->GetRingSlot(1)->Count, 5);
    for (std::uint32_t slot : {0u, 2u, 7u}) {
        EXPECT_EQ(data_->GetRingSlot(slot)->Id, 0u);
    }

    // Records start from their hero definitions; undefined heroes from the default one.
    const TCharacterRecord* zav = data_->GetCharacterData(1);
    EXPECT_EQ(zav->PartyIndex, 1);
    EXPECT_EQ(zav->Level, 3u);
    EXPECT_EQ(zav->Experience, 1000u);
    EXPECT_EQ(zav->LifeMax, 800);
    EXPECT_EQ(zav->Life, 800);
    EXPECT_EQ(zav->MpMax, 400);
    EXPECT_EQ(zav->Mp, 400);
    EXPECT_EQ(zav->GaugeMax, 1200);
    EXPECT_EQ(zav->Stat[3], 14);
    EXPECT_EQ(zav->ElementValue[2], 0.5f);
    EXPECT_EQ(zav->WeaponId, 1001u);
    EXPECT_EQ(zav->Accessory2Id, 2002u);
    EXPECT_TRUE(data_->GetCharacterData(0)->LearnedSkills.empty());
    const TCharacterRecord* nobody = data_->GetCharacterData(5);
    EXPECT_EQ(nobody->PartyIndex, -1);
    EXPECT_EQ(nobody->LifeMax, 100);
    EXPECT_EQ(nobody->Stat[2], 100);
    EXPECT_EQ(nobody->WeaponId, 1000u);
    // What no hero definition sets starts at zero.
    const TCharacterRecord fresh;
    EXPECT_EQ(fresh.GaugeUsed, 0);
    EXPECT_EQ(fresh.SkillSlot[4], 0u);
    EXPECT_EQ(fresh.WeponPoints[199], 0);
    EXPECT_EQ(fresh.StateWord[9], 0u);
}

TEST_F(GameDataTest, MoneyStaysBetweenZeroAndTheCap)
{
    data_->SetMoney(2000000);
    EXPECT_EQ(data_->GetMoney(), 1700000u);
    TGameData::SetMaxMoney(10000);
    data_->SetMoney(2000000);
    EXPECT_EQ(data_->GetMoney(), 10000u);
    TGameData::SetMaxMoney(1700000);

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
    EXPECT_EQ(data_->GetFlag(0), 1);
    EXPECT_EQ(data_->GetFlag(2047), 0xAB);
    EXPECT_EQ(data_->GetPickupFlag(0), 2);
    EXPECT_EQ(data_->GetPickupFlag(1023), 3);

    // Numbers from scripts past the ends (or -1) change nothing and read 0.
    for (std::uint32_t id : {2048u, 3072u, 0xFFFFFFFFu}) {
        data_->SetFlag(id, 9);
        EXPECT_EQ(data_->GetFlag(id), 0);
    }
    for (std::uint32_t i : {1024u, 0xFFFFFFFFu}) {
        data_->SetPickupFlag(i, 9);
        EXPECT_EQ(data_->GetPickupFlag(i), 0);
    }
    EXPECT_EQ(data_->GetPickupFlag(0), 2);
    EXPECT_EQ(data_->GetFlag(2047), 0xAB);
    EXPECT_EQ(data_->GetCharacterData(8), nullptr);
    EXPECT_EQ(data_->GetCharacterData(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(data_->GetRingSlot(8), nullptr);
    EXPECT_EQ(data_->GetTimedFlags(8), nullptr);
    EXPECT_NE(data_->GetTimedFlags(7), nullptr);
    EXPECT_EQ(data_->GetSkillFactor(13), 0.0f);
}

TEST_F(GameDataTest, InnRecoversOneOrTheWholeParty)
{
    for (std::uint32_t i = 0; i < 8; ++i) {
        TCharacterRecord* r = data_->GetCharacterData(i);
        r->Life = 1;
        r->Mp = 2;
        r->GaugeUsed = 300;
    }
    data_->RecoverCharacter(1);
    EXPECT_EQ(data_->GetCharacterData(1)->Life, 800);
    EXPECT_EQ(data_->GetCharacterData(1)->Mp, 400);
    EXPECT_EQ(data_->GetCharacterData(1)->GaugeUsed, 0);
    EXPECT_EQ(data_->GetCharacterData(0)->Life, 1);
    data_->RecoverCharacter(8);  // nobody
    EXPECT_EQ(data_->GetCharacterData(7)->Life, 1);
    data_->RecoverCharacter(-1);
    for (std::uint32_t i = 0; i < 8; ++i) {
        const TCharacterRecord* r = data_->GetCharacterData(i);
        EXPECT_EQ(r->Life, r->LifeMax) << i;
        EXPECT_EQ(r->Mp, r->MpMax) << i;
        EXPECT_EQ(r->GaugeUsed, 0) << i;
    }
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
    EXPECT_EQ(core_->GetBank(0)->GetMaxVolume(), AttenuationToVolume(0.5f));
    EXPECT_EQ(core_->GetBank(0)->GetMaxVolume(), -1875);
    EXPECT_EQ(core_->GetBank(1)->GetMaxVolume(), -10000);
    EXPECT_EQ(core_->GetBank(2)->GetMaxVolume(), AttenuationToVolume(0.75f));
    EXPECT_EQ(SoundVolume(), -1875);

    // Raising the level raises the held sounds too, not only their ceiling.
    data_->SetSeVolume(64);
    data_->ApplyVolumes();
    EXPECT_EQ(SoundVolume(), 0);
}

}  // namespace
