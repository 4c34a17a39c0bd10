#include <gtest/gtest.h>

#include <vector>

#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundFader.h"
#include "platform/win32/sync.h"
#include "sound/sound_fixture.h"
#include "support/ogg_writer.h"

namespace {

// A sound that only keeps its volume (clamped as every source does) and records what was set.
class VolumeProbe : public TStreamSound {
public:
    explicit VolumeProbe(std::int32_t volume) : TStreamSound(0, nullptr), volume_(volume) {}
    void Play() override {}
    void Stop(bool rewind) override { stops.push_back(rewind); }
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
    std::vector<bool> stops;

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

    // The sound's own floor is the end point itself.
    auto* floored = new VolumeProbe(-3000);
    floored->SetMinVolume(-5000);
    TSoundFader toFloor(TRefPtr<TStreamSound>(floored), false, 1.0f, 10);
    RunOut(toFloor);
    EXPECT_EQ(floored->set.back(), -5000);
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

    // Without steps the first call sets the start volume and ends.
    auto* still = new VolumeProbe(-2500);
    TSoundFader none(TRefPtr<TStreamSound>(still), true, 1.0f, 0);
    EXPECT_FALSE(none.Step());
    EXPECT_EQ(still->set, (std::vector<std::int32_t>{-2500}));

    // Stop reaches the sound; the fader shares it while it lives.
    TRefPtr<TStreamSound> shared(new VolumeProbe(0));
    {
        TSoundFader holder(shared, false, 1.0f, 3);
        EXPECT_EQ(shared.UseCount(), 2u);
        holder.Stop(true);
        holder.Stop(false);
    }
    EXPECT_EQ(shared.UseCount(), 1u);
    EXPECT_EQ(static_cast<VolumeProbe*>(shared.Get())->stops, (std::vector<bool>{true, false}));

    // A fader without a sound does nothing and reports false.
    TSoundFader empty(TRefPtr<TStreamSound>(), true, 1.0f, 40);
    EXPECT_FALSE(empty.Step());
    EXPECT_TRUE(empty.IsFinished());
    empty.Stop(true);
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

class MusicFadeTest : public soundtest::SoundCoreTest {};

TEST_F(MusicFadeTest, CoreMakesFadersThatMoveAStreamsVolume)
{
    if (!qmtest::OggEncoderAvailable()) {
        GTEST_SKIP() << "built without libvorbisenc";
    }
    qmtest::WriteOggTone(dir_.File("town.ogg"), {{20000, 10000}});
    TRefPtr<TStreamSound> music = core_->CreateSound("town.ogg", 2);
    ASSERT_EQ(music->GetState(), TStreamSound::kStopped);
    music->SetVolume(-10000);
    TRefPtr<TSoundFader> in = core_->CreateFader(music, true, 1.0f, 50);
    ASSERT_NE(in.Get(), nullptr);
    EXPECT_EQ(RunOut(*in), 50);
    EXPECT_EQ(music->GetVolume(), 0);

    TRefPtr<TSoundFader> out = core_->CreateFader(music, false, 0.3f, 40);
    RunOut(*out);
    EXPECT_EQ(music->GetVolume(), -669);
    music->Play();
    out->Stop(true);
    EXPECT_EQ(music->GetState(), TStreamSound::kStopped);

    // What a bank hands out for an id it has not loaded.
    EXPECT_FALSE(core_->CreateFader(TRefPtr<TStreamSound>(), false, 1.0f, 10)->Step());
    music = TRefPtr<TStreamSound>();
    in = TRefPtr<TSoundFader>();
    out = TRefPtr<TSoundFader>();
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
}

}  // namespace
