#include <gtest/gtest.h>

#include <algorithm>
#include <thread>  // steady_clock; <chrono> itself does not build with CP932 literals
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "dx/dx8/sound/TOggStreamSound.h"
#include "platform/testing/win32.h"
#include "platform/win32/sync.h"
#include "platform/win32/timer.h"
#include "sound/sound_fixture.h"
#include "formats/byte_writer.h"
#include "formats/ogg_writer.h"
#include "support/dx_probe.h"
#include "support/temp_dir.h"

namespace {

using qmtest::ToneStretch;
using Timeline = std::vector<ToneStretch>;

constexpr std::size_t kQuarterFrames = 16384;  // 64 KiB of 16-bit stereo
constexpr std::size_t kSlice = 2048;
constexpr std::size_t kWindow = 512;
// Vorbis smears a change of level over a few hundred frames.
constexpr std::size_t kMargin = 768;
constexpr DWORD kWorkerTimeoutMs = 5000;

Timeline Repeat(const Timeline& part, int times)
{
    Timeline out;
    for (int i = 0; i < times; ++i) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Timeline Join(Timeline a, const Timeline& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The tone's peak amplitude in one window of the left channel (RMS × √2).
double Level(const std::vector<std::int16_t>& out, std::size_t from)
{
    double sum = 0.0;
    for (std::size_t f = from; f < from + kWindow; ++f) {
        const double v = out[2 * f];
        sum += v * v;
    }
    return std::sqrt(2.0 * sum / kWindow);
}

// Checks every window that lies well inside one stretch of the timeline (which starts at
// frame start of out): the tone's level within 15 %, or near silence for amplitude 0.
void ExpectLevels(const std::vector<std::int16_t>& out, const Timeline& timeline, std::size_t start = 0)
{
    const std::size_t frames = out.size() / 2;
    int reported = 0;
    std::size_t begin = start;
    for (const ToneStretch& s : timeline) {
        const std::size_t end = begin + s.frames;
        for (std::size_t w = begin + kMargin; w + kWindow + kMargin <= end && w + kWindow <= frames; w += kWindow) {
            const double level = Level(out, w);
            const bool ok = s.amplitude == 0.0 ? level < 150.0 : std::abs(level - s.amplitude) <= 0.15 * s.amplitude;
            if (!ok && reported++ < 5) {
                ADD_FAILURE() << "frame " << w << ": level " << level << ", expected " << s.amplitude;
            }
        }
        begin = end;
    }
}

bool AllZero(const std::vector<std::int16_t>& out, std::size_t fromFrame = 0)
{
    return std::all_of(out.begin() + static_cast<std::ptrdiff_t>(std::min(2 * fromFrame, out.size())), out.end(),
                       [](std::int16_t v) { return v == 0; });
}

const Timeline kIntro = {{20000, 3000}};
const Timeline kMain = {{15000, 12000}, {15000, 6000}};

class MusicTest : public soundtest::SoundCoreTest {
protected:
    void SetUp() override
    {
        SoundCoreTest::SetUp();
        if (!qmtest::OggEncoderAvailable()) {
            GTEST_SKIP() << "built without libvorbisenc";
        }
    }

    void TearDown() override
    {
        EXPECT_TRUE(platform::WaitForIdleThreads(kWorkerTimeoutMs));
        SoundCoreTest::TearDown();
    }

    void Write(const std::string& name, const Timeline& timeline, int channels = 2)
    {
        qmtest::WriteOggTone(dir_.File(name), timeline, channels);
    }

    TRefPtr<TStreamSound> Music(const std::string& name) { return core_->CreateSound(name, 2); }

    // Pulls frames in short slices; the worker deals with what each slice raised before the next.
    std::vector<std::int16_t> Listen(std::size_t frames)
    {
        std::vector<std::int16_t> all;
        all.reserve(2 * frames);
        for (std::size_t done = 0; done < frames; done += kSlice) {
            if (!platform::WaitForIdleThreads(kWorkerTimeoutMs)) {
                ADD_FAILURE() << "the worker did not settle at frame " << done;
                break;
            }
            const std::vector<std::int16_t> out = Pull(std::min(kSlice, frames - done));
            all.insert(all.end(), out.begin(), out.end());
        }
        EXPECT_TRUE(platform::WaitForIdleThreads(kWorkerTimeoutMs));
        all.resize(2 * frames, 0);
        return all;
    }
};

TEST_F(MusicTest, IntroPlaysOnceThenTheTrackLoopsSeamlesslyAndARestartBringsTheIntroBack)
{
    Write("_town.ogg", kIntro);
    Write("town.ogg", kMain);
    TRefPtr<TStreamSound> s = Music("town.ogg");
    s->SetLoop(true);
    s->Play();
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kPlaying);
    // Three passes of the track after the intro: every boundary falls where it should, so
    // nothing is lost or repeated where the refills wrap.
    const std::vector<std::int16_t> out = Listen(20000 + 3 * 30000 + 5000);
    ExpectLevels(out, Join(kIntro, Repeat(kMain, 4)));
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kPlaying);

    s->Stop(true);
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);
    s->Play();
    ExpectLevels(Listen(40000), Join(kIntro, kMain));
}

