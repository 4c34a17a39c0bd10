#include "platform/dsound/mixer.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

#include "platform/dsound/seams.h"
#include "platform/win32/sync.h"

namespace platform::dsound {

std::atomic<bool> g_manualMixing{false};
std::mutex g_deviceLock;
SDL_AudioDeviceID g_device = 0;

namespace {

constexpr std::uint64_t kOne = std::uint64_t{1} << 32;
constexpr float kFraction = 1.0f / 4294967296.0f;

struct Sample {
    float left;
    float right;
};

template <int Bits, int Channels>
Sample Fetch(const std::uint8_t* data, DWORD frame)
{
    if constexpr (Bits == 8) {
        const std::uint8_t* p = data + frame * Channels;
        const float left = static_cast<float>((static_cast<int>(p[0]) - 128) * 256);
        if constexpr (Channels == 1) {
            return {left, left};
        } else {
            return {left, static_cast<float>((static_cast<int>(p[1]) - 128) * 256)};
        }
    } else {
        const std::uint8_t* p = data + frame * 2 * Channels;
        const float left = static_cast<float>(static_cast<std::int16_t>(p[0] | (p[1] << 8)));
        if constexpr (Channels == 1) {
            return {left, left};
        } else {
            return {left, static_cast<float>(static_cast<std::int16_t>(p[2] | (p[3] << 8)))};
        }
    }
}

// A frame a caller holds locked plays as silence.
template <int Bits, int Channels, bool Guarded>
Sample FetchFrom(const VoiceState& voice, const std::uint8_t* data, DWORD frame)
{
    if constexpr (Guarded) {
        if (voice.IsLocked(frame)) {
            return {0.0f, 0.0f};
        }
    }
    return Fetch<Bits, Channels>(data, frame);
}

// Mixes one voice into acc; returns the number of whole passes over the buffer's end (looping)
// and sets ended when a one-shot voice ran out.
template <int Bits, int Channels, bool Guarded>
unsigned MixVoice(VoiceState& voice, const std::uint8_t* data, float* acc, std::size_t frames, bool& ended)
{
    const DWORD total = voice.frames;
    const std::uint64_t step = (static_cast<std::uint64_t>(voice.frequency) << 32) / kOutputRate;
    const float gl = voice.gainLeft;
    const float gr = voice.gainRight;
    std::uint64_t pos = voice.position;
    unsigned wraps = 0;
    std::size_t n = 0;
    while (n < frames) {
        const DWORD index = static_cast<DWORD>(pos >> 32);
        if (step == kOne) {
            // Same rate as the output: whole runs up to the buffer's end.
            const std::size_t run = std::min<std::size_t>(frames - n, total - index);
            float* out = acc + 2 * n;
            for (std::size_t k = 0; k < run; ++k) {
                const Sample s = FetchFrom<Bits, Channels, Guarded>(voice, data, index + static_cast<DWORD>(k));
                out[2 * k] += s.left * gl;
                out[2 * k + 1] += s.right * gr;
            }
            n += run;
            pos += static_cast<std::uint64_t>(run) << 32;
        } else {
            // Linear interpolation towards the next frame (the first one again when looping).
            const Sample s0 = FetchFrom<Bits, Channels, Guarded>(voice, data, index);
            Sample s1 = s0;
            if (index + 1 < total) {
                s1 = FetchFrom<Bits, Channels, Guarded>(voice, data, index + 1);
            } else if (voice.looping) {
                s1 = FetchFrom<Bits, Channels, Guarded>(voice, data, 0);
            }
            const float t = static_cast<float>(pos & (kOne - 1)) * kFraction;
            acc[2 * n] += (s0.left + (s1.left - s0.left) * t) * gl;
            acc[2 * n + 1] += (s0.right + (s1.right - s0.right) * t) * gr;
            ++n;
            pos += step;
        }
        while ((pos >> 32) >= total) {
            if (!voice.looping) {
                ended = true;
                voice.position = 0;
                return wraps;
            }
            pos -= static_cast<std::uint64_t>(total) << 32;
            ++wraps;
        }
    }
    voice.position = pos;
    return wraps;
}

using MixFunction = unsigned (*)(VoiceState&, const std::uint8_t*, float*, std::size_t, bool&);

template <bool Guarded>
MixFunction MixFunctionOf(const VoiceState& voice)
{
    if (voice.bits == 8) {
        return voice.channels == 1 ? MixVoice<8, 1, Guarded> : MixVoice<8, 2, Guarded>;
    }
    return voice.channels == 1 ? MixVoice<16, 1, Guarded> : MixVoice<16, 2, Guarded>;
}

MixFunction MixFunctionFor(const VoiceState& voice)
{
    return voice.lockCount > 0 ? MixFunctionOf<true>(voice) : MixFunctionOf<false>(voice);
}

// Round to nearest, ties to even (as nearbyint in the default mode), for |v| < 2^22: adding and
// taking away 1.5 * 2^23 leaves no fraction bits. Cheaper than a library call per sample.
std::int16_t ToSample(float v)
{
    const float clamped = std::clamp(v, -32768.0f, 32767.0f);
    constexpr float kShift = 12582912.0f;
    return static_cast<std::int16_t>((clamped + kShift) - kShift);
}

// Appends the events of the notifications in frames [from, to), in order.
void CollectPassed(const Voice& voice, DWORD from, DWORD to, std::vector<HANDLE>& passed)
{
    for (const Notification& n : voice.notifications) {
        if (n.frame >= from && n.frame < to) {
            passed.push_back(n.event);
        }
    }
}

int g_deviceUsers = 0;  // guarded by g_deviceLock, as is the one below
bool g_startedAudio = false;

void AudioCallback(void*, Uint8* stream, int length)
{
    const std::size_t frames = static_cast<std::size_t>(length) / 4;
    if (g_manualMixing.load()) {
        std::fill(stream, stream + length, Uint8{0});
        return;
    }
    Mixer::Get().Mix(reinterpret_cast<std::int16_t*>(stream), frames);
}

}  // namespace

float VolumeToGain(LONG volume)
{
    if (volume <= DSBVOLUME_MIN) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, static_cast<double>(volume) / 2000.0));
}

