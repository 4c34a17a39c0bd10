#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/dsound/mixer.h"
#include "platform/testing/dsound.h"
#include "platform/testing/win32.h"
#include "platform/win32/sync.h"
#include "support/alloc_probe.h"
#include "formats/wave_writer.h"

namespace {

using qmtest::PcmFormat;
using qmtest::Pcm16Bytes;
using Samples = std::vector<std::int16_t>;

constexpr DWORD kAllControls = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY |
                               DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GLOBALFOCUS | DSBCAPS_LOCSOFTWARE;

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetManualMixing(true);
        platform::SetDirectSoundFaults({});
        window_ = platform::CreateBareWindow("sound", 32, 32);
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(DirectSoundCreate8(nullptr, &ds_, nullptr), DS_OK);
        ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_PRIORITY), DS_OK);
    }
    void TearDown() override
    {
        for (IDirectSoundNotify* n : notifies_) {
            n->Release();
        }
        for (IDirectSoundBuffer8* b : buffers_) {
            b->Release();
        }
        for (HANDLE e : events_) {
            CloseHandle(e);
        }
        if (ds_ != nullptr) {
            ds_->Release();
        }
        platform::DestroyBareWindow(window_);
        platform::SetManualMixing(false);
    }

    IDirectSoundBuffer8* MakeBuffer(WAVEFORMATEX format, const std::vector<std::uint8_t>& bytes, DWORD flags = kAllControls)
    {
        const DSBUFFERDESC desc{sizeof(DSBUFFERDESC), flags, static_cast<DWORD>(bytes.size()), 0, &format, {}};
        IDirectSoundBuffer* plain = nullptr;
        IDirectSoundBuffer8* buffer = nullptr;
        EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &plain, nullptr), DS_OK);
        if (plain == nullptr || plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer)) != S_OK) {
            ADD_FAILURE() << "no version-8 buffer";
            return nullptr;
        }
        plain->Release();
        void* p1 = nullptr;
        DWORD n1 = 0;
        EXPECT_EQ(buffer->Lock(0, desc.dwBufferBytes, &p1, &n1, nullptr, nullptr, 0), DS_OK);
        std::memcpy(p1, bytes.data(), n1);
        EXPECT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);
        buffers_.push_back(buffer);
        return buffer;
    }
    IDirectSoundBuffer8* MakeStereo16(const Samples& samples, DWORD flags = kAllControls)
    {
        return MakeBuffer(PcmFormat(2, 44100, 16), Pcm16Bytes(samples), flags);
    }
    static Samples Pull(std::size_t frames)
    {
        Samples out(frames * 2, 12345);
        platform::MixFrames(out.data(), frames);
        return out;
    }
    static DWORD PlayCursor(IDirectSoundBuffer8* b)
    {
        DWORD play = 0;
        b->GetCurrentPosition(&play, nullptr);
        return play;
    }
    static DWORD Status(IDirectSoundBuffer8* b)
    {
        DWORD status = 0;
        b->GetStatus(&status);
        return status;
    }
    IDirectSoundNotify* Notify(IDirectSoundBuffer8* b, std::vector<DSBPOSITIONNOTIFY> positions)
    {
        IDirectSoundNotify* notify = nullptr;
        EXPECT_EQ(b->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), S_OK);
        if (notify != nullptr) {
            EXPECT_EQ(notify->SetNotificationPositions(static_cast<DWORD>(positions.size()), positions.data()), DS_OK);
            notifies_.push_back(notify);
        }
        return notify;
    }
    HANDLE Event() { return events_.emplace_back(CreateEventA(nullptr, FALSE, FALSE, nullptr)); }
    // What a lock handed out: one region, or two when it wraps round the buffer's end.
    struct Region {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0;
        DWORD n2 = 0;
    };
    static HRESULT Lock(IDirectSoundBuffer8* b, DWORD offset, DWORD bytes, Region* r)
    {
        return b->Lock(offset, bytes, &r->p1, &r->n1, &r->p2, &r->n2, 0);
    }
    static HRESULT Unlock(IDirectSoundBuffer8* b, const Region& r) { return b->Unlock(r.p1, r.n1, r.p2, r.n2); }
    // Writes value into every sample of both parts.
    static void Fill(const Region& r, std::int16_t value)
    {
        std::fill_n(static_cast<std::int16_t*>(r.p1), r.n1 / 2, value);
        std::fill_n(static_cast<std::int16_t*>(r.p2), r.n2 / 2, value);  // none when n2 is 0
    }

    HWND window_ = nullptr;
    IDirectSound8* ds_ = nullptr;
    std::vector<IDirectSoundBuffer8*> buffers_;
    std::vector<IDirectSoundNotify*> notifies_;
    std::vector<HANDLE> events_;
};

