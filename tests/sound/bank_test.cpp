#include "sound_fixture.h"

#include "TCommon/my_error.h"
#include "dx/dx8/sound/TSoundList.h"
#include "support/byte_writer.h"
#include "support/table_writer.h"
#include "support/wave_writer.h"
#include "dx/dx8/sound/TPseSound.h"

namespace {

using qmtest::PcmFormat;
using soundtest::SoundCoreTest;

// A package "se.pse" with waves w1..w3 (left sample 1000·n) and a table naming them.
class BankTest : public SoundCoreTest {
protected:
    void SetUp() override
    {
        SoundCoreTest::SetUp();
        std::vector<qmtest::PseWave> waves;
        for (int n = 1; n <= 3; ++n) {
            waves.push_back({"w" + std::to_string(n), PcmFormat(2, 44100, 16),
                             qmtest::Pcm16Bytes(std::vector<std::int16_t>(2 * 441, static_cast<std::int16_t>(1000 * n)))});
        }
        qmtest::SaveBytes(dir_.File("se.pse"), qmtest::BuildPse(waves));
        // Id 7 is named twice: the later record wins. Ids 20 and 21 share a name.
        qmtest::SaveBytes(dir_.File("se.tbl"), qmtest::BuildSoundTable({{1, "w1"}, {7, "w1"}, {7, "w2"}, {21, "w3"},
                                                                         {20, "w3"}, {30, "nothing"}}));
        core_->CreateBank(dir_.File("se.tbl"), "se.pse/", 0, -10000, 0);
        bank_ = core_->GetBank(0);
        ASSERT_NE(bank_, nullptr);
    }

