#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/win32/sync.h"
#include "platform/win32/window_internal.h"
#include "support/wave_writer.h"

namespace {

using qmtest::PcmFormat;
using qmtest::Pcm16Bytes;

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
        for (IDirectSoundBuffer8* b : buffers_) {
            b->Release();
        }
        if (ds_ != nullptr) {
            ds_->Release();
        }
        platform::DestroyBareWindow(window_);
        platform::SetManualMixing(false);
    }

    IDirectSoundBuffer8* MakeBuffer(const WAVEFORMATEX& format, const std::vector<std::uint8_t>& bytes,
                                    DWORD flags = kAllControls)
    {
        WAVEFORMATEX f = format;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = flags;
        desc.dwBufferBytes = static_cast<DWORD>(bytes.size());
        desc.lpwfxFormat = &f;
        IDirectSoundBuffer* plain = nullptr;
        EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &plain, nullptr), DS_OK);
        if (plain == nullptr) {
            return nullptr;
        }
        IDirectSoundBuffer8* buffer = nullptr;
        EXPECT_EQ(plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer)), S_OK);
        plain->Release();
        void* p1 = nullptr;
        DWORD n1 = 0;
        EXPECT_EQ(buffer->Lock(0, desc.dwBufferBytes, &p1, &n1, nullptr, nullptr, 0), DS_OK);
        std::memcpy(p1, bytes.data(), n1);
        EXPECT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);
        buffers_.push_back(buffer);
        return buffer;
    }

    IDirectSoundBuffer8* MakeStereo16(const std::vector<std::int16_t>& samples, DWORD flags = kAllControls)
    {
        return MakeBuffer(PcmFormat(2, 44100, 16), Pcm16Bytes(samples), flags);
    }

    static std::vector<std::int16_t> Pull(std::size_t frames)
    {
        std::vector<std::int16_t> out(frames * 2, 12345);
        platform::MixFrames(out.data(), frames);
        return out;
    }

    static DWORD PlayCursor(IDirectSoundBuffer8* b)
    {
        DWORD play = 0;
        b->GetCurrentPosition(&play, nullptr);
        return play;
    }

    HWND window_ = nullptr;
    IDirectSound8* ds_ = nullptr;
    std::vector<IDirectSoundBuffer8*> buffers_;
};

int16_t Scaled(int v, double gain)
{
    return static_cast<int16_t>(std::nearbyint(static_cast<double>(v) * gain));
}

TEST_F(DirectSoundTest, OneShotAtFullVolumePlaysExactSamplesThenStops)
{
    const std::vector<std::int16_t> wave = qmtest::RampStereo(1000, 100);
    IDirectSoundBuffer8* b = MakeStereo16(wave);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Pull(10), std::vector<std::int16_t>(20, 0));  // not playing yet: silence
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    DWORD status = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, static_cast<DWORD>(DSBSTATUS_PLAYING));

    std::vector<std::int16_t> out = Pull(60);
    EXPECT_EQ(out, std::vector<std::int16_t>(wave.begin(), wave.begin() + 120));
    EXPECT_EQ(PlayCursor(b), 60u * 4);
    out = Pull(60);
    EXPECT_EQ(std::vector<std::int16_t>(out.begin(), out.begin() + 80),
              std::vector<std::int16_t>(wave.begin() + 120, wave.end()));
    EXPECT_EQ(std::vector<std::int16_t>(out.begin() + 80, out.end()), std::vector<std::int16_t>(40, 0));
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(PlayCursor(b), 0u);  // a one-shot that ran out is back at its start
}

