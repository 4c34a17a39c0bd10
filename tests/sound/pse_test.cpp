#include "sound_fixture.h"

#include "dx/dx8/sound/TPseSound.h"
#include "formats/byte_writer.h"
#include "formats/wave_writer.h"
#include "support/dx_probe.h"

namespace {

using qmtest::PcmFormat;
using qmtest::PseWave;
using soundtest::SoundCoreTest;

std::vector<std::uint8_t> Constant16(std::size_t frames, std::int16_t value)
{
    return qmtest::Pcm16Bytes(std::vector<std::int16_t>(frames * 2, value));
}

class PseSoundTest : public SoundCoreTest {
protected:
    void SavePackage(const std::string& name, const std::vector<PseWave>& waves)
    {
        qmtest::SaveBytes(dir_.File(name), qmtest::BuildPse(waves));
    }

    // The first left sample the mixer plays next from this sound alone.
    std::int16_t FirstSample(TPseSound& sound)
    {
        sound.Play();
        const std::int16_t s = Pull(1)[0];
        sound.Stop(false);
        return s;
    }
};

TEST_F(PseSoundTest, KeysFindTheirWaveAndTheFirstOfTwoNamesakes)
{
    SavePackage("voice.pse", {{"a", PcmFormat(2, 44100, 16), Constant16(4, 100)},
                              {"a/b", PcmFormat(2, 44100, 16), Constant16(4, 200)},
                              {"a/b", PcmFormat(2, 44100, 16), Constant16(4, 300)}});
    TPseSound nested("voice.pse/a/b", 1, core_);
    EXPECT_EQ(FirstSample(nested), 200);
    TPseSound plain("voice.pse/a", 1, core_);
    EXPECT_EQ(FirstSample(plain), 100);

    // No such wave, no wave name, no package: silent, state 2, no length.
    for (const char* key : {"voice.pse/c", "voice.pse/", "none.pse/a"}) {
        TPseSound missing(key, 1, core_);
        EXPECT_EQ(TDxProbe::State(missing), TStreamSound::kNotLoaded) << key;
        EXPECT_EQ(missing.GetLength(), -1);
        missing.SetPan(500);
        missing.Play();  // plays nothing
        EXPECT_EQ(Pull(2), std::vector<std::int16_t>(4, 0));
    }
}

TEST_F(PseSoundTest, LengthInMillisecondsVolumeClampsAndPan)
{
    SavePackage("se.pse", {{"half", PcmFormat(2, 22050, 16), std::vector<std::uint8_t>(44100, 0)},
                           {"odd", PcmFormat(1, 44100, 8), std::vector<std::uint8_t>(44099, 0x80)},
                           {"w", PcmFormat(2, 44100, 16), Constant16(16, 10000)}});
    EXPECT_EQ(TPseSound("se.pse/half", 0, core_).GetLength(), 500);
    EXPECT_EQ(TPseSound("se.pse/odd", 0, core_).GetLength(), 999);  // truncated toward zero

    TPseSound sound("se.pse/w", 0, core_);
    EXPECT_EQ(sound.SetVolume(100), 0);
    EXPECT_EQ(sound.SetVolume(-20000), -10000);
    EXPECT_EQ(FirstSample(sound), 0);
    sound.SetVolume(-2000);
    sound.SetPan(-10000);
    sound.Play();
    std::vector<std::int16_t> out = Pull(1);
    EXPECT_EQ(out[0], 1000);  // 10000 at -20 dB
    EXPECT_EQ(out[1], 0);
}

TEST_F(PseSoundTest, SizesBeyondTheFileFailTheLoad)
{
    const WAVEFORMATEX f = PcmFormat(1, 44100, 8);
    auto wave = [&](std::uint32_t count, std::uint32_t offset, std::uint32_t dataSize, std::uint32_t avg) {
        qmtest::ByteWriter w;
        w.U32(count).LpString("w").U32(offset);
        w.U16(f.wFormatTag).U16(f.nChannels).U32(f.nSamplesPerSec).U32(avg).U16(f.nBlockAlign);
        w.U16(f.wBitsPerSample).U16(0).U32(dataSize).Bytes(std::string(8, '\x90'));
        qmtest::SaveBytes(dir_.File("se.pse"), w.Data());
        return TDxProbe::State(TPseSound("se.pse/w", 0, core_));
    };
    EXPECT_EQ(wave(1, 14, 8, 44100), TStreamSound::kStopped);  // the well-formed one
    EXPECT_EQ(wave(1, 14, 9, 44100), TStreamSound::kNotLoaded);  // data beyond the end
    EXPECT_EQ(wave(0x20000000u, 14, 8, 44100), TStreamSound::kNotLoaded);  // entry count
    EXPECT_EQ(wave(1, 40, 8, 44100), TStreamSound::kNotLoaded);  // record beyond the end
    EXPECT_EQ(wave(1, 0xFFFFFFF0u, 8, 44100), TStreamSound::kNotLoaded);
    EXPECT_EQ(wave(1, 14, 8, 0), TStreamSound::kNotLoaded);  // no bytes per second: no length
}

}  // namespace