    TSoundBank* bank_ = nullptr;
};

TEST_F(BankTest, LaterRecordWinsAndFindIdTakesTheSmallestId)
{
    bank_->Load(7);
    bank_->Play(7);
    EXPECT_EQ(Pull(1)[0], 2000);
    EXPECT_EQ(bank_->FindId("w3"), 20);
    EXPECT_EQ(bank_->FindId("w1"), 1);
    EXPECT_EQ(bank_->FindId("w2"), 7);
    EXPECT_EQ(bank_->FindId("W1"), -1);
}

TEST_F(BankTest, UseCountsKeepSoundsUntilPurgedAtZeroOrReleased)
{
    bank_->Load(1);
    bank_->Load(1);
    EXPECT_EQ(bank_->GetUseCount(1), 2u);
    bank_->Unload(1);
    core_->PurgeUnused();
    EXPECT_TRUE(bank_->IsLoaded(1));
    bank_->Unload(1);
    bank_->Unload(1);
    EXPECT_EQ(bank_->GetUseCount(1), 0u);  // never below 0
    EXPECT_TRUE(bank_->IsLoaded(1));  // idle, not gone
    core_->PurgeUnused();
    EXPECT_FALSE(bank_->IsLoaded(1));
    bank_->Unload(99);  // unknown ids are ignored

    // An idle sound is reused unchanged; one held outside survives the purge.
    bank_->Load(21);
    TRefPtr<TStreamSound> first = bank_->Get(21);
    first->SetVolume(-500);
    bank_->Unload(21);
    bank_->Load(21);
    EXPECT_EQ(bank_->Get(21).Get(), first.Get());
    EXPECT_EQ(first->GetVolume(), -500);
    bank_->Unload(21);
    core_->PurgeUnused();
    EXPECT_TRUE(bank_->IsLoaded(21));
    first = TRefPtr<TStreamSound>();
    core_->PurgeUnused();
    EXPECT_FALSE(bank_->IsLoaded(21));
    bank_->Load(21);  // loaded afresh at the bank's ceiling
    EXPECT_EQ(bank_->Get(21)->GetVolume(), 0);
}

TEST_F(BankTest, MissingIdsAndNamesGiveNoSound)
{
    EXPECT_EQ(bank_->Get(5).Get(), nullptr);
    bank_->Play(5);
    bank_->Stop(5);
    EXPECT_EQ(bank_->GetLength(5), -1);
    // A table name not in the package: a sound that stays silent.
    bank_->Load(30);
    ASSERT_TRUE(bank_->IsLoaded(30));
    EXPECT_EQ(bank_->Get(30)->GetState(), TStreamSound::kNotLoaded);
    bank_->Play(30);
    EXPECT_EQ(Pull(1)[0], 0);
    // An id the table does not name: the factory gets the bare prefix, a wave without name.
    bank_->Load(99);
    bank_->Load(99);
    EXPECT_EQ(bank_->GetUseCount(99), 2u);
    EXPECT_EQ(bank_->Get(99)->GetState(), TStreamSound::kNotLoaded);
}

TEST_F(BankTest, PlayRestartsAndPlayLoopLoops)
{
    bank_->Load(1);
    EXPECT_EQ(bank_->GetLength(1), 10);  // 441 frames at 44.1 kHz
    bank_->Play(1);
    Pull(400);
    bank_->Play(1);  // from the start again
    Pull(400);
    EXPECT_EQ(Pull(1)[0], 1000);
    Pull(100);
    EXPECT_EQ(Pull(1)[0], 0);  // a one-shot
    bank_->PlayLoop(1);
    Pull(441 * 3);
    EXPECT_EQ(Pull(1)[0], 1000);
    bank_->Stop(1);
    EXPECT_EQ(Pull(1)[0], 0);
    EXPECT_EQ(bank_->Get(1)->GetState(), TStreamSound::kStopped);
}

TEST_F(BankTest, VolumesAreClampedByTheBanksLimits)
{
    bank_->SetMaxVolume(5);
    EXPECT_EQ(bank_->GetMaxVolume(), 0);
    bank_->SetMaxVolume(-2000);
    bank_->Load(1);
    bank_->Load(7);
    TRefPtr<TStreamSound> one = bank_->Get(1);
    EXPECT_EQ(one->GetVolume(), -2000);  // new sounds start at the ceiling
    bank_->SetVolumeAll(0);
    EXPECT_EQ(one->GetVolume(), -2000);
    bank_->SetVolumeAll(-4000);
    EXPECT_EQ(bank_->Get(7)->GetVolume(), -4000);
    bank_->SetMaxVolume(-6000);  // lowers the held sounds
    EXPECT_EQ(one->GetVolume(), -6000);
}

TEST_F(BankTest, SoundListsHoldTheirUsesAndCopiesHoldTheirOwn)
{
    qmtest::SaveBytes(dir_.File("menu_se.tbl"), qmtest::BuildSoundList({1, 7, 1}));
    {
        TSoundList list(bank_, dir_.File("menu_se.tbl"));
        EXPECT_EQ(list.GetIds(), (std::vector<std::uint32_t>{1, 7, 1}));
        EXPECT_EQ(bank_->GetUseCount(1), 2u);
        {
            TSoundList copy(list);
            EXPECT_EQ(bank_->GetUseCount(1), 4u);
            EXPECT_EQ(bank_->GetUseCount(7), 2u);
        }
        EXPECT_EQ(bank_->GetUseCount(1), 2u);
    }
    // Gone from the list, still loaded until the purge.
    EXPECT_EQ(bank_->GetUseCount(1), 0u);
    EXPECT_TRUE(bank_->IsLoaded(1));
    core_->PurgeUnused();
    EXPECT_FALSE(bank_->IsLoaded(1));
    EXPECT_FALSE(bank_->IsLoaded(7));

    TSoundList missing(bank_, dir_.File("none.tbl"));
    EXPECT_TRUE(missing.GetIds().empty());
    TSoundList noBank(core_->GetBank(7), dir_.File("menu_se.tbl"));
    EXPECT_TRUE(noBank.GetIds().empty());
}

TEST_F(BankTest, CoreReplacesBanksAndAnUnreadableTableGivesAnEmptyOne)
{
    EXPECT_EQ(core_->GetBank(7), nullptr);
    bank_->Load(1);
    TRefPtr<TStreamSound> held = bank_->Get(1);
    core_->CreateBank(dir_.File("se.tbl"), "se.pse/", 0, -10000, -3000);
    TSoundBank* replaced = core_->GetBank(0);
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(replaced->GetMaxVolume(), -3000);
    EXPECT_FALSE(replaced->IsLoaded(1));
    held->Play();  // a sound held outside outlives its bank
    EXPECT_EQ(Pull(1)[0], 1000);
    held->Stop(true);

    qmtest::SaveBytes(dir_.File("bad.tbl"), {1, 2, 3});
    core_->CreateBank(dir_.File("bad.tbl"), "se.pse/", 1, -10000, 0);
    TSoundBank* voices = core_->GetBank(1);
    ASSERT_NE(voices, nullptr);
    EXPECT_EQ(voices->FindId("w1"), -1);
    voices->Load(1);
    EXPECT_EQ(voices->Get(1)->GetState(), TStreamSound::kNotLoaded);

    // The factory goes by the path: ".ogg" is tested first; a bare name is no sound kind at all.
    EXPECT_EQ(core_->CreateSound("w1.wav", 0).Get(), nullptr);
    EXPECT_EQ(dynamic_cast<TPseSound*>(core_->CreateSound("x.ogg.pse/w1", 2).Get()), nullptr);
}

class CoreInitTest : public SoundCoreTest {
protected:
    void SetUp() override
    {
        SoundCoreTest::SetUp();
        core_->Uninit();
    }