TEST_F(MusicTest, APartShorterThanAQuarterRepeatsWithinOneRefill)
{
    // Intro and track together fill less than the first quarter.
    const Timeline intro = {{4000, 3000}};
    const Timeline track = {{4000, 12000}, {4000, 6000}};
    Write("_short.ogg", intro);
    Write("short.ogg", track);
    TRefPtr<TStreamSound> s = Music("short.ogg");
    s->SetLoop(true);
    s->Play();
    const std::vector<std::int16_t> out = Listen(4 * kQuarterFrames);
    ExpectLevels(out, Join(intro, Repeat(track, 9)));
}

TEST_F(MusicTest, OneShotTrackPlaysToItsLastFrameThenStopsRewound)
{
    // Ends well inside the fourth quarter, further than one slice.
    const Timeline track = {{27500, 12000}, {27500, 6000}};
    Write("jingle.ogg", track);
    TRefPtr<TStreamSound> s = Music("jingle.ogg");
    s->Play();
    // Playback stops once the cursor has played out the quarter with the last bytes.
    std::vector<std::int16_t> out = Listen(6 * kQuarterFrames);
    ExpectLevels(out, Join(track, {{6 * kQuarterFrames - 55000, 0}}));
    EXPECT_GT(Level(out, 55000 - kWindow - 64), 5000.0);  // the track's very end is heard
    EXPECT_TRUE(AllZero(out, 55000));
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);

    // Stopped and rewound by the worker: the next Play starts over. Restarted again while the
    // refill of the last quarter is pending, the whole track plays once more and ends.
    s->Play();
    ExpectLevels(Listen(3 * kQuarterFrames), track);
    Pull(kSlice);  // its notification may be handled before or after the restart
    s->Stop(true);
    s->Play();
    out = Listen(6 * kQuarterFrames);
    ExpectLevels(out, Join(track, {{6 * kQuarterFrames - 55000, 0}}));
    EXPECT_TRUE(AllZero(out, 55000));
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);
}

// The worker stops a one-shot track at the start of the quarter after the one with its last frame,
// in the slice after it: a track that fills its last quarter to the end stops on its last frame.
TEST_F(MusicTest, OneShotTrackStopsAtTheQuarterAfterItsLastFrame)
{
    const struct {
        std::size_t frames;
        std::size_t mixed;  // when it is seen stopped
    } cases[] = {{10000, 18432}, {32768, 34816}, {32769, 51200}, {55000, 67584}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frames);
        const std::string name = std::to_string(c.frames) + ".ogg";
        Write(name, {{c.frames, 9000}});
        TRefPtr<TStreamSound> s = Music(name);
        s->Play();
        std::size_t mixed = 0;
        while (TDxProbe::State(*s) == TStreamSound::kPlaying && mixed < 6 * kQuarterFrames) {
            Pull(kSlice);
            mixed += kSlice;
            ASSERT_TRUE(platform::WaitForIdleThreads(kWorkerTimeoutMs));
        }
        EXPECT_EQ(mixed, c.mixed);
    }
}