TEST_F(DirectSoundTest, VolumeScalesByTheDecibelCurveAndMinimumIsSilent)
{
    const std::vector<std::int16_t> wave = qmtest::RampStereo(10000, 50);
    IDirectSoundBuffer8* b = MakeStereo16(wave);
    ASSERT_EQ(b->SetVolume(-600), DS_OK);
    LONG volume = 0;
    b->GetVolume(&volume);
    EXPECT_EQ(volume, -600);
    b->Play(0, 0, DSBPLAY_LOOPING);
    std::vector<std::int16_t> out = Pull(50);
    const double gain = std::pow(10.0, -600.0 / 2000.0);  // about 0.501
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_NEAR(out[i], Scaled(wave[i], gain), 1) << i;
    }
    EXPECT_EQ(out[0], 5012);

    ASSERT_EQ(b->SetVolume(DSBVOLUME_MIN), DS_OK);
    EXPECT_EQ(Pull(50), std::vector<std::int16_t>(100, 0));
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, PanAttenuatesTheOtherSideOnly)
{
    std::vector<std::int16_t> wave(2 * 20, 20000);
    IDirectSoundBuffer8* b = MakeStereo16(wave);
    b->Play(0, 0, DSBPLAY_LOOPING);
    ASSERT_EQ(b->SetPan(2000), DS_OK);  // to the right: left at -20 dB
    std::vector<std::int16_t> out = Pull(4);
    EXPECT_EQ(out[0], 2000);
    EXPECT_EQ(out[1], 20000);
    ASSERT_EQ(b->SetPan(DSBPAN_LEFT), DS_OK);
    out = Pull(4);
    EXPECT_EQ(out[0], 20000);
    EXPECT_EQ(out[1], 0);
    // Volume and pan multiply.
    b->SetVolume(-600);
    b->SetPan(-600);
    out = Pull(1);
    EXPECT_EQ(out[0], Scaled(20000, std::pow(10.0, -0.3)));
    EXPECT_EQ(out[1], Scaled(20000, std::pow(10.0, -0.6)));
    LONG pan = 0;
    b->GetPan(&pan);
    EXPECT_EQ(pan, -600);
    EXPECT_EQ(b->SetPan(10001), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, LoopingWrapsAndPlayAgainOnlyChangesTheLoopFlag)
{
    const std::vector<std::int16_t> wave = qmtest::RampStereo(1, 10);
    IDirectSoundBuffer8* b = MakeStereo16(wave);
    b->Play(0, 0, DSBPLAY_LOOPING);
    DWORD status = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    std::vector<std::int16_t> out = Pull(25);
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
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);

    // A one-shot made looping while it plays carries on past its end.
    b->SetCurrentPosition(8 * 4 + 3);  // rounded down to the frame
    EXPECT_EQ(PlayCursor(b), 8u * 4);
    b->Play(0, 0, 0);
    b->Play(0, 0, DSBPLAY_LOOPING);
    out = Pull(4);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[4], 1);
    EXPECT_EQ(out[6], 2);
    EXPECT_EQ(b->SetCurrentPosition(40), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, HalfRateMonoIsResampledWithLinearSteps)
{
    const std::vector<std::int16_t> wave = {0, 1000, 3000, -3000, 500};
    IDirectSoundBuffer8* b = MakeBuffer(PcmFormat(1, 22050, 16), Pcm16Bytes(wave));
    b->Play(0, 0, 0);
    std::vector<std::int16_t> out = Pull(12);
    const std::vector<std::int16_t> expected = {0, 500, 1000, 2000, 3000, 0, -3000, -1250, 500, 500, 0, 0};
    for (std::size_t f = 0; f < expected.size(); ++f) {
        EXPECT_EQ(out[2 * f], expected[f]) << f;
        EXPECT_EQ(out[2 * f + 1], expected[f]) << f;  // mono goes to both sides
    }
    // SetFrequency changes the pace: at 11025 Hz, 8 output frames move 2 source frames.
    DWORD frequency = 0;
    b->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 22050u);
    ASSERT_EQ(b->SetFrequency(11025), DS_OK);
    b->Play(0, 0, DSBPLAY_LOOPING);
    Pull(8);
    EXPECT_EQ(PlayCursor(b), 2u * 2);
    ASSERT_EQ(b->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    b->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 22050u);
    EXPECT_EQ(b->SetFrequency(50), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, EightBitSourcesAndSumsClampAtFullScale)
{
    const std::vector<std::uint8_t> wave8 = {0x80, 0xFF, 0x00, 0x90};
    IDirectSoundBuffer8* b8 = MakeBuffer(PcmFormat(1, 44100, 8), wave8);
    b8->Play(0, 0, 0);
    std::vector<std::int16_t> out = Pull(4);
    EXPECT_EQ(out, (std::vector<std::int16_t>{0, 0, 32512, 32512, -32768, -32768, 4096, 4096}));

    IDirectSoundBuffer8* loud = MakeStereo16(std::vector<std::int16_t>(8, 30000));
    IDirectSoundBuffer8* half = MakeStereo16(std::vector<std::int16_t>(8, 20000));
    IDirectSoundBuffer8* low = MakeStereo16(std::vector<std::int16_t>(8, -30000));
    loud->Play(0, 0, 0);
    half->Play(0, 0, 0);
    EXPECT_EQ(Pull(1)[0], 32767);
    low->Play(0, 0, 0);
    EXPECT_EQ(Pull(1)[0], 20000);  // the sum is clamped, not each voice
    loud->Stop();
    half->Stop();
    IDirectSoundBuffer8* low2 = MakeStereo16(std::vector<std::int16_t>(8, -30000));
    low2->Play(0, 0, 0);
    EXPECT_EQ(Pull(1)[0], -32768);
}

