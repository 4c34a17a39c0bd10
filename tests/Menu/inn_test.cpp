// The inn over a field, step by step: the fade to black, the inn tune for its length, the fade back,
// with and without the area's music and its fader, and the party healed as it was built.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/Menu/TInnLoop.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "formats/byte_writer.h"
#include "formats/ogg_writer.h"
#include "formats/table_writer.h"
#include "Menu/shop_fixture.h"
#include "support/main_probe.h"
#include "support/menu_probe.h"

namespace {

class Inn : public fieldtest::FieldGame {
protected:
    // The field folder with the first map's music (empty: none) and the inn tune of that many
    // milliseconds (negative: the music table names it but its file is missing).
    void StartWith(const std::string& music, int tuneMs)
    {
        std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
        maps[0].music = music;
        qmtest::WriteFieldFolder(".", maps);
        qmtest::WriteWindowedSettingsWithDepth();
        std::vector<std::pair<std::uint32_t, std::string>> table = qmtest::FieldMusicTable();
        table.push_back({16, "inn.ogg"});
        qmtest::SaveBytes("data/tbl04/bgm.tbl", qmtest::BuildSoundTable(table));
        std::filesystem::create_directories("data/tbl04/subset");
        qmtest::SaveBytes("data/tbl04/subset/inn_bgm.tbl", qmtest::BuildSoundList({16}));
        std::filesystem::remove("data/bgm04/inn.ogg");
        if (tuneMs >= 0) {
            // 16 samples a millisecond: every length is a whole number of samples.
            qmtest::WriteOggTone("data/bgm04/inn.ogg", {{static_cast<std::size_t>(tuneMs) * 16, 0.2}}, 2, 16000);
        }
        ASSERT_TRUE(driver_.Start());
        field_ = Ready("battle");
        ASSERT_NE(field_, nullptr);
    }

    TFieldLoop* field_ = nullptr;
};

enum Phase { kOut, kTune, kIn, kEnded };

TEST_F(Inn, FadesToBlackPlaysTheTuneForItsLengthAndFadesBack)
{
    const struct Case {
        const char* what;
        const char* music;
        int tuneMs;
        std::vector<int> phases;  // steps fading out, playing, fading in
        std::int32_t waitSteps;
    } cases[] = {
        // 1000 ms are 62 steps of 16 ms: the count runs 62 .. 0 and leaves at -1.
        {"a tune of 1000 ms over the area's music", "battle.ogg", 1000, {61, 63, 60}, 62},
        {"a tune of 1000 ms where the area has no music", "", 1000, {61, 63, 60}, 62},
        {"a tune of 1008 ms", "", 1008, {61, 64, 60}, 63},
        {"a tune of 1012 ms", "", 1012, {61, 64, 60}, 63},
        {"a tune the bank lacks", "battle.ogg", -1, {61, 1, 60}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(StartWith(c.music, c.tuneMs));
        TSoundBank* music = TDSound8::Instance()->GetBank(2);
        const bool hasMusic = *c.music != '\0';
        if (c.tuneMs >= 0) {
            ASSERT_EQ(music->FindId("inn.ogg"), 16);
        }
        auto* inn = new TInnLoop(app_.get(), field_);
        EXPECT_EQ(TMenuProbe::HasFader(*inn), hasMusic);
        // The decoder's length may come a millisecond short.
        EXPECT_NEAR(music->GetLength(16), c.tuneMs >= 0 ? c.tuneMs : -1, 1);
        app_->PushScene(inn);
        driver_.RecordSounds(true);
        std::vector<int> phases(3, 0);
        int tuneStep = 0;
        std::int32_t waitSteps = -100;
        for (int step = 1; step < 400 && TMainProbe::CurrentScene(*app_) == inn; ++step) {
            const Phase before = TMenuProbe::IsFadingOut(*inn) ? kOut : TMenuProbe::IsPlayingTune(*inn) ? kTune : kIn;
            if (before == kTune && waitSteps == -100) {
                waitSteps = TMenuProbe::WaitSteps(*inn);
            }
            if (before == kTune && TMainProbe::Counter(TMenuProbe::Quad(*inn)) != 60) {
                ADD_FAILURE() << "the picture is not black while the tune plays, step " << step;
            }
            if (before == kIn && hasMusic != TMenuProbe::HasFader(*inn)) {
                ADD_FAILURE() << "the fader came or went while fading in, step " << step;
            }
            driver_.sounds.clear();
            Step();
            ++phases[before];
            for (const auto& r : driver_.sounds) {
                if (r.bank == 2 && r.id == 16 && r.op == TSoundBankRecord::kPlay) {
                    tuneStep = step;
                }
            }
        }
        driver_.RecordSounds(false);
        EXPECT_EQ(TMainProbe::CurrentScene(*app_), field_);
        EXPECT_EQ(phases, c.phases);
        EXPECT_EQ(tuneStep, 61);
        EXPECT_EQ(waitSteps, c.waitSteps) << "the count as it was set, before its first step";

        if (hasMusic) {
            TRefPtr<TStreamSound> area = music->Get(10);
            ASSERT_NE(area.Get(), nullptr);
            EXPECT_EQ(area->GetVolume(), area->GetMaxVolume());
        }
        driver_.Stop();
    }
}

TEST_F(Inn, HealsThePartyAtOnceAndLeavesEverythingElseAsItWas)
{
    ASSERT_NO_FATAL_FAILURE(StartWith("battle.ogg", 0));
    TPlayerCharacter* player = field_->GetPlayer();
    TGameData* data = TGameData::GetInstance();
    player->TakeDamage(37);
    player->ConsumeMp(11);
    player->SetGaugeUsed(250);
    data->GetCharacterData(1)->Life = 3;
    data->GetCharacterData(1)->Mp = 4;
    data->GetCharacterData(7)->GaugeUsed = 90;
    data->SetMoney(321);
    const std::int32_t maxHp = player->GetMaxHp();
    ASSERT_LT(player->GetHp(), maxHp);
    D3DXVECTOR3 before;
    player->GetPosition(&before);

    auto* inn = new TInnLoop(app_.get(), field_);
    EXPECT_EQ(player->GetHp(), maxHp);
    EXPECT_EQ(player->GetMp(), player->GetMaxMp());
    EXPECT_EQ(player->GetGaugeUsed(), 0u);
    for (std::uint32_t i : {0u, 1u, 7u}) {
        const TCharacterRecord* record = data->GetCharacterData(i);
        EXPECT_EQ(record->Life, record->LifeMax) << i;
        EXPECT_EQ(record->Mp, record->MpMax) << i;
        EXPECT_EQ(record->GaugeUsed, 0) << i;
    }
    app_->PushScene(inn);
    for (int i = 0; i < 300 && TMainProbe::CurrentScene(*app_) == inn; ++i) {
        Step();
    }
    ASSERT_EQ(TMainProbe::CurrentScene(*app_), field_);
    D3DXVECTOR3 after;
    player->GetPosition(&after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(data->GetMoney(), 321u);
    EXPECT_EQ(player->GetHp(), maxHp);
}

}  // namespace
