// Cost of the software mixer: 32 looping buffers of mixed formats, pulled 1024 frames at a
// time as the audio callback does. "core_percent" is the share of one core spent per second of audio
// (shown with an "s" suffix, the unit Google Benchmark gives inverted rates).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/win32/window_internal.h"

namespace {

constexpr std::size_t kFrames = 1024;

IDirectSoundBuffer8* MakeLooping(IDirectSound8* ds, WORD channels, DWORD rate, WORD bits, DWORD seconds10)
{
    WAVEFORMATEX format{WAVE_FORMAT_PCM, channels, rate, 0, static_cast<WORD>(channels * bits / 8), bits, 0};
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = format.nAvgBytesPerSec * seconds10 / 10;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* plain = nullptr;
    if (FAILED(ds->CreateSoundBuffer(&desc, &plain, nullptr))) {
        return nullptr;
    }
    IDirectSoundBuffer8* buffer = nullptr;
    plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer));
    plain->Release();
    void* audio = nullptr;
    DWORD bytes = 0;
    buffer->Lock(0, desc.dwBufferBytes, &audio, &bytes, nullptr, nullptr, 0);
    auto* p = static_cast<std::uint8_t*>(audio);
    for (DWORD i = 0; i < bytes; ++i) {
        p[i] = static_cast<std::uint8_t>(128 + 100 * std::sin(i * 0.01));
    }
    buffer->Unlock(audio, bytes, nullptr, 0);
    return buffer;
}

void BM_Mix32Buffers(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::SetManualMixing(true);
    HWND window = platform::CreateBareWindow("bench", 16, 16);
    IDirectSound8* ds = nullptr;
    if (window == nullptr || FAILED(DirectSoundCreate8(nullptr, &ds, nullptr)) ||
        FAILED(ds->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        state.SkipWithError("no sound device");
        return;
    }
    std::vector<IDirectSoundBuffer8*> buffers;
    for (int i = 0; i < 32; ++i) {
        IDirectSoundBuffer8* b = nullptr;
        if (i < 16) {
            b = MakeLooping(ds, 2, 44100, 16, 7);  // same rate: the straight path
        } else if (i < 24) {
            b = MakeLooping(ds, 1, 22050, 16, 13);  // resampled
        } else {
            b = MakeLooping(ds, 1, 11025, 8, 5);  // resampled, 8-bit
        }
        b->SetVolume(-100 * (i % 20));
        b->SetPan(-5000 + 300 * i);
        b->Play(0, 0, DSBPLAY_LOOPING);
        buffers.push_back(b);
    }
    std::vector<std::int16_t> out(kFrames * 2);
    for (auto _ : state) {
        platform::MixFrames(out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    const double audioSeconds = static_cast<double>(state.iterations()) * kFrames / 44100.0;
    // Inverted rate: elapsed time / (audio seconds / 100) = percent of a core.
    state.counters["core_percent"] = benchmark::Counter(audioSeconds / 100.0, benchmark::Counter::kIsRate |
                                                                             benchmark::Counter::kInvert);
    for (IDirectSoundBuffer8* b : buffers) {
        b->Release();
    }
    ds->Release();
    platform::DestroyBareWindow(window);
}
BENCHMARK(BM_Mix32Buffers)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