TEST_F(DirectSoundTest, NotificationsFireInOrderAsTheCursorPassesThem)
{
    IDirectSoundBuffer8* b = MakeStereo16(std::vector<std::int16_t>(2 * 400, 100));
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(b->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), S_OK);
    HANDLE events[5];
    for (HANDLE& e : events) {
        e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    DSBPOSITIONNOTIFY positions[5];
    for (DWORD i = 0; i < 4; ++i) {
        positions[i] = {(3 - i) * 100 * 4, events[3 - i]};  // given out of order
    }
    positions[4] = {DSBPN_OFFSETSTOP, events[4]};
    ASSERT_EQ(notify->SetNotificationPositions(5, positions), DS_OK);

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
    Pull(1);
    EXPECT_EQ(signalled(), std::vector<int>{0});  // the start plays at once
    Pull(99);
    EXPECT_EQ(signalled(), std::vector<int>{});
    Pull(1);
    EXPECT_EQ(signalled(), std::vector<int>{1});
    Pull(250);
    EXPECT_EQ(signalled(), (std::vector<int>{2, 3}));
    Pull(50);
    EXPECT_EQ(signalled(), std::vector<int>{0});  // wrapped to the start
    EXPECT_EQ(notify->SetNotificationPositions(1, positions), DSERR_INVALIDCALL);  // not while playing
    b->Stop();
    EXPECT_EQ(signalled(), std::vector<int>{4});
    b->Stop();
    EXPECT_EQ(signalled(), std::vector<int>{});  // stopping a stopped buffer says nothing

    // Order across one pull: the waiter sees them in cursor order.
    HANDLE order[4] = {events[0], events[1], events[2], events[3]};
    b->SetCurrentPosition(250 * 4);
    b->Play(0, 0, 0);
    Pull(200);  // 250 → end: passes 300, then ends (one-shot) with the stop event
    EXPECT_EQ(WaitForMultipleObjects(4, order, FALSE, 0), WAIT_OBJECT_0 + 3);
    EXPECT_EQ(signalled(), std::vector<int>{4});

    DSBPOSITIONNOTIFY outside = {400 * 4, events[0]};
    EXPECT_EQ(notify->SetNotificationPositions(1, &outside), DSERR_INVALIDPARAM);
    notify->Release();
    for (HANDLE e : events) {
        CloseHandle(e);
    }
}