int16_t Scaled(int v, double gain)
{
    return static_cast<int16_t>(std::nearbyint(static_cast<double>(v) * gain));
}

TEST_F(DirectSoundTest, OneShotAtFullVolumePlaysExactSamplesThenStops)
{
    const Samples wave = qmtest::RampStereo(1000, 100);
    IDirectSoundBuffer8* b = MakeStereo16(wave);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Pull(10), Samples(20, 0));  // not playing yet: silence
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Status(b), static_cast<DWORD>(DSBSTATUS_PLAYING));
    EXPECT_EQ(Pull(60), Samples(wave.begin(), wave.begin() + 120));
    EXPECT_EQ(PlayCursor(b), 60u * 4);
    Samples out = Pull(60);
    EXPECT_EQ(Samples(out.begin(), out.begin() + 80), Samples(wave.begin() + 120, wave.end()));
    EXPECT_EQ(Samples(out.begin() + 80, out.end()), Samples(40, 0));
    EXPECT_EQ(Status(b), 0u);
    EXPECT_EQ(PlayCursor(b), 0u);  // a one-shot that ran out is back at its start
}

TEST_F(DirectSoundTest, VolumeAndPanScaleByTheDecibelCurve)
{
    const Samples wave = qmtest::RampStereo(10000, 50);
    IDirectSoundBuffer8* b = MakeStereo16(wave);
    ASSERT_EQ(b->SetVolume(-600), DS_OK);
    b->Play(0, 0, DSBPLAY_LOOPING);
    Samples out = Pull(50);
    const double gain = std::pow(10.0, -600.0 / 2000.0);
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_NEAR(out[i], Scaled(wave[i], gain), 1) << i;
    }
    EXPECT_EQ(out[0], 5012);
    ASSERT_EQ(b->SetVolume(DSBVOLUME_MIN), DS_OK);
    EXPECT_EQ(Pull(50), Samples(100, 0));

    // Pan attenuates the other side only; volume and pan multiply.
    IDirectSoundBuffer8* flat = MakeStereo16(Samples(2 * 20, 20000));
    b->Stop();
    flat->Play(0, 0, DSBPLAY_LOOPING);
    ASSERT_EQ(flat->SetPan(2000), DS_OK);
    out = Pull(4);
    EXPECT_EQ(out[0], 2000);
    EXPECT_EQ(out[1], 20000);
    flat->SetVolume(-600);
    flat->SetPan(-600);
    out = Pull(1);
    EXPECT_EQ(out[0], Scaled(20000, std::pow(10.0, -0.3)));
    EXPECT_EQ(out[1], Scaled(20000, std::pow(10.0, -0.6)));
}

