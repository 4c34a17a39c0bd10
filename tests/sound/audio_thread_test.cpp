// The mixer's real callback on the audio thread while the game thread makes, plays, stops, locks
// and releases buffers, sounds and music streams. Races show under the sanitizer builds.
#include "sound_fixture.h"

#include <cstring>
#include <thread>  // steady_clock; <chrono> itself does not build with CP932 literals

#include "dx/dx8/sound/TSoundBank.h"
#include "platform/testing/dsound.h"
#include "platform/testing/win32.h"
#include "platform/win32/sync.h"
#include "formats/ogg_writer.h"
#include "formats/table_writer.h"
#include "formats/wave_writer.h"

namespace {

using qmtest::PcmFormat;

class AudioThreadTest : public soundtest::SoundCoreTest {
protected:
    void SetUp() override
    {
        SoundCoreTest::SetUp();
        if (!platform::AudioDeviceOpen()) {
            GTEST_SKIP() << "no audio device, not even the dummy one";
        }
        std::vector<qmtest::PseWave> waves;
        for (int n = 1; n <= 3; ++n) {
            waves.push_back({"w" + std::to_string(n), PcmFormat(n == 3 ? 1 : 2, 22050 * n, 16),
                             qmtest::Pcm16Bytes(std::vector<std::int16_t>(2 * 300 * n, static_cast<std::int16_t>(900 * n)))});
        }
        qmtest::SaveBytes(dir_.File("se.pse"), qmtest::BuildPse(waves));
        qmtest::SaveBytes(dir_.File("se.tbl"), qmtest::BuildSoundTable({{1, "w1"}, {2, "w2"}, {3, "w3"}}));
        core_->CreateBank(dir_.File("se.tbl"), "se.pse/", 0, -10000, 0);
        if (qmtest::OggEncoderAvailable()) {
            qmtest::WriteOggTone(dir_.File("_bgm.ogg"), {{3000, 8000}});
            qmtest::WriteOggTone(dir_.File("bgm.ogg"), {{9000, 12000}});
        }
        // From here the audio device's own thread pulls the mixer.
        platform::SetManualMixing(false);
    }

    void TearDown() override
    {
        platform::SetManualMixing(true);
        EXPECT_TRUE(platform::WaitForIdleThreads(5000));
        SoundCoreTest::TearDown();
    }

    IDirectSoundBuffer8* MakeBuffer(DWORD bytes)
    {
        WAVEFORMATEX format = PcmFormat(2, 44100, 16);
        const DSBUFFERDESC desc{sizeof(DSBUFFERDESC),
                                DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GETCURRENTPOSITION2,
                                bytes, 0, &format, {}};
        IDirectSoundBuffer* plain = nullptr;
        IDirectSoundBuffer8* buffer = nullptr;
        if (core_->GetDevice()->CreateSoundBuffer(&desc, &plain, nullptr) != DS_OK ||
            plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer)) != S_OK) {
            ADD_FAILURE() << "no secondary buffer";
        }
        if (plain != nullptr) {
            plain->Release();
        }
        return buffer;
    }

    static void Fill(IDirectSoundBuffer8* buffer, DWORD offset, DWORD bytes, std::uint8_t value)
    {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0;
        DWORD n2 = 0;
        ASSERT_EQ(buffer->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
        std::memset(p1, value, n1);
        if (p2 != nullptr) {
            std::memset(p2, value, n2);
        }
        ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    }
};

TEST_F(AudioThreadTest, GameThreadWorksBuffersSoundsAndMusicWhileTheCallbackMixes)
{
    // A looping buffer shows that the callback really runs: its cursor moves with no pull by hand.
    IDirectSoundBuffer8* steady = MakeBuffer(44100 * 4);
    ASSERT_NE(steady, nullptr);
    Fill(steady, 0, 44100 * 4, 0x10);
    ASSERT_EQ(steady->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    DWORD start = 0;
    steady->GetCurrentPosition(&start, nullptr);

    TSoundBank* bank = core_->GetBank(0);
    std::vector<IDirectSoundBuffer8*> live;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
    int rounds = 0;
    bool moved = false;
    while (std::chrono::steady_clock::now() < until || !moved) {
        const std::uint32_t id = 1 + rounds % 3;
        bank->Load(id);
        bank->Play(id);
        bank->SetVolumeAll(-100 * (rounds % 20));
        if (rounds % 2 == 0) {
            bank->Stop(id);
        }
        bank->Unload(id);
        if (rounds % 5 == 0) {
            core_->PurgeUnused();
        }

        IDirectSoundBuffer8* buffer = MakeBuffer(4096);
        ASSERT_NE(buffer, nullptr);
        Fill(buffer, 0, 4096, 0x20);
        buffer->SetFrequency(11025 + 1000 * (rounds % 40));
        buffer->SetPan(rounds % 2 == 0 ? -3000 : 3000);
        buffer->Play(0, 0, rounds % 3 == 0 ? 0 : DSBPLAY_LOOPING);
        Fill(buffer, 1000, 3000, 0x30);  // wraps round the end
        DWORD play = 0;
        buffer->GetCurrentPosition(&play, nullptr);
        EXPECT_LT(play, 4096u);
        // Many voices alive at once keep the callback busy while the list of voices changes.
        live.push_back(buffer);
        if (live.size() > 48) {
            live.front()->Stop();
            live.front()->Release();
            live.erase(live.begin());
        }

        if (qmtest::OggEncoderAvailable() && rounds % 8 == 0) {
            TRefPtr<TStreamSound> music = core_->CreateSound("bgm.ogg", 2);
            music->SetLoop(rounds % 16 == 0);
            music->Play();
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
            music->Stop(rounds % 3 == 0);
        }

        DWORD now = 0;
        steady->GetCurrentPosition(&now, nullptr);
        moved = moved || now != start;
        if (std::chrono::steady_clock::now() > until + std::chrono::seconds(5)) {
            break;
        }
        ++rounds;
    }
    for (IDirectSoundBuffer8* buffer : live) {
        buffer->Release();
    }
    EXPECT_TRUE(moved) << "the audio callback never ran";
    EXPECT_GT(rounds, 20);
    steady->Stop();
    steady->Release();
}

}  // namespace