TEST_F(DirectSoundTest, LockWrapsIntoTwoRegionsAndUnlockCommits)
{
    IDirectSoundBuffer8* b = MakeStereo16(std::vector<std::int16_t>(2 * 16, 0));
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0;
    DWORD n2 = 0;
    ASSERT_EQ(b->Lock(12 * 4, 8 * 4, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 4u * 4);
    EXPECT_EQ(n2, 4u * 4);
    const std::vector<std::uint8_t> ones = Pcm16Bytes(std::vector<std::int16_t>(8, 111));
    const std::vector<std::uint8_t> twos = Pcm16Bytes(std::vector<std::int16_t>(8, 222));
    std::memcpy(p1, ones.data(), n1);
    std::memcpy(p2, twos.data(), n2);
    // Until the unlock the mixer still plays the old bytes.
    b->SetCurrentPosition(0);
    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(Pull(1)[0], 0);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    b->SetCurrentPosition(0);
    std::vector<std::int16_t> out = Pull(16);
    EXPECT_EQ(out[0], 222);
    EXPECT_EQ(out[2 * 3], 222);
    EXPECT_EQ(out[2 * 4], 0);
    EXPECT_EQ(out[2 * 12], 111);
    EXPECT_EQ(out[2 * 15 + 1], 111);

    EXPECT_EQ(b->Lock(12 * 4, 8 * 4, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(16 * 4, 4, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    int foreign = 0;
    EXPECT_EQ(b->Unlock(&foreign, 4, nullptr, 0), DSERR_INVALIDPARAM);
    ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1, 16u * 4);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(b->Unlock(static_cast<std::uint8_t*>(p1) + 4, n1, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(p1, n1, nullptr, 0), DS_OK);
}

TEST_F(DirectSoundTest, ControlsNeedTheirCapabilityFlags)
{
    IDirectSoundBuffer8* b = MakeStereo16(std::vector<std::int16_t>(8, 0), DSBCAPS_GLOBALFOCUS | DSBCAPS_LOCSOFTWARE);
    LONG value = 0;
    EXPECT_EQ(b->SetVolume(-10000), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(b->GetVolume(&value), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(b->SetPan(0), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(b->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
    void* notify = nullptr;
    EXPECT_EQ(b->QueryInterface(IID_IDirectSoundNotify, &notify), E_NOINTERFACE);
    EXPECT_EQ(notify, nullptr);
    WAVEFORMATEX format{};
    DWORD written = 0;
    ASSERT_EQ(b->GetFormat(&format, WAVEFORMATEX_STORED_SIZE, &written), DS_OK);
    EXPECT_EQ(written, 18u);
    EXPECT_EQ(format.nSamplesPerSec, 44100u);
    EXPECT_EQ(format.nBlockAlign, 4);
}

TEST_F(DirectSoundTest, BuffersRefuseBadDescriptions)
{
    WAVEFORMATEX format = PcmFormat(2, 44100, 16);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwBufferBytes = 1024;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* b = nullptr;
    format.nBlockAlign = 2;
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BADFORMAT);
    format = PcmFormat(3, 44100, 16);
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BADFORMAT);
    format = PcmFormat(2, 44100, 24);
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BADFORMAT);
    format = PcmFormat(2, 44100, 16);
    desc.dwBufferBytes = 0;
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &b, nullptr), DSERR_INVALIDPARAM);
    desc.dwBufferBytes = 0x10000000;
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &b, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(b, nullptr);
}

TEST_F(DirectSoundTest, PrimaryFormatNeedsThePriorityLevel)
{
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    WAVEFORMATEX format{};
    ASSERT_EQ(primary->GetFormat(&format, WAVEFORMATEX_STORED_SIZE, nullptr), DS_OK);
    EXPECT_EQ(format.nSamplesPerSec, 22050u);
    EXPECT_EQ(format.wBitsPerSample, 8);
    EXPECT_EQ(format.nChannels, 2);

    const WAVEFORMATEX cd = PcmFormat(2, 44100, 16);
    ASSERT_EQ(primary->SetFormat(&cd), DS_OK);
    ASSERT_EQ(primary->GetFormat(&format, WAVEFORMATEX_STORED_SIZE, nullptr), DS_OK);
    EXPECT_EQ(format.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(format.nBlockAlign, 4);
    EXPECT_EQ(primary->GetFormat(&format, 16, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DSERR_INVALIDCALL);

    ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_NORMAL), DS_OK);
    EXPECT_EQ(primary->SetFormat(&cd), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
    primary->Release();

    DSCAPS caps{};
    EXPECT_EQ(ds_->GetCaps(&caps), DSERR_INVALIDPARAM);
    caps.dwSize = 96;
    ASSERT_EQ(ds_->GetCaps(&caps), DS_OK);
    EXPECT_NE(caps.dwFlags & DSCAPS_PRIMARY16BIT, 0u);
}

TEST_F(DirectSoundTest, TheAudioDeviceThreadDrivesNotificationsWhenAttached)
{
    if (!platform::AudioDeviceOpen()) {
        GTEST_SKIP() << "no audio device";
    }
    IDirectSoundBuffer8* b = MakeStereo16(std::vector<std::int16_t>(2 * 4410, 0));
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(b->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), S_OK);
    HANDLE events[2] = {CreateEventA(nullptr, FALSE, FALSE, nullptr), CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    DSBPOSITIONNOTIFY positions[2] = {{0, events[0]}, {2205 * 4, events[1]}};
    notify->SetNotificationPositions(2, positions);
    b->Play(0, 0, DSBPLAY_LOOPING);
    platform::SetManualMixing(false);
    // 0.1 s of buffer: the halves come round in turn on the device's own thread.
    int seen[2] = {0, 0};
    for (int i = 0; i < 6; ++i) {
        const DWORD which = WaitForMultipleObjects(2, events, FALSE, 5000);
        ASSERT_LT(which, 2u);
        ++seen[which];
    }
    EXPECT_GE(seen[0], 2);
    EXPECT_GE(seen[1], 2);
    platform::SetManualMixing(true);
    b->Stop();
    notify->Release();
    CloseHandle(events[0]);
    CloseHandle(events[1]);
}

}  // namespace

namespace {

// A streaming ring as the music streams use it: 256 KiB, a notification at each quarter, and
// a worker that refills the quarter after the one just started while the mixer plays on.
struct RingWorker {
    IDirectSoundBuffer8* buffer = nullptr;
    HANDLE events[5] = {};  // four quarters, then stop
    HANDLE refilled = nullptr;
    std::vector<int> order;
    std::int16_t next = 1;
};

DWORD RingMain(LPVOID parameter)
{
    auto* w = static_cast<RingWorker*>(parameter);
    for (;;) {
        const DWORD i = WaitForMultipleObjects(5, w->events, FALSE, INFINITE);
        if (i >= 4) {
            return i == 4 ? 0 : 1;
        }
        const DWORD quarter = (i + 1) % 4;
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0;
        DWORD n2 = 0;
        if (FAILED(w->buffer->Lock(quarter * 65536, 65536, &p1, &n1, &p2, &n2, 0))) {
            return 2;
        }
        const std::vector<std::uint8_t> fill = Pcm16Bytes(std::vector<std::int16_t>(n1 / 2, w->next++));
        std::memcpy(p1, fill.data(), n1);
        w->buffer->Unlock(p1, n1, p2, n2);
        w->order.push_back(static_cast<int>(i));
        SetEvent(w->refilled);
    }
}

TEST_F(DirectSoundTest, AWorkerRefillsTheQuarterAheadOfTheCursor)
{
    constexpr DWORD kQuarterFrames = 16384;
    IDirectSoundBuffer8* b = MakeStereo16(std::vector<std::int16_t>(2 * 4 * kQuarterFrames, -7));
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(b->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), S_OK);
    RingWorker w;
    w.buffer = b;
    DSBPOSITIONNOTIFY positions[4];
    for (DWORD i = 0; i < 5; ++i) {
        w.events[i] = CreateEventA(nullptr, i == 4, FALSE, nullptr);
        if (i < 4) {
            positions[i] = {i * 65536, w.events[i]};
        }
    }
    w.refilled = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_EQ(notify->SetNotificationPositions(4, positions), DS_OK);
    HANDLE thread = CreateThread(nullptr, 0, RingMain, &w, 0, nullptr);
    ASSERT_NE(thread, nullptr);

    b->Play(0, 0, DSBPLAY_LOOPING);
    // Quarter 0 keeps its first fill (-7); every quarter after it is refilled before it plays.
    std::vector<std::int16_t> firsts;
    for (int step = 0; step < 6; ++step) {
        std::vector<std::int16_t> out = Pull(kQuarterFrames);
        firsts.push_back(out[0]);
        EXPECT_EQ(out[2 * (kQuarterFrames - 1)], out[0]);  // a whole quarter of one fill
        ASSERT_EQ(WaitForSingleObject(w.refilled, 5000), WAIT_OBJECT_0);
    }
    EXPECT_EQ(firsts, (std::vector<std::int16_t>{-7, 1, 2, 3, 4, 5}));
    SetEvent(w.events[4]);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 9;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(w.order, (std::vector<int>{0, 1, 2, 3, 0, 1}));
    b->Stop();
    CloseHandle(thread);
    for (HANDLE e : w.events) {
        CloseHandle(e);
    }
    CloseHandle(w.refilled);
    notify->Release();
}

}  // namespace

namespace {

TEST(DirectSoundWithoutDevice, RunsSilentAndStillMixesWhenPulled)
{
    const char* saved = std::getenv("SDL_AUDIODRIVER");
    const std::string driver = saved != nullptr ? saved : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    HWND window = platform::CreateBareWindow("silent", 16, 16);
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
    EXPECT_FALSE(platform::AudioDeviceOpen());
    ASSERT_EQ(ds->SetCooperativeLevel(window, DSSCL_PRIORITY), DS_OK);
    WAVEFORMATEX format = PcmFormat(2, 44100, 16);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwBufferBytes = 16;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* b = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    b->Play(0, 0, DSBPLAY_LOOPING);
    std::vector<std::int16_t> out(8);
    platform::MixFrames(out.data(), 3);
    DWORD play = 0;
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 3u * 4);  // the cursor moves only as the mixer is pulled
    b->Release();
    ds->Release();
    platform::DestroyBareWindow(window);
    if (saved != nullptr) {
        setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
}

}  // namespace