TEST_F(MusicTest, StopPausesAndRewindStartsOverWhetherPlayingOrNot)
{
    Write("_cave.ogg", kIntro);
    Write("cave.ogg", kMain);
    TRefPtr<TStreamSound> s = Music("cave.ogg");
    s->SetLoop(true);
    const Timeline whole = Join(kIntro, Repeat(kMain, 3));

    s->Play();
    std::vector<std::int16_t> out = Listen(30000);
    s->Stop(false);
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);
    EXPECT_TRUE(AllZero(Listen(5000)));
    s->Play();
    // Resumed where it stood.
    const std::vector<std::int16_t> more = Listen(40000);
    out.insert(out.end(), more.begin(), more.end());
    ExpectLevels(out, whole);

    s->Rewind();
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kPlaying);
    ExpectLevels(Listen(40000), whole);
}

TEST_F(MusicTest, LoopSwitchedOffWhilePlayingFinishesThePassThenStops)
{
    const Timeline track = {{35000, 12000}, {35000, 6000}};
    Write("field.ogg", track);
    TRefPtr<TStreamSound> s = Music("field.ogg");
    s->SetLoop(true);
    s->Play();
    std::vector<std::int16_t> out = Listen(20000);
    s->SetLoop(false);
    const std::vector<std::int16_t> more = Listen(100000);
    out.insert(out.end(), more.begin(), more.end());
    ExpectLevels(out, Join(track, {{50000, 0}}));
    EXPECT_TRUE(AllZero(out, 70000));
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);
}

TEST_F(MusicTest, DestroyingAStreamEndsAndJoinsItsWorkerAtOnce)
{
    Write("boss.ogg", kMain);
    const std::size_t before = platform::RunningThreadCount();
    {
        TRefPtr<TStreamSound> idle = Music("boss.ogg");
        EXPECT_EQ(platform::RunningThreadCount(), before + 1);
    }
    EXPECT_EQ(platform::RunningThreadCount(), before);

    TRefPtr<TStreamSound> s = Music("boss.ogg");
    s->SetLoop(true);
    s->Play();
    Listen(kQuarterFrames);
    Pull(kSlice);  // the next notification, possibly not yet dealt with
    // Dropped mid-play: the worker is told to stop and joined (a stuck join would hang the run
    // into its timeout), so no thread is left.
    s = TRefPtr<TStreamSound>();
    EXPECT_EQ(platform::RunningThreadCount(), before);
}

TEST_F(MusicTest, AWorkerThatThrowsLogsItOnceWithoutABoxAndTheStreamStops)
{
    // The log goes beside the executable, which seems to live in a fresh folder.
    const char* const contact = "エラー詳細を沿えて製作元へお問い合わせください。";
    qmtest::TempDir exeDir;
    platform::OverrideModuleFileName((exeDir.Path() / "quillmark4").string());
    my_error::SetLogOptions(contact, 4096, "ErrorLog.txt", 7);
    std::vector<platform::MessageBoxRecord> boxes;
    platform::SetMessageBoxHook([&](const platform::MessageBoxRecord& box) { boxes.push_back(box); });

    Write("field.ogg", kMain);
    const std::size_t before = platform::RunningThreadCount();
    TRefPtr<TStreamSound> s = Music("field.ogg");
    s->SetLoop(true);
    ASSERT_TRUE(platform::WaitForIdleThreads(kWorkerTimeoutMs));  // the worker waits to be started
    platform::ThrowInNextThreadWait();
    s->Play();
    // Woken, the worker's next wait throws; it ends, and nothing is left to refill the ring.
    for (int i = 0; i < 500 && platform::RunningThreadCount() > before; ++i) {
        Sleep(10);
    }
    platform::ThrowInNextThreadWait(false);
    EXPECT_EQ(platform::RunningThreadCount(), before);
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);
    EXPECT_TRUE(AllZero(Pull(kQuarterFrames)));
    s = TRefPtr<TStreamSound>();  // a stream whose worker has gone still releases cleanly

    const std::vector<std::uint8_t> bytes = qmtest::LoadBytes((exeDir.Path() / "ErrorLog.txt").string());
    const std::string log(bytes.begin(), bytes.end());
    std::size_t records = 0;
    for (std::size_t at = log.find("module : "); at != std::string::npos; at = log.find("module : ", at + 1)) {
        ++records;
    }
    EXPECT_EQ(records, 1u) << log;
    EXPECT_NE(log.find("\r\nerror : music worker: wait failed\r\n"), std::string::npos) << log;
    EXPECT_TRUE(boxes.empty());

    platform::SetMessageBoxHook(nullptr);
    my_error::SetLogOptions(contact, 512, "ErrorLog.txt", 7);
    platform::OverrideModuleFileName("");
}

