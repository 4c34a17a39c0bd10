#include <gtest/gtest.h>

#include <vector>

#include "dx/dx8/sound/TSoundFader.h"

namespace {

// A sound that only keeps its volume (clamped as every source does) and records what was set.
class VolumeProbe : public TStreamSound {
public:
    explicit VolumeProbe(std::int32_t volume) : TStreamSound(0, nullptr), volume_(volume) {}
    void Play() override {}
    void Stop(bool) override {}
    void SetLoop(bool) override {}
    void Rewind() override {}
    std::int32_t GetVolume() override { return volume_; }
    std::int32_t SetVolume(std::int32_t volume) override
    {
        volume_ = ClampVolume(volume);
        set.push_back(volume_);
        return volume_;
    }
    std::int32_t GetPan() override { return 0; }
    void SetPan(std::int32_t) override {}

    std::vector<std::int32_t> set;

private:
    std::int32_t volume_;
};

// Steps the fader to its end (at most limit calls); returns how many calls reported true.
int RunOut(TSoundFader& fader, int limit = 1000)
{
    int going = 0;
    while (going < limit && fader.Step()) {
        ++going;
    }
    return going;
}

TEST(SoundFader, CurvePointsFollowTheStartAndTheEndVolume)
{
    TSoundFader fadeOut(TRefPtr<TStreamSound>(new VolumeProbe(0)), false, 1.0f, 2);
    // From 0 toward the minimum -10000: P1 = -1000, P2 = -4000, and at 0.5 a plain eighth of the sum.
    EXPECT_EQ(fadeOut.Curve(0.0f), 0);
    EXPECT_EQ(fadeOut.Curve(0.5f), -1875);
    EXPECT_EQ(fadeOut.Curve(1.0f), -10000);

    // Fading in from -7777 toward the maximum -1000: the points truncate toward zero.
    auto* in = new VolumeProbe(-7777);
    in->SetMaxVolume(-1000);
    TSoundFader fadeIn(TRefPtr<TStreamSound>(in), true, 1.0f, 4);
    // P1 = -7777 + 6777 / 10 = -7100, P2 = -7777 + 27108 / 10 = -5067.
    EXPECT_EQ(fadeIn.Curve(0.5f), (-7777 - 7100 - 5067 - 1000) / 8);
    EXPECT_EQ(fadeIn.Curve(1.0f), -1000);
}

TEST(SoundFader, StepsSetTheCurveAtEachLevelAndReportTheirEnd)
{
    auto* probe = new VolumeProbe(0);
    TSoundFader fader(TRefPtr<TStreamSound>(probe), false, 1.0f, 2);
    EXPECT_FALSE(fader.IsFinished());
    EXPECT_TRUE(fader.Step());
    EXPECT_TRUE(fader.Step());
    EXPECT_FALSE(fader.Step());
    EXPECT_TRUE(fader.IsFinished());
    EXPECT_FALSE(fader.Step());  // stepping on past the end keeps the end volume
    EXPECT_EQ(probe->set, (std::vector<std::int32_t>{0, -1875, -10000, -10000}));

    // A fader without a sound does nothing and reports false.
    TSoundFader empty(TRefPtr<TStreamSound>(), true, 1.0f, 40);
    EXPECT_FALSE(empty.Step());
    EXPECT_TRUE(empty.IsFinished());
    empty.Stop(true);
}

// The scenes step faders they may not hold; those that wait for the end read it as "no longer
// moving", which must agree with the fader's own finished flag after every step.
TEST(SoundFader, StepFaderMovesAHeldFaderAndReadsAMissingOneAsStill)
{
    struct Case {
        const char* what;
        TRefPtr<TSoundFader> fader;
        std::vector<bool> moving;  // what successive steps report
    };
    const Case cases[] = {
        {"none", TRefPtr<TSoundFader>(), {false, false}},
        {"three steps", TRefPtr<TSoundFader>(new TSoundFader(TRefPtr<TStreamSound>(new VolumeProbe(-300)), false, 1.0f, 3)),
         {true, true, true, false, false}},
        {"no steps", TRefPtr<TSoundFader>(new TSoundFader(TRefPtr<TStreamSound>(new VolumeProbe(-300)), true, 1.0f, 0)),
         {false, false}},
        {"no sound", TRefPtr<TSoundFader>(new TSoundFader(TRefPtr<TStreamSound>(), false, 1.0f, 40)), {false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::size_t i = 0; i < c.moving.size(); ++i) {
            EXPECT_EQ(StepFader(c.fader), c.moving[i]) << "step " << i;
            if (c.fader.Get() != nullptr) {
                EXPECT_EQ(c.fader->IsFinished(), !c.moving[i]) << "step " << i;
            }
        }
    }
}

TEST(SoundFader, FadesOverTheGamesStepCountsEndWhereTheirLevelSays)
{
    for (int steps : {40, 100}) {
        SCOPED_TRACE(steps);
        auto* in = new VolumeProbe(-10000);
        TSoundFader fadeIn(TRefPtr<TStreamSound>(in), true, 1.0f, steps);
        EXPECT_EQ(RunOut(fadeIn), steps);
        ASSERT_EQ(in->set.size(), static_cast<std::size_t>(steps + 1));
        EXPECT_EQ(in->set.back(), 0);
        for (std::size_t i = 1; i < in->set.size(); ++i) {
            EXPECT_GE(in->set[i], in->set[i - 1]);  // never louder then quieter again
        }

        // A partial fade-out stops at curve(0.3) of the way down.
        auto* out = new VolumeProbe(0);
        TSoundFader partial(TRefPtr<TStreamSound>(out), false, 0.3f, steps);
        EXPECT_EQ(RunOut(partial), steps);
        EXPECT_EQ(out->GetVolume(), -669);
    }
}

}  // namespace
