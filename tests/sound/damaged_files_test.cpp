// Every loader of the sound core against damaged copies of a good file (each length cut off, random
// bytes changed): a silent sound or a failed load, never a crash, a stalled worker or a huge block.
#include "sound_fixture.h"

#include <filesystem>

#include "dx/dx8/sound/TPseSound.h"
#include "dx/dx8/sound/TSoundListReader.h"
#include "dx/dx8/sound/TSoundTableReader.h"
#include "formats/byte_writer.h"
#include "formats/ogg_writer.h"
#include "formats/table_writer.h"
#include "formats/wave_writer.h"
#include "platform/testing/win32.h"
#include "support/fuzz.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A music track played a quarter of its buffer at a time as the worker refills it, looping every
// other time; its worker is gone once the sound is.
void PlayTrack(const std::string& path)
{
    static int played = 0;
    const std::size_t threads = platform::RunningThreadCount();
    {
        TRefPtr<TStreamSound> s = TDSound8::Instance()->CreateSound(std::filesystem::path(path).filename().string(), 2);
        s->SetLoop(played++ % 2 == 0);
        s->Play();
        std::vector<std::int16_t> out(2 * 2048);
        for (int slice = 0; slice < 24; ++slice) {
            ASSERT_TRUE(platform::WaitForIdleThreads(5000)) << "the worker stalled";
            platform::MixFrames(out.data(), 2048);
        }
    }
    ASSERT_EQ(platform::RunningThreadCount(), threads);
}

qmtest::FuzzOptions Options(int mutations, std::uint32_t seed = 20240501, std::size_t stride = 1)
{
    qmtest::FuzzOptions options;
    options.mutations = mutations;
    options.seed = seed;
    options.truncationStride = stride;
    return options;
}

const qmtest::DamagedFile kLoaders[] = {
    {"SoundTable", "fuzz.tbl",
     [](const std::string&) { return qmtest::BuildSoundTable({{1, "se_a"}, {2, "長い名前の効果音"}, {3, "c"}}, true); },
     [](const std::string& path) { TSoundTableReader().Load(path); }},
    {"SoundList", "fuzz_list.tbl", [](const std::string&) { return qmtest::BuildSoundList({1, 2, 3, 4}, false); },
     [](const std::string& path) { TSoundListReader().Load(path); }, Options(3000, 77)},
    {"PsePackage", "se.pse",
     [](const std::string&) {
         return qmtest::BuildPse({{"a", qmtest::PcmFormat(1, 22050, 8), Bytes(40, 0x90)},
                                  {"se_hit", qmtest::PcmFormat(2, 44100, 16),
                                   qmtest::Pcm16Bytes(std::vector<std::int16_t>(20, 300))}});
     },
     [](const std::string&) {
         TPseSound a("se.pse/se_hit", 0, TDSound8::Instance());
         a.Play();
         a.Stop(true);
     },
     Options(1500)},
    {"MusicTrack", "damaged.ogg",
     [](const std::string& folder) {
         qmtest::WriteOggTone(folder + "/good.ogg", {{6000, 12000}});
         return qmtest::LoadBytes(folder + "/good.ogg");
     },
     PlayTrack, Options(12, 20240501, 1597)},
};

class DamagedFiles : public soundtest::SoundCoreTest, public ::testing::WithParamInterface<qmtest::DamagedFile> {};

TEST_P(DamagedFiles, NeverCrashStallOrAllocateByBadSizesUnderSanitizers)
{
    const qmtest::DamagedFile& c = GetParam();
    if (std::string(c.loader) == "MusicTrack" && !qmtest::OggEncoderAvailable()) {
        GTEST_SKIP() << "built without libvorbisenc";
    }
    qmtest::FuzzFile(c.valid(dir_.Path().string()), dir_.File(c.file), c.load, c.options);
}

// The good file is read with one call of the system each time it is opened, whatever its fields
// (a music track, the last row, is streamed as it plays instead).
using ReadCalls = DamagedFiles;

TEST_P(ReadCalls, ReadWithOneCallEachOpen)
{
    const qmtest::DamagedFile& c = GetParam();
    qmtest::SaveBytes(dir_.File(c.file), c.valid(dir_.Path().string()));
    const platform::FileCallCounts before = platform::FileCalls();
    c.load(dir_.File(c.file));
    const platform::FileCallCounts after = platform::FileCalls();
    EXPECT_GE(after.opens - before.opens, 1);
    EXPECT_EQ(after.reads - before.reads, after.opens - before.opens);
}

INSTANTIATE_TEST_SUITE_P(EveryLoadedWhole, ReadCalls, ::testing::ValuesIn(std::begin(kLoaders), std::end(kLoaders) - 1),
                         qmtest::DamagedFile::Name());

INSTANTIATE_TEST_SUITE_P(EveryLoader, DamagedFiles, ::testing::ValuesIn(kLoaders), qmtest::DamagedFile::Name());

}  // namespace