TEST_F(DirectSoundTest, LoopingWrapsAndPlayAgainOnlyChangesTheLoopFlag)
{
    IDirectSoundBuffer8* b = MakeStereo16(qmtest::RampStereo(1, 10));
    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(Status(b), static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    Samples out = Pull(25);
    for (std::size_t f = 0; f < 25; ++f) {
        EXPECT_EQ(out[2 * f], static_cast<std::int16_t>(1 + f % 10)) << f;
    }
    EXPECT_EQ(PlayCursor(b), 5u * 4);

    // Played again without the flag: it keeps its place and ends at the buffer's end.
    b->Play(0, 0, 0);
    EXPECT_EQ(PlayCursor(b), 5u * 4);
    out = Pull(8);
    EXPECT_EQ(out[0], 6);
    EXPECT_EQ(out[8], 10);
    EXPECT_EQ(out[10], 0);
    EXPECT_EQ(Status(b), 0u);
}

TEST_F(DirectSoundTest, OtherRatesAreResampled)
{
    const Samples wave = {0, 1000, 3000, -3000, 500};
    IDirectSoundBuffer8* b = MakeBuffer(PcmFormat(1, 22050, 16), Pcm16Bytes(wave));
    // Looping, the last frame leans towards the first; played once, it holds its own value.
    const std::pair<DWORD, Samples> runs[] = {
        {DSBPLAY_LOOPING, {0, 500, 1000, 2000, 3000, 0, -3000, -1250, 500, 250, 0, 500}},
        {0, {0, 500, 1000, 2000, 3000, 0, -3000, -1250, 500, 500, 0, 0}}};
    for (const auto& [flags, expected] : runs) {
        b->SetCurrentPosition(0);
        b->Play(0, 0, flags);
        Samples out = Pull(12);
        for (std::size_t f = 0; f < expected.size(); ++f) {
            EXPECT_EQ(out[2 * f], expected[f]) << f;
            EXPECT_EQ(out[2 * f + 1], expected[f]) << f;  // mono goes to both sides
        }
    }
    // At 11025 Hz, 8 output frames move 2 source frames.
    ASSERT_EQ(b->SetFrequency(11025), DS_OK);
    b->Play(0, 0, DSBPLAY_LOOPING);
    Pull(8);
    EXPECT_EQ(PlayCursor(b), 2u * 2);
}

TEST_F(DirectSoundTest, RatesAboveTheOutputAreResampledToo)
{
    Samples ramp(30);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<std::int16_t>(1100 * i);
    }
    // A 48 kHz sound moves 48000/44100 frames a step; 88200 Hz moves two.
    const struct {
        DWORD rate;
        DWORD frequency;
        Samples expected;
        DWORD cursor;
    } cases[] = {
        {48000, 0, {0, 1197, 2395, 3592, 4789, 5986, 7184, 8381, 9578, 10776, 11973, 13170}, 13 * 2},
        {22050, 88200, {0, 2200, 4400, 6600, 8800, 11000, 13200, 15400, 17600, 19800, 22000, 24200}, 24 * 2},
    };
    for (const auto& c : cases) {
        IDirectSoundBuffer8* b = MakeBuffer(PcmFormat(1, c.rate, 16), Pcm16Bytes(ramp));
        if (c.frequency != 0) {
            ASSERT_EQ(b->SetFrequency(c.frequency), DS_OK);
        }
        b->Play(0, 0, 0);
        Samples out = Pull(12);
        for (std::size_t f = 0; f < c.expected.size(); ++f) {
            EXPECT_EQ(out[2 * f], c.expected[f]) << c.rate << " " << f;
        }
        EXPECT_EQ(PlayCursor(b), c.cursor) << c.rate;
        b->Stop();
    }
}

TEST_F(DirectSoundTest, EightBitSamplesAreCentredOn0x80)
{
    const struct {
        WORD channels;
        std::vector<std::uint8_t> bytes;
        Samples expected;  // interleaved left/right
    } cases[] = {
        {1, {0x80, 0xC0, 0x40, 0xFF, 0x00, 0x81}, {0, 0, 16384, 16384, -16384, -16384, 32512, 32512, -32768, -32768, 256, 256}},
        {2, {0x80, 0x00, 0xA0, 0x7F}, {0, -32768, 8192, -256}},
    };
    for (const auto& c : cases) {
        IDirectSoundBuffer8* b = MakeBuffer(PcmFormat(c.channels, 44100, 8), c.bytes);
        b->Play(0, 0, 0);
        EXPECT_EQ(Pull(c.expected.size() / 2), c.expected) << c.channels;
    }
}

TEST_F(DirectSoundTest, NotificationsFireInOrderAsTheCursorPassesThem)
{
    IDirectSoundBuffer8* b = MakeStereo16(Samples(2 * 400, 100));
    HANDLE events[5] = {Event(), Event(), Event(), Event(), Event()};
    // Given out of order.
    IDirectSoundNotify* notify = Notify(b, {{300 * 4, events[3]}, {200 * 4, events[2]}, {100 * 4, events[1]},
                                            {0, events[0]}, {DSBPN_OFFSETSTOP, events[4]}});
    ASSERT_NE(notify, nullptr);
    auto signalled = [&] {
        std::vector<int> which;
        for (int i = 0; i < 5; ++i) {
            if (WaitForSingleObject(events[i], 0) == WAIT_OBJECT_0) {
                which.push_back(i);
            }
        }
        return which;
    };
    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(signalled(), std::vector<int>{});  // nothing before the mixer moves
    const std::pair<std::size_t, std::vector<int>> steps[] = {
        {1, {0}}, {99, {}}, {1, {1}}, {250, {2, 3}}, {50, {0}}};  // the last one wrapped to the start
    for (const auto& [frames, want] : steps) {
        Pull(frames);
        EXPECT_EQ(signalled(), want) << frames;
    }
    b->Stop();
    EXPECT_EQ(signalled(), std::vector<int>{4});

    // Order across one pull: the waiter sees them in cursor order.
    b->SetCurrentPosition(250 * 4);
    b->Play(0, 0, 0);
    Pull(200);  // 250 → end: passes 300, then ends (one-shot) with the stop event
    EXPECT_EQ(WaitForMultipleObjects(4, events, FALSE, 0), WAIT_OBJECT_0 + 3);
    EXPECT_EQ(signalled(), std::vector<int>{4});
}

