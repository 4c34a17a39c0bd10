// Map changes: the fade through black or white, the area swapped at full colour, the music kept,
// faded out or crossed over.
#include "Field/field_game_fixture.h"
#include "MainCode/Map/TFieldPhase.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TStreamSound.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/main_probe.h"
#include "support/map_probe.h"

namespace fieldtest {
namespace {

std::vector<qmtest::FieldMap> ChangeMaps()
{
    std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
    qmtest::FieldMap same = maps[0];
    same.entry = "battle2";
    same.display = "試しの野 奥";
    qmtest::FieldMap silent = maps[0];
    silent.entry = "silent";
    silent.music = "";
    maps.push_back(same);
    maps.push_back(silent);
    return maps;
}

class MapChange : public FieldGame {
protected:
    TFieldLoop* Ready()
    {
        Start(ChangeMaps());
        Steps(8);
        return FieldGame::Ready("battle");
    }
    TMapChangePhase* Change(TFieldLoop* field, const std::string& entry, std::uint32_t mode)
    {
        TFieldDestination to;
        to.mapName = "map00/" + entry;
        to.position = qmtest::FieldLayout::Start();
        to.direction = qmtest::FieldLayout::StartDirection();
        to.cameraPosition = qmtest::FieldLayout::StartCamera();
        field->SetPhase(CreateFieldPhase(field, to, mode));
        return dynamic_cast<TMapChangePhase*>(TMapProbe::Phase(*field));
    }
    static TSoundBank* Music() { return TDSound8::Instance()->GetBank(2); }
    static TStreamSound* Sound(std::int32_t id) { return Music()->Get(static_cast<std::uint32_t>(id)).Get(); }
};


TEST_F(MapChange, BlackFadeToAMapWithTheSameMusicKeepsItPlayingUnbroken)
{
    TFieldLoop* field = Ready();
    ASSERT_NE(field, nullptr);
    TAreaBase* before = field->GetArea();
    const std::int32_t music = before->GetMusicId();
    ASSERT_EQ(music, 10);
    TStreamSound* sound = Sound(music);
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(TDxProbe::State(*sound), TStreamSound::kPlaying);

    TMapChangePhase* phase = Change(field, "battle2", 0);
    ASSERT_NE(phase, nullptr);
    EXPECT_FALSE(TMapProbe::HasFadeOut(*phase));
    EXPECT_FALSE(TMapProbe::HasFadeIn(*phase));
    int step = 0;
    // The swap is seen in the phase, not in the area's address: a new area may well be made where
    // the old one was freed.
    while (!phase->IsFadingIn() && step < 100) {
        Step();
        ++step;
        if (step == 30) {
            const platform::RgbaImage black = Screen();
            EXPECT_EQ(Pixel(black, 320, 240), 0x000000u);
            EXPECT_EQ(Pixel(black, 5, 5), 0x000000u);
            EXPECT_TRUE(qmtest::MatchesGolden(black, "MapChangeFullBlack"));
        }
        EXPECT_EQ(TDxProbe::State(*sound), TStreamSound::kPlaying) << step;
    }
    // 30 steps to full colour, swapped on the first step after it was drawn.
    EXPECT_EQ(step, 31);
    EXPECT_EQ(field->GetArea()->GetMusicId(), music);
    EXPECT_EQ(TDxProbe::UseCount(*Music(), static_cast<std::uint32_t>(music)), 1u);
    int back = 0;
    while (TMapProbe::IsInPhase(*field) && back < 100) {
        Step();
        ++back;
        EXPECT_EQ(TDxProbe::State(*sound), TStreamSound::kPlaying) << back;
    }
    EXPECT_EQ(back, 30);
    EXPECT_EQ(Sound(music), sound);
}

TEST_F(MapChange, WhiteFadeToAMapWithoutMusicFadesTheOldOutOverFiftySteps)
{
    TFieldLoop* field = Ready();
    ASSERT_NE(field, nullptr);
    TStreamSound* sound = Sound(10);
    ASSERT_NE(sound, nullptr);
    TMapChangePhase* phase = Change(field, "silent", 1);
    ASSERT_NE(phase, nullptr);
    EXPECT_TRUE(TMapProbe::HasFadeOut(*phase));
    EXPECT_FALSE(TMapProbe::HasFadeIn(*phase));
    EXPECT_EQ(TMapProbe::NewMusicId(*phase), -1);
    for (int step = 1; step <= 50; ++step) {
        Step();
        ASSERT_TRUE(TMapProbe::HasFadeOut(*phase)) << step;
        if (step == 30) {
            const platform::RgbaImage white = Screen();
            EXPECT_EQ(Pixel(white, 320, 240), 0xFFFFFFu);
            EXPECT_TRUE(qmtest::MatchesGolden(white, "MapChangeFullWhite"));
        }
    }
    EXPECT_GT(sound->GetVolume(), sound->GetMinVolume());
    Step();  // the fader's last level, and its end
    EXPECT_FALSE(TMapProbe::HasFadeOut(*phase));
    EXPECT_EQ(sound->GetVolume(), sound->GetMinVolume());
    EXPECT_EQ(TDxProbe::State(*sound), TStreamSound::kStopped);
    EXPECT_EQ(TDxProbe::UseCount(*Music(), 10), 0u);
    EXPECT_EQ(field->GetArea()->GetMusicId(), -1);
}

TEST_F(MapChange, OtherMusicCrossesOverAndThePhaseEndsWhenBothFadersAreDone)
{
    TFieldLoop* field = Ready();
    ASSERT_NE(field, nullptr);
    TStreamSound* old = Sound(10);
    TMapChangePhase* phase = Change(field, "town", 0);
    ASSERT_NE(phase, nullptr);
    EXPECT_EQ(TMapProbe::NewMusicId(*phase), 11);
    ASSERT_TRUE(TMapProbe::HasFadeOut(*phase));
    ASSERT_TRUE(TMapProbe::HasFadeIn(*phase));
    TStreamSound* next = Sound(11);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(TDxProbe::State(*next), TStreamSound::kPlaying);
    EXPECT_EQ(next->GetVolume(), next->GetMinVolume());
    int step = 0;
    while (TMapProbe::IsInPhase(*field) && step < 200) {
        Step();
        ++step;
        if (step == 20) {
            EXPECT_GT(next->GetVolume(), next->GetMinVolume());
            EXPECT_LT(old->GetVolume(), old->GetMaxVolume());
        }
    }
    EXPECT_EQ(step, 61);
    EXPECT_FALSE(phase == TMapProbe::Phase(*field));
    EXPECT_EQ(TDxProbe::State(*old), TStreamSound::kStopped);
    EXPECT_EQ(TDxProbe::State(*next), TStreamSound::kPlaying);
    EXPECT_EQ(next->GetVolume(), next->GetMaxVolume());
    EXPECT_EQ(field->GetArea()->GetMusicId(), 11);
    EXPECT_EQ(TMapProbe::FogColour(*field->GetArea()), 0xFF8090A0u);
}

// Uses of each piece through changes there and back: the area's one while it plays, the phase's
// own while it fades; nothing once the field is gone, whether a change ran out or was cut short.
TEST_F(MapChange, MusicUsesComeBackThroughChangesThereAndBackAndWithTheField)
{
    TFieldLoop* field = Ready();
    ASSERT_NE(field, nullptr);
    const auto uses = [] { return std::make_pair(TDxProbe::UseCount(*Music(), 10), TDxProbe::UseCount(*Music(), 11)); };
    using Uses = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(uses(), Uses(1, 0));
    Change(field, "town", 0);
    EXPECT_EQ(uses(), Uses(2, 1)) << "the old area's and the phase's; the phase's of the new";
    Steps(31);  // the swap at full black
    EXPECT_EQ(uses(), Uses(1, 2)) << "the old area gone; the new area's and the phase's";
    while (TMapProbe::IsInPhase(*field)) {
        Step();
    }
    EXPECT_EQ(uses(), Uses(0, 1));
    for (int trip = 0; trip < 2; ++trip) {
        Change(field, "battle", 0);
        while (TMapProbe::IsInPhase(*field)) {
            Step();
        }
        EXPECT_EQ(uses(), Uses(1, 0)) << trip;
        Change(field, "town", 0);
        while (TMapProbe::IsInPhase(*field)) {
            Step();
        }
        EXPECT_EQ(uses(), Uses(0, 1)) << trip;
    }
    // A change cut short by the field's end, before and after the swap.
    for (int steps : {5, 40}) {
        SCOPED_TRACE(steps);
        Change(field, "battle", 0);
        Steps(steps);
        app_->PopScenesTo(0);
        EXPECT_EQ(uses(), Uses(0, 0));
        field = PushField("town");
        ASSERT_NE(field, nullptr);
        FinishFade(field);
        EXPECT_EQ(uses(), Uses(0, 1));
    }
}

TEST_F(MapChange, AModeOtherThanBlackOrWhiteFadesThroughBlack)
{
    TFieldLoop* field = Ready();
    ASSERT_NE(field, nullptr);
    testing::internal::CaptureStderr();
    TMapChangePhase* phase = Change(field, "battle2", 2);  // the first mode past white
    EXPECT_NE(testing::internal::GetCapturedStderr().find("fade mode 2 is neither 0 nor 1"), std::string::npos);
    ASSERT_NE(phase, nullptr);
    Steps(30);
    EXPECT_EQ(TMainProbe::Colour(TMapProbe::Quad(*phase)), 0xFF000000u);
}

}  // namespace
}  // namespace fieldtest
