// Cost of the software mixer: 32 looping buffers of mixed formats, pulled 1024 frames at a
// time as the audio callback does; then 32 voices at varied pitch with position notifications
// firing while a second thread locks, writes and unlocks a 64 KiB streamed buffer, as the music
// worker does. "core_percent" is the share of one core spent per second of audio (shown with an
// "s" suffix, the unit Google Benchmark gives inverted rates); "lock_us_median" is the time spent in
// one lock and its unlock of 64 KiB on the second thread (the write between them aside).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "platform/dsound/dsound.h"
#include "platform/testing/dsound.h"
#include "platform/testing/win32.h"
#include "platform/win32/sync.h"

namespace {

constexpr std::size_t kFrames = 1024;

double g_corePercent = 0.0;
double g_lockMicroseconds = 0.0;
double g_lockMeanMicroseconds = 0.0;

IDirectSoundBuffer8* MakeLooping(IDirectSound8* ds, WORD channels, DWORD rate, WORD bits, DWORD seconds10,
                                 DWORD extraFlags = 0)
{
    WAVEFORMATEX format{WAVE_FORMAT_PCM, channels, rate, 0, static_cast<WORD>(channels * bits / 8), bits, 0};
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GLOBALFOCUS | extraFlags;
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

// A sound device mixed by hand on a small window; null (and the benchmark skipped) when none opens.
IDirectSound8* OpenSound(benchmark::State& state, HWND* window)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::SetManualMixing(true);
    *window = platform::CreateBareWindow("bench", 16, 16);
    IDirectSound8* ds = nullptr;
    if (*window == nullptr || FAILED(DirectSoundCreate8(nullptr, &ds, nullptr)) ||
        FAILED(ds->SetCooperativeLevel(*window, DSSCL_PRIORITY))) {
        state.SkipWithError("no sound device");
        return nullptr;
    }
    return ds;
}

void BM_Mix32Buffers(benchmark::State& state)
{
    HWND window = nullptr;
    IDirectSound8* ds = OpenSound(state, &window);
    if (ds == nullptr) {
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

void BM_Mix32VariedPitchWithStreaming(benchmark::State& state)
{
    HWND window = nullptr;
    IDirectSound8* ds = OpenSound(state, &window);
    if (ds == nullptr) {
        return;
    }
    std::vector<IDirectSoundBuffer8*> buffers;
    std::vector<HANDLE> events;
    for (int i = 0; i < 32; ++i) {
        IDirectSoundBuffer8* b = MakeLooping(ds, i % 2 == 0 ? 2 : 1, 22050, 16, 5, DSBCAPS_CTRLPOSITIONNOTIFY);
        // Pitch from about half to about twice the recorded rate.
        b->SetFrequency(static_cast<DWORD>(11025 + 1100 * i));
        b->SetVolume(-100 * (i % 20));
        b->SetPan(-5000 + 300 * i);
        IDirectSoundNotify* notify = nullptr;
        if (b->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)) == S_OK) {
            DSBPOSITIONNOTIFY positions[4];
            const DWORD quarter = 22050 * (i % 2 == 0 ? 4 : 2) / 2 / 4;  // half a second in quarters
            for (DWORD q = 0; q < 4; ++q) {
                events.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
                positions[q] = {q * quarter, events.back()};
            }
            notify->SetNotificationPositions(4, positions);
            notify->Release();
        }
        b->Play(0, 0, DSBPLAY_LOOPING);
        buffers.push_back(b);
    }
    // The streamed buffer: refilled 64 KiB at a time by its own thread while the mixer runs.
    IDirectSoundBuffer8* stream = MakeLooping(ds, 2, 44100, 16, 15);  // 264,600 bytes
    stream->Play(0, 0, DSBPLAY_LOOPING);
    std::atomic<bool> stop{false};
    std::vector<double> lockTimes;  // the writer's own until it is joined
    lockTimes.reserve(1 << 16);
    std::thread writer([&] {
        constexpr DWORD kChunk = 65536;
        DWORD offset = 0;
        while (!stop.load()) {
            void* a1 = nullptr;
            void* a2 = nullptr;
            DWORD n1 = 0;
            DWORD n2 = 0;
            const double start = Seconds(CLOCK_MONOTONIC);
            if (SUCCEEDED(stream->Lock(offset, kChunk, &a1, &n1, &a2, &n2, 0))) {
                const double locked = Seconds(CLOCK_MONOTONIC);
                std::memset(a1, 0x11, n1);
                if (a2 != nullptr) {
                    std::memset(a2, 0x11, n2);
                }
                const double written = Seconds(CLOCK_MONOTONIC);
                stream->Unlock(a1, n1, a2, n2);
                const double spent = (locked - start) + (Seconds(CLOCK_MONOTONIC) - written);
                if (lockTimes.size() < lockTimes.capacity()) {
                    lockTimes.push_back(spent);
                }
            }
            offset = (offset + kChunk) % 264600;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::vector<std::int16_t> out(kFrames * 2);
    double cpu = 0.0;
    for (auto _ : state) {
        const double start = Seconds(CLOCK_THREAD_CPUTIME_ID);
        platform::MixFrames(out.data(), kFrames);
        cpu += Seconds(CLOCK_THREAD_CPUTIME_ID) - start;
        benchmark::DoNotOptimize(out.data());
        // The callback comes every 23 ms; a pause (not counted) lets the writer in as it would be.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop.store(true);
    writer.join();
    const double audioSeconds = static_cast<double>(state.iterations()) * kFrames / 44100.0;
    g_corePercent = cpu / audioSeconds * 100.0;
    double mean = 0.0;
    for (double t : lockTimes) {
        mean += t;
    }
    mean = lockTimes.empty() ? 0.0 : mean / static_cast<double>(lockTimes.size()) * 1e6;
    if (!lockTimes.empty()) {
        std::nth_element(lockTimes.begin(), lockTimes.begin() + static_cast<std::ptrdiff_t>(lockTimes.size() / 2),
                         lockTimes.end());
        g_lockMicroseconds = lockTimes[lockTimes.size() / 2] * 1e6;
    }
    state.counters["core_percent"] = g_corePercent;
    state.counters["lock_us_median"] = g_lockMicroseconds;
    g_lockMeanMicroseconds = mean;
    state.counters["lock_us_mean"] = mean;  // includes the rare wait for a pull reading the same bytes
    for (IDirectSoundBuffer8* b : buffers) {
        b->Release();
    }
    stream->Release();
    for (HANDLE e : events) {
        CloseHandle(e);
    }
    ds->Release();
    platform::DestroyBareWindow(window);
}
BENCHMARK(BM_Mix32VariedPitchWithStreaming)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("32 voices at varied pitch %.2f %% of one core (mixer thread CPU), 64 KiB lock and unlock %.2f us "
                "(median; mean %.2f us); goal < 1 %%, < 5 us\n",
                g_corePercent, g_lockMicroseconds, g_lockMeanMicroseconds);
    return 0;
}
