#include "sound_fixture.h"

#include "dx/dx8/sound/TSoundList.h"
#include "formats/table_writer.h"
#include "formats/wave_writer.h"
#include "support/dx_probe.h"

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

TEST_F(BankTest, LaterRecordWinsFindIdTakesTheSmallestIdAndMissingOnesGiveNoSound)
{
    bank_->Load(7);
    bank_->Play(7);
    EXPECT_EQ(Pull(1)[0], 2000);
    // Stopped, it is silent at once; played again it is heard again.
    bank_->Stop(7);
    const std::vector<std::int16_t> stopped = Pull(64);
    EXPECT_EQ(stopped, std::vector<std::int16_t>(128, 0));
    bank_->Play(7);
    EXPECT_EQ(Pull(1)[0], 2000);
    bank_->Stop(7);
    EXPECT_EQ(Pull(1)[0], 0);
    EXPECT_EQ(bank_->FindId("w3"), 20);
    EXPECT_EQ(bank_->FindId("w1"), 1);
    EXPECT_EQ(bank_->FindId("w2"), 7);
    EXPECT_EQ(bank_->FindId("W1"), -1);

    // An id without a record, and one whose name has no wave: no sound, nothing played.
    for (std::uint32_t id : {5u, 30u}) {
        EXPECT_EQ(bank_->Get(id).Get(), nullptr) << id;
        bank_->Play(id);
        EXPECT_EQ(Pull(1)[0], 0) << id;
        bank_->Stop(id);
        EXPECT_EQ(bank_->GetLength(id), -1) << id;
    }
}

TEST_F(BankTest, UseCountsKeepSoundsUntilPurgedAtZeroOrReleased)
{
    bank_->Load(1);
    bank_->Load(1);
    EXPECT_EQ(TDxProbe::UseCount(*bank_, 1), 2u);
    bank_->Unload(1);
    core_->PurgeUnused();
    EXPECT_TRUE(bank_->IsLoaded(1));
    bank_->Unload(1);
    bank_->Unload(1);
    EXPECT_EQ(TDxProbe::UseCount(*bank_, 1), 0u);  // never below 0
    EXPECT_TRUE(bank_->IsLoaded(1));  // idle, not gone
    core_->PurgeUnused();
    EXPECT_FALSE(bank_->IsLoaded(1));
    bank_->Unload(99);  // unknown ids are ignored
}

TEST_F(BankTest, VolumesAreClampedByTheBanksLimits)
{
    for (const auto& [set, got] : {std::pair{1, 0}, {0, 0}, {-10000, -10000}, {-10001, -10000}}) {
        bank_->SetMaxVolume(set);
        EXPECT_EQ(bank_->GetMaxVolume(), got) << set;
    }
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
        EXPECT_EQ(TDxProbe::UseCount(*bank_, 1), 2u);
        {
            TSoundList copy(list);
            EXPECT_EQ(TDxProbe::UseCount(*bank_, 1), 4u);
            EXPECT_EQ(TDxProbe::UseCount(*bank_, 7), 2u);
        }
        EXPECT_EQ(TDxProbe::UseCount(*bank_, 1), 2u);
    }
    // Gone from the list, still loaded until the purge.
    EXPECT_EQ(TDxProbe::UseCount(*bank_, 1), 0u);
    EXPECT_TRUE(bank_->IsLoaded(1));
    core_->PurgeUnused();
    EXPECT_FALSE(bank_->IsLoaded(1));
    EXPECT_FALSE(bank_->IsLoaded(7));

    TSoundList noBank(core_->GetBank(7), dir_.File("menu_se.tbl"));
    EXPECT_TRUE(noBank.GetIds().empty());
}

}  // namespace