TEST_F(DirectSoundTest, LockHandsOutTheBuffersOwnBytesInTwoRegionsAcrossTheEnd)
{
    IDirectSoundBuffer8* b = MakeStereo16(Samples(2000, 100));  // 1000 frames, 4000 bytes
    ASSERT_NE(b, nullptr);
    Region r;
    // The last frame alone, then one frame past the end: the bounds of a single region.
    ASSERT_EQ(Lock(b, 3996, 4, &r), DS_OK);
    EXPECT_EQ(r.n1, 4u);
    EXPECT_EQ(r.p2, nullptr);
    EXPECT_EQ(r.n2, 0u);
    EXPECT_EQ(Unlock(b, r), DS_OK);
    EXPECT_EQ(Lock(b, 4000, 4, &r), DSERR_INVALIDPARAM);
    EXPECT_EQ(Lock(b, 0, 4004, &r), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(3600, 1000, &r.p1, &r.n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);  // wraps: needs both

    ASSERT_EQ(Lock(b, 3600, 1000, &r), DS_OK);
    EXPECT_EQ(r.n1, 400u);
    EXPECT_EQ(r.n2, 600u);
    ASSERT_NE(r.p2, nullptr);
    EXPECT_EQ(static_cast<std::uint8_t*>(r.p2) + 3600, static_cast<std::uint8_t*>(r.p1));  // one block of memory
    Fill({r.p1, nullptr, r.n1, 0}, 7000);  // the end of the buffer, then its start
    Fill({r.p2, nullptr, r.n2, 0}, -7000);
    EXPECT_EQ(Unlock(b, r), DS_OK);
    EXPECT_EQ(Unlock(b, r), DSERR_INVALIDPARAM);  // already unlocked

    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Samples out = Pull(1000);
    EXPECT_EQ(Samples(out.begin(), out.begin() + 300), Samples(300, -7000));
    EXPECT_EQ(Samples(out.begin() + 300, out.begin() + 1800), Samples(1500, 100));
    EXPECT_EQ(Samples(out.begin() + 1800, out.end()), Samples(200, 7000));
}

TEST_F(DirectSoundTest, LockedFramesPlaySilenceUpToTheRegionsBoundsAndLocksAreCounted)
{
    IDirectSoundBuffer8* b = MakeStereo16(Samples(2000, 100));
    ASSERT_NE(b, nullptr);
    Region q;
    Region r;
    ASSERT_EQ(Lock(b, 400, 400, &q), DS_OK);    // frames 100..199
    ASSERT_EQ(Lock(b, 3600, 1000, &r), DS_OK);  // 900..999 and 0..149
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Samples out = Pull(1000);
    EXPECT_EQ(Samples(out.begin(), out.begin() + 400), Samples(400, 0));  // 0..199: both regions
    EXPECT_EQ(Samples(out.begin() + 400, out.begin() + 1800), Samples(1400, 100));
    EXPECT_EQ(Samples(out.begin() + 1800, out.end()), Samples(200, 0));
    // Only the pointers a lock handed out unlock it; a shorter size (what was written) is fine.
    EXPECT_EQ(b->Unlock(static_cast<std::uint8_t*>(q.p1) + 4, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(q.p1, q.n1 + 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(q.p1, 8, nullptr, 0), DS_OK);
    out = Pull(1000);
    EXPECT_EQ(Samples(out.begin(), out.begin() + 300), Samples(300, 0));  // 0..149 still locked
    EXPECT_EQ(Samples(out.begin() + 300, out.begin() + 1800), Samples(1500, 100));
    EXPECT_EQ(Unlock(b, r), DS_OK);

    // Four locks may be held at once; a fifth is refused until one is given back.
    Region held[4];
    for (DWORD i = 0; i < 4; ++i) {
        ASSERT_EQ(Lock(b, i * 4, 4, &held[i]), DS_OK);
    }
    EXPECT_EQ(Lock(b, 100, 4, &r), DSERR_INVALIDCALL);
    for (const Region& h : held) {
        EXPECT_EQ(Unlock(b, h), DS_OK);
    }
    EXPECT_EQ(Lock(b, 100, 4, &r), DS_OK);
    EXPECT_EQ(Unlock(b, r), DS_OK);
}

TEST_F(DirectSoundTest, MixerOnItsOwnThreadNeverPlaysAHalfWrittenRegion)
{
    constexpr std::int16_t kPoison = -7777;  // written first, then overwritten while still locked
    IDirectSoundBuffer8* b = MakeStereo16(Samples(8192, 1000));  // 4096 frames
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::atomic<bool> stop{false};
    std::atomic<int> pulls{0};
    std::atomic<int> poisoned{0};
    std::thread mixer([&] {
        Samples out(512);
        while (!stop.load()) {
            platform::MixFrames(out.data(), 256);
            poisoned.fetch_add(static_cast<int>(std::count(out.begin(), out.end(), kPoison)));
            pulls.fetch_add(1);
        }
    });
    for (int round = 0; round < 300; ++round) {
        Region r;
        ASSERT_EQ(Lock(b, static_cast<DWORD>(round * 1228 * 4) % 16384, 8192, &r), DS_OK);
        Fill(r, kPoison);
        std::this_thread::yield();
        Fill(r, static_cast<std::int16_t>(2000 + round));
        ASSERT_EQ(Unlock(b, r), DS_OK);
    }
    while (pulls.load() < 50) {
        std::this_thread::yield();  // make sure the mixer really ran beside the writes
    }
    stop.store(true);
    mixer.join();
    EXPECT_EQ(poisoned.load(), 0);
    // What the last round wrote plays once unlocked.
    ASSERT_EQ(b->SetCurrentPosition(((299 * 1228 * 4) % 16384) + 8), DS_OK);
    EXPECT_EQ(Pull(4), Samples(8, 2299));
}

TEST_F(DirectSoundTest, BuffersMadeAndReleasedWhileTheMixerRunsAreNeverReadAfterRelease)
{
    std::atomic<bool> stop{false};
    std::thread mixer([&] {
        Samples out(512);
        while (!stop.load()) {
            platform::MixFrames(out.data(), 256);
        }
    });
    for (int round = 0; round < 200; ++round) {
        IDirectSoundBuffer* plain = nullptr;
        WAVEFORMATEX format = PcmFormat(round % 2 == 0 ? 2 : 1, 22050 + 100 * static_cast<DWORD>(round), 16);
        const DSBUFFERDESC desc{sizeof(DSBUFFERDESC), kAllControls, 4096, 0, &format, {}};
        ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &plain, nullptr), DS_OK);
        ASSERT_EQ(plain->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        std::this_thread::yield();
        plain->Release();  // the sanitizer sees any read of its bytes by a pull still running
    }
    stop.store(true);
    mixer.join();
}

// The bytes a pull in progress reads, against the regions a Lock asks for: a lock waits only
// when the two share a byte, at either end of the read range and across the buffer's end.
TEST(MixerReadRange, ALockWaitsOnlyForBytesThePullInProgressReads)
{
    platform::dsound::Voice v;
    v.frames = 100;
    v.blockAlign = 4;
    v.mixing = true;
    v.readFrom = 90;  // frames 90..99 and 0..9: bytes 360..399 and 0..39
    v.readCount = 20;
    using R = platform::dsound::LockedRegion;
    EXPECT_FALSE(v.IsBeingRead(R{300, 60, 0}));  // ends just before frame 90
    EXPECT_TRUE(v.IsBeingRead(R{300, 61, 0}));
    EXPECT_TRUE(v.IsBeingRead(R{396, 4, 0}));   // the last frame
    EXPECT_TRUE(v.IsBeingRead(R{0, 4, 0}));     // the first frame after the wrap
    EXPECT_TRUE(v.IsBeingRead(R{36, 4, 0}));    // frame 9, the last one read
    EXPECT_FALSE(v.IsBeingRead(R{40, 300, 0}));  // everything between
    EXPECT_TRUE(v.IsBeingRead(R{200, 200, 4})); // both parts of a wrapping lock
    v.readFrom = 10;  // frames 10..29: bytes 40..119, no wrap
    EXPECT_FALSE(v.IsBeingRead(R{396, 4, 40}));  // its wrapped part ends just before
    EXPECT_TRUE(v.IsBeingRead(R{396, 4, 41}));
    EXPECT_FALSE(v.IsBeingRead(R{120, 280, 40}));
    EXPECT_TRUE(v.IsBeingRead(R{116, 284, 0}));
    v.readCount = 100;  // the whole buffer
    EXPECT_TRUE(v.IsBeingRead(R{0, 4, 0}));
    EXPECT_TRUE(v.IsBeingRead(R{396, 4, 0}));
    v.mixing = false;  // no pull in progress: nothing waits
    EXPECT_FALSE(v.IsBeingRead(R{0, 400, 0}));
}

// The device's own callback thread, once running, mixes voices at varied pitch, passes their
// notifications and stops a one-shot without a single heap allocation.
TEST_F(DirectSoundTest, TheAudioThreadMixesWithoutAllocating)
{
    if (!qmtest::AllocationProbe::Available() || !platform::AudioDeviceOpen()) {
        GTEST_SKIP() << "needs the allocation probe and an audio device";
    }
    std::vector<IDirectSoundBuffer8*> voices;
    for (int i = 0; i < 4; ++i) {
        IDirectSoundBuffer8* b = MakeBuffer(PcmFormat(i % 2 == 0 ? 2 : 1, 22050, 16), std::vector<std::uint8_t>(8820, 1));
        ASSERT_NE(b, nullptr);
        b->SetFrequency(static_cast<DWORD>(11025 + 9000 * i));
        Notify(b, {{0, Event()}, {4000, Event()}, {DSBPN_OFFSETSTOP, Event()}});
        voices.push_back(b);
    }
    platform::SetManualMixing(false);
    for (IDirectSoundBuffer8* b : voices) {
        ASSERT_EQ(b->Play(0, 0, b == voices[0] ? 0 : DSBPLAY_LOOPING), DS_OK);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // the callback's first pulls
    bool audioThread = false;  // the probe tells the callback's thread by the name SDL gives it
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        audioThread = audioThread || name.rfind("SDLAudioP", 0) == 0;
    }
    ASSERT_TRUE(audioThread);
    qmtest::AllocationProbe probe;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < until && Status(voices[0]) != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const long allocations = probe.AudioThreadAllocations();
    platform::SetManualMixing(true);
    EXPECT_EQ(Status(voices[0]), 0u);  // the one-shot ran out on the audio thread
    EXPECT_EQ(allocations, 0);
}

TEST_F(DirectSoundTest, LoudMixesClampAtBothEnds)
{
    IDirectSoundBuffer8* high = MakeStereo16({30000, 30000, 2767, -2768});
    IDirectSoundBuffer8* low = MakeStereo16({-30000, -30000, 30000, -30000});
    ASSERT_NE(high, nullptr);
    ASSERT_NE(low, nullptr);
    high->Play(0, 0, 0);
    low->Play(0, 0, 0);
    EXPECT_EQ(Pull(1), (Samples{0, 0}));
    EXPECT_EQ(Pull(1), (Samples{32767, -32768}));  // exactly at each limit
    IDirectSoundBuffer8* a = MakeStereo16({30000, -30000});
    IDirectSoundBuffer8* c = MakeStereo16({30000, -30000});
    ASSERT_NE(a, nullptr);
    ASSERT_NE(c, nullptr);
    a->Play(0, 0, 0);
    c->Play(0, 0, 0);
    EXPECT_EQ(Pull(1), (Samples{32767, -32768}));  // past each limit
}

class DirectSoundWithoutDevice : public DirectSoundTest {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        DirectSoundTest::SetUp();
    }
    void TearDown() override
    {
        DirectSoundTest::TearDown();
        setenv("SDL_AUDIODRIVER", "dummy", 1);  // what the test runner sets
    }
};

TEST_F(DirectSoundWithoutDevice, RunsSilentAndStillMixesWhenPulled)
{
    EXPECT_FALSE(platform::AudioDeviceOpen());
    IDirectSoundBuffer8* b = MakeStereo16(Samples(8, 0));
    b->Play(0, 0, DSBPLAY_LOOPING);
    Pull(3);
    EXPECT_EQ(PlayCursor(b), 3u * 4);
}

}  // namespace
