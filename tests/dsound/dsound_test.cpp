#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/win32/sync.h"
#include "platform/win32/window_internal.h"
#include "support/wave_writer.h"

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
    b->Play(0, 0, 0);
    Samples out = Pull(12);
    const Samples expected = {0, 500, 1000, 2000, 3000, 0, -3000, -1250, 500, 500, 0, 0};
    for (std::size_t f = 0; f < expected.size(); ++f) {
        EXPECT_EQ(out[2 * f], expected[f]) << f;
        EXPECT_EQ(out[2 * f + 1], expected[f]) << f;  // mono goes to both sides
    }
    // At 11025 Hz, 8 output frames move 2 source frames.
    ASSERT_EQ(b->SetFrequency(11025), DS_OK);
    b->Play(0, 0, DSBPLAY_LOOPING);
    Pull(8);
    EXPECT_EQ(PlayCursor(b), 2u * 2);
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

// No audio device: the game runs silent, and the mixer still moves the cursors when pulled.
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