bool VoiceState::IsLocked(DWORD frame) const
{
    const std::uint64_t begin = static_cast<std::uint64_t>(frame) * blockAlign;
    const std::uint64_t end = begin + blockAlign;
    for (int i = 0; i < lockCount; ++i) {
        const LockedRegion& r = locks[static_cast<std::size_t>(i)];
        if ((end > r.offset && begin < static_cast<std::uint64_t>(r.offset) + r.bytes) || begin < r.wrapped) {
            return true;
        }
    }
    return false;
}

void Voice::UpdateGains()
{
    const float gain = VolumeToGain(volume);
    // Pan lowers the side away from it; the near side keeps the full volume.
    gainLeft = gain * (pan > 0 ? VolumeToGain(-pan) : 1.0f);
    gainRight = gain * (pan < 0 ? VolumeToGain(pan) : 1.0f);
}

Mixer& Mixer::Get()
{
    static Mixer* mixer = new Mixer;  // the audio thread may still run at exit
    return *mixer;
}

bool Voice::IsBeingRead(const LockedRegion& region) const
{
    if (!mixing || readCount == 0) {
        return false;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(frames) * blockAlign;
    const std::uint64_t begin = static_cast<std::uint64_t>(readFrom) * blockAlign;
    const std::uint64_t end = begin + static_cast<std::uint64_t>(readCount) * blockAlign;
    // The read range as up to two runs of bytes: to the end, then again from the start.
    const std::uint64_t runs[2][2] = {{begin, std::min(end, size)}, {0, end > size ? end - size : 0}};
    const std::uint64_t locked[2][2] = {{region.offset, static_cast<std::uint64_t>(region.offset) + region.bytes},
                                        {0, region.wrapped}};
    for (const auto& r : runs) {
        for (const auto& l : locked) {
            if (r[0] < r[1] && l[0] < l[1] && r[0] < l[1] && l[0] < r[1]) {
                return true;
            }
        }
    }
    return false;
}

void Mixer::Add(Voice* voice)
{
    voices_.push_back(voice);
}

void Mixer::Remove(Voice* voice, std::unique_lock<std::mutex>& guard)
{
    read_.wait(guard, [voice] { return !voice->mixing; });
    voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

void Mixer::WaitUntilUnread(const Voice& voice, const LockedRegion& region, std::unique_lock<std::mutex>& guard)
{
    read_.wait(guard, [&] { return !voice.IsBeingRead(region); });
}

// Under the lock: what each playing voice needs for this pull, and the frames it may read.
void Mixer::Start(std::size_t frames)
{
    jobs_.clear();
    if (frames == 0) {
        return;
    }
    for (Voice* voice : voices_) {
        if (!voice->playing || voice->frames == 0) {
            continue;
        }
        const std::uint64_t step = (static_cast<std::uint64_t>(voice->frequency) << 32) / kOutputRate;
        // Whole frames passed, plus the one being left and the next one interpolated towards.
        const std::uint64_t reach = (((voice->position & 0xFFFFFFFFU) + step * frames) >> 32) + 2;
        voice->mixing = true;
        voice->readFrom = static_cast<DWORD>(voice->position >> 32);
        voice->readCount = static_cast<DWORD>(std::min<std::uint64_t>(reach, voice->frames));
        jobs_.push_back(Job{voice, voice->data.data(), *voice, voice->positionSerial, voice->playSerial,
                            voice->readFrom, 0, false});
    }
}

// Under the lock: positions moved on, ended voices stopped, passed notifications collected. A
// position or play state the game set while the pull was mixed is kept.
void Mixer::Finish()
{
    passed_.clear();
    for (Job& job : jobs_) {
        Voice& voice = *job.voice;
        voice.mixing = false;
        const bool keepPosition = voice.positionSerial != job.positionSerial;
        if (job.ended) {
            CollectPassed(voice, job.from, voice.frames, passed_);
            if (voice.playSerial == job.playSerial) {
                voice.playing = false;
                passed_.insert(passed_.end(), voice.stopEvents.begin(), voice.stopEvents.end());
            }
            if (!keepPosition) {
                voice.position = 0;
            }
            continue;
        }
        const DWORD to = static_cast<DWORD>(job.state.position >> 32);
        if (job.wraps == 0) {
            CollectPassed(voice, job.from, to, passed_);
        } else {
            // A tiny buffer may wrap several times in one pull; one full pass stands for all.
            CollectPassed(voice, job.from, voice.frames, passed_);
            if (job.wraps > 1) {
                CollectPassed(voice, 0, voice.frames, passed_);
            }
            CollectPassed(voice, 0, to, passed_);
        }
        if (!keepPosition) {
            voice.position = job.state.position;
        }
    }
}

void Mixer::Mix(std::int16_t* out, std::size_t frames)
{
    // Per thread: events are set outside both locks, and a test may pull while the callback runs.
    thread_local std::vector<HANDLE> signal;
    signal.clear();
    {
        std::lock_guard<std::mutex> pull(pullLock_);
        {
            std::lock_guard<std::mutex> guard(lock_);
            Start(frames);
        }
        accumulator_.assign(frames * 2, 0.0f);
        for (Job& job : jobs_) {
            job.wraps = MixFunctionFor(job.state)(job.state, job.data, accumulator_.data(), frames, job.ended);
        }
        for (std::size_t i = 0; i < frames * 2; ++i) {
            out[i] = ToSample(accumulator_[i]);
        }
        {
            std::lock_guard<std::mutex> guard(lock_);
            Finish();
            signal.insert(signal.end(), passed_.begin(), passed_.end());
        }
        read_.notify_all();
    }
    // Events are set outside the mixer lock: a waiter may call back into a buffer at once.
    for (HANDLE event : signal) {
        SetEvent(event);
    }
}

// Said once per run, with SDL's reason; nothing else changes.
static void ReportNoAudio()
{
    static bool reported = false;
    if (!reported) {
        reported = true;
        std::fprintf(stderr, "no audio device: running without sound (%s)\n", SDL_GetError());
        std::fflush(stderr);
    }
}

void AcquireAudioDevice()
{
    std::lock_guard<std::mutex> guard(g_deviceLock);
    if (g_deviceUsers++ > 0) {
        return;
    }
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            ReportNoAudio();  // no audio: the game runs silent
            return;
        }
        g_startedAudio = true;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(kOutputRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    SDL_AudioSpec have{};
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (g_device != 0) {
        SDL_PauseAudioDevice(g_device, 0);
    } else {
        ReportNoAudio();
    }
}

void ReleaseAudioDevice()
{
    std::lock_guard<std::mutex> guard(g_deviceLock);
    if (g_deviceUsers == 0 || --g_deviceUsers > 0) {
        return;
    }
    if (g_device != 0) {
        SDL_CloseAudioDevice(g_device);  // waits for a running callback
        g_device = 0;
    }
    if (g_startedAudio) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        g_startedAudio = false;
    }
}

}  // namespace platform::dsound