    std::string ErrorOf(const platform::DirectSoundFaults& faults)
    {
        platform::SetDirectSoundFaults(faults);
        try {
            core_->Init(window_);
        } catch (const my_error& e) {
            return e.what();
        }
        return "";
    }
};

TEST_F(CoreInitTest, AskedFormatIsTakenAndFailuresFallBackOrThrow)
{
    ASSERT_TRUE(core_->Init(window_));
    EXPECT_EQ(core_->GetPrimaryFormat().nSamplesPerSec, 44100u);
    core_->Uninit();
    EXPECT_EQ(core_->GetDevice(), nullptr);

    // Without the format (or without the priority level) the game goes on at 22.05 kHz 8-bit;
    // a silent buffer that cannot be made is ignored.
    for (int fault = 0; fault < 3; ++fault) {
        platform::DirectSoundFaults faults;
        faults.primaryFormat = fault == 0;
        faults.priorityLevel = fault == 1;
        faults.secondaryBuffer = fault == 2;
        EXPECT_EQ(ErrorOf(faults), "");
        EXPECT_TRUE(core_->IsInitialized());
        EXPECT_EQ(core_->GetPrimaryFormat().wBitsPerSample, fault == 2 ? 16 : 8);
        core_->Uninit();
    }

    // Failures with no way on throw their records.
    const std::pair<std::string, std::string> records[] = {
        {"line : 60\r\n", "error : DirectSoundの初期化に失敗しました。"},
        {"line : 71\r\n", "error : 協調レベル設定に失敗しました。"},
        {"line : 75\r\n", "error : 協調レベル設定に失敗しました。"}};
    for (int fault = 0; fault < 3; ++fault) {
        platform::DirectSoundFaults faults;
        faults.create = fault == 0;
        faults.primaryFormat = fault == 1;
        faults.priorityLevel = fault == 2;
        faults.normalLevel = fault != 0;
        const std::string record = ErrorOf(faults);
        EXPECT_NE(record.find(records[fault].first), std::string::npos) << record;
        EXPECT_NE(record.find(records[fault].second), std::string::npos) << record;
        EXPECT_FALSE(core_->IsInitialized());
    }
    platform::SetDirectSoundFaults({});
    core_->Uninit();
}

}  // namespace