TEST_F(MusicTest, FilesThatAreNotVorbisGiveASilentSoundWithoutWorker)
{
    Write("good.ogg", kMain);
    const std::vector<std::uint8_t> good = qmtest::LoadBytes(dir_.File("good.ogg"));
    std::vector<std::uint8_t> noMagic = good;
    const auto at = std::search(noMagic.begin(), noMagic.end(), std::begin("vorbis"), std::end("vorbis") - 1);
    ASSERT_NE(at, noMagic.end());
    *at = 'V';  // an Ogg stream of something else
    std::vector<std::uint8_t> noise(8192);
    std::mt19937 random(7);
    for (std::uint8_t& b : noise) {
        b = static_cast<std::uint8_t>(random());
    }
    qmtest::SaveBytes(dir_.File("other.ogg"), noMagic);
    qmtest::SaveBytes(dir_.File("noise.ogg"), noise);

    const std::size_t threads = platform::RunningThreadCount();
    for (const char* name : {"other.ogg", "noise.ogg"}) {
        SCOPED_TRACE(name);
        TRefPtr<TStreamSound> s = Music(name);
        ASSERT_NE(s.Get(), nullptr);
        EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kNotLoaded);
        EXPECT_EQ(platform::RunningThreadCount(), threads);
        s->SetLoop(true);
        s->Play();
        s->Rewind();
        EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kNotLoaded);
        EXPECT_TRUE(AllZero(Listen(kSlice)));
    }
}

TEST_F(MusicTest, TruncatedAndGarbledTracksPlayWhatTheyHaveAndEnd)
{
    const Timeline track = {{60000, 12000}};
    Write("good.ogg", track);
    const std::vector<std::uint8_t> good = qmtest::LoadBytes(dir_.File("good.ogg"));
    const std::size_t audio = qmtest::OggAudioStart(good);
    ASSERT_LT(audio, good.size());
    const auto at = [&](int percent) {
        return good.begin() + static_cast<std::ptrdiff_t>(audio + (good.size() - audio) * percent / 100);
    };
    // Half the sound cut off; a tenth of it overwritten in the middle.
    std::vector<std::uint8_t> cut(good.begin(), at(50));
    std::vector<std::uint8_t> garbled = good;
    std::fill(garbled.begin() + (at(40) - good.begin()), garbled.begin() + (at(50) - good.begin()), std::uint8_t{0xA5});
    qmtest::SaveBytes(dir_.File("cut.ogg"), cut);
    qmtest::SaveBytes(dir_.File("garbled.ogg"), garbled);

    for (const char* name : {"cut.ogg", "garbled.ogg"}) {
        SCOPED_TRACE(name);
        TRefPtr<TStreamSound> s = Music(name);
        ASSERT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);
        s->Play();
        const std::vector<std::int16_t> out = Listen(8 * kQuarterFrames);
        ExpectLevels(out, {{12000, 12000}});  // the undamaged start
        EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);
        EXPECT_TRUE(AllZero(out, 7 * kQuarterFrames));

        // Looping keeps going over the damage without stalling the worker.
        s->SetLoop(true);
        s->Play();
        ExpectLevels(Listen(8 * kQuarterFrames), {{12000, 12000}});
        EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kPlaying);
    }
}

TEST_F(MusicTest, MonoTrackEndsWhereItsDataEnds)
{
    // Counted as stereo, a mono part announces twice the bytes it yields.
    const Timeline track = {{10000, 12000}, {10000, 6000}};
    Write("mono.ogg", track, 1);
    TRefPtr<TStreamSound> s = Music("mono.ogg");
    ASSERT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);
    s->Play();
    const std::vector<std::int16_t> out = Listen(60000);
    ExpectLevels(out, Join(track, {{40000, 0}}));
    EXPECT_TRUE(AllZero(out, 20000));
    EXPECT_EQ(TDxProbe::State(*s), TStreamSound::kStopped);

    // Looping, the next pass follows right where the data ran out.
    s->SetLoop(true);
    s->Play();
    ExpectLevels(Listen(70000), Repeat(track, 4));
}

}  // namespace
