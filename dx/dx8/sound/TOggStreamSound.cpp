#include "dx/dx8/sound/TOggStreamSound.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "TCommon/TFile.h"
#include "TCommon/my_error.h"
#include "dx/dx8/sound/TDSound8.h"
#include "platform/win32/sync.h"

namespace {

const char kSourceFile[] = "dx/dx8/sound/TOggStreamSound";

// Music is always 16-bit; a part's length is counted as stereo frames.
constexpr std::uint16_t kBits = 16;
constexpr std::uint32_t kBytesPerFrame = 4;

// vorbisfile reads through our own file layer, so music paths follow the game's rules.
std::size_t ReadCallback(void* out, std::size_t size, std::size_t count, void* source)
{
    if (size == 0 || count == 0) {
        return 0;
    }
    const std::size_t want = std::min<std::size_t>(count, 0x10000000u / size) * size;
    DWORD got = 0;
    if (!ReadFile(static_cast<TFile*>(source)->GetHandle(), out, static_cast<DWORD>(want), &got, nullptr)) {
        errno = EIO;  // vorbisfile tells a failed read from the end of the file by errno
        return 0;
    }
    return got / size;
}

int SeekCallback(void* source, ogg_int64_t offset, int whence)
{
    DWORD method = FILE_BEGIN;
    if (whence == SEEK_CUR) {
        method = FILE_CURRENT;
    } else if (whence == SEEK_END) {
        method = FILE_END;
    } else if (whence != SEEK_SET) {
        return -1;
    }
    if (offset < std::numeric_limits<LONG>::min() || offset > std::numeric_limits<LONG>::max()) {
        return -1;
    }
    const DWORD at = SetFilePointer(static_cast<TFile*>(source)->GetHandle(), static_cast<LONG>(offset), nullptr,
                                    method);
    return at == INVALID_SET_FILE_POINTER ? -1 : 0;
}

long TellCallback(void* source)
{
    const DWORD at = SetFilePointer(static_cast<TFile*>(source)->GetHandle(), 0, nullptr, FILE_CURRENT);
    return at == INVALID_SET_FILE_POINTER ? -1 : static_cast<long>(at);
}

void CloseEvent(HANDLE& event)
{
    if (event != nullptr) {
        CloseHandle(event);
        event = nullptr;
    }
}

}  // namespace

TOggStreamSound::TOggStreamSound(const std::string& name, std::uint32_t bankId, TDSound8* owner)
    : TBufferedSound(bankId, owner), m_key(name), m_hasIntro(false), m_introDone(false), m_stopEvent(nullptr),
      m_events{}, m_thread(nullptr), m_runEvent(nullptr), m_bitsPerSample(kBits), m_mainLength(0), m_introLength(0),
      m_remaining(0), m_partLength(0), m_quarterSequence{}, m_nextSequence(0), m_endSequence(kNoSequence),
      m_threadId(0), m_atStart(false), m_intro{}, m_main{}, m_introOpen(false), m_mainOpen(false)
{
    std::fill(std::begin(m_quarterSequence), std::end(m_quarterSequence), kNoSequence);
    if (!Open()) {
        Release();
        m_state = kNotLoaded;
    }
}

TOggStreamSound::~TOggStreamSound()
{
    if (m_thread != nullptr) {
        m_buffer->Stop();
        SetEvent(m_stopEvent);
        SetEvent(m_runEvent);  // a stopped worker sleeps on it
        // The worker looks at the stop event after every wake and never waits on the lock for
        // long, so it always comes back: wait for it rather than leave it running on a dead object.
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    Release();
}

bool TOggStreamSound::Open()
{
    if (m_owner == nullptr || m_owner->GetDevice() == nullptr) {
        return false;
    }
    const std::size_t dot = m_key.rfind('.');
    if (dot == std::string::npos || m_key.compare(dot, std::string::npos, ".ogg") != 0) {
        return false;
    }
    const std::string& folder = m_owner->GetMusicFolder();
    const std::string mainPath = folder + m_key;
    const std::string introPath = folder + "_" + m_key;
    m_hasIntro = TFile(introPath).Open(true, GENERIC_READ);

    if (!OpenDecoder(mainPath, m_mainFile, m_main, m_mainOpen, m_mainLength)) {
        return false;
    }
    m_remaining = m_partLength = m_mainLength;
    if (m_hasIntro) {
        if (!OpenDecoder(introPath, m_introFile, m_intro, m_introOpen, m_introLength)) {
            return false;
        }
        m_remaining = m_partLength = m_introLength;
    }

    const vorbis_info* info = ov_info(&m_main, -1);
    if (info == nullptr || info->channels < 1 || info->channels > 8 || info->rate < 1 || info->rate > 1000000) {
        return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(info->channels);
    format.nSamplesPerSec = static_cast<DWORD>(info->rate);
    format.wBitsPerSample = m_bitsPerSample;
    format.nBlockAlign = static_cast<WORD>(2 * info->channels);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;

    if (!CreateBuffer(format, DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLPOSITIONNOTIFY |
                                  DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_LOCSOFTWARE,
                      kBufferSize)) {
        return false;
    }
    IDirectSoundNotify* notify = nullptr;
    if (FAILED(m_buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify))) ||
        notify == nullptr) {
        return false;
    }
    m_notify = TComPtr<IDirectSoundNotify>(notify);

    m_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_runEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (m_stopEvent == nullptr || m_runEvent == nullptr) {
        return false;
    }
    DSBPOSITIONNOTIFY positions[kChunkCount];
    for (std::uint32_t i = 0; i < kChunkCount; ++i) {
        m_events[i] = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (m_events[i] == nullptr) {
            return false;
        }
        positions[i] = {kChunkSize * i, m_events[i]};
    }
    m_events[kChunkCount] = m_stopEvent;
    if (FAILED(m_notify->SetNotificationPositions(kChunkCount, positions))) {
        return false;
    }

    {
        std::lock_guard<std::mutex> guard(m_lock);
        FillQuarter(0);
        m_atStart = true;
    }
    const double ms = (static_cast<double>(m_introLength) + m_mainLength) / format.nAvgBytesPerSec * 1000.0;
    m_length = static_cast<std::int32_t>(std::min(ms, static_cast<double>(std::numeric_limits<std::int32_t>::max())));

    m_state = kStopped;
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, StreamThread, this, 0, &m_threadId));
    if (m_thread == nullptr) {
        return false;
    }
    return true;
}

bool TOggStreamSound::OpenDecoder(const std::string& path, std::unique_ptr<TFile>& file, OggVorbis_File& decoder,
                                  bool& opened, std::uint32_t& length)
{
    file = std::make_unique<TFile>(path);
    if (!file->Open(true, GENERIC_READ)) {
        return false;
    }
    const ov_callbacks callbacks = {ReadCallback, SeekCallback, nullptr, TellCallback};
    if (ov_open_callbacks(file.get(), &decoder, nullptr, 0, callbacks) < 0) {
        return false;  // vorbisfile has cleared the decoder itself
    }
    opened = true;
    const ogg_int64_t frames = ov_pcm_total(&decoder, -1);
    if (frames < 0) {
        return false;
    }
    // A damaged last page may claim any length; the part then ends where decoding does.
    constexpr ogg_int64_t kMaxFrames = std::numeric_limits<std::uint32_t>::max() / kBytesPerFrame;
    length = static_cast<std::uint32_t>(std::min(frames, kMaxFrames) * kBytesPerFrame);
    return true;
}

void TOggStreamSound::Release()
{
    if (m_introOpen) {
        ov_clear(&m_intro);
        m_introOpen = false;
    }
    if (m_mainOpen) {
        ov_clear(&m_main);
        m_mainOpen = false;
    }
    m_introFile.reset();
    m_mainFile.reset();
    CloseEvent(m_stopEvent);
    CloseEvent(m_runEvent);
    for (std::uint32_t i = 0; i < kChunkCount; ++i) {
        CloseEvent(m_events[i]);
    }
    m_events[kChunkCount] = nullptr;
    m_notify = TComPtr<IDirectSoundNotify>();
    m_buffer = TComPtr<IDirectSoundBuffer8>();
}

unsigned TOggStreamSound::StreamThread(void* self)
{
    auto* sound = static_cast<TOggStreamSound*>(self);
    // The worker ends at its first exception; it goes to the error log, since no one waits for it.
    try {
        sound->RunWorker();
    } catch (const my_error& e) {
        my_error::LogError(e);
        sound->Abandon();
    } catch (const std::exception& e) {
        my_error::LogError(my_error(std::string("music worker: ") + e.what(), kSourceFile, __LINE__));
        sound->Abandon();
    } catch (...) {
        my_error::LogError(my_error("music worker: unknown exception", kSourceFile, __LINE__));
        sound->Abandon();
    }
    return 0;
}

void TOggStreamSound::RunWorker()
{
    while (WaitForSingleObject(m_stopEvent, 0) == WAIT_TIMEOUT) {
        if (WaitForSingleObject(m_runEvent, INFINITE) != WAIT_OBJECT_0) {
            Abandon();
            return;
        }
        const DWORD index = WaitForMultipleObjects(kChunkCount + 1, m_events, FALSE, INFINITE);
        if (index == kChunkCount || WaitForSingleObject(m_stopEvent, 0) != WAIT_TIMEOUT) {
            return;  // shutting down
        }
        if (index > kChunkCount) {
            Abandon();  // a failed wait is never taken for a quarter
            return;
        }
        std::lock_guard<std::mutex> guard(m_lock);
        OnNotification(index);
    }
}

// Without its worker nothing refills the ring: stop rather than repeat it over and over.
void TOggStreamSound::Abandon()
{
    std::lock_guard<std::mutex> guard(m_lock);
    StopLocked(false);
}

void TOggStreamSound::Play()
{
    std::lock_guard<std::mutex> guard(m_lock);
    PlayLocked();
}

void TOggStreamSound::PlayLocked()
{
    if (m_buffer.Get() == nullptr) {
        return;
    }
    m_state = kPlaying;
    m_atStart = false;
    SetEvent(m_runEvent);
    // The ring always loops; the track's own loop flag works in the refills.
    m_buffer->Play(0, 0, DSBPLAY_LOOPING);
}

void TOggStreamSound::Stop(bool rewind)
{
    std::lock_guard<std::mutex> guard(m_lock);
    StopLocked(rewind);
}

void TOggStreamSound::StopLocked(bool rewind)
{
    if (m_buffer.Get() == nullptr) {
        return;
    }
    m_state = kStopped;
    ResetEvent(m_runEvent);
    m_buffer->Stop();
    if (!rewind) {
        return;
    }
    m_buffer->SetCurrentPosition(0);
    Restart();
}

void TOggStreamSound::Restart()
{
    ResetParts();
    ov_pcm_seek(&Current(), 0);
    // Whatever the quarters held and a pending end belong to the pass before.
    std::fill(std::begin(m_quarterSequence), std::end(m_quarterSequence), kNoSequence);
    m_nextSequence = 0;
    m_endSequence = kNoSequence;
    FillQuarter(0);
    m_atStart = true;
}

void TOggStreamSound::SetLoop(bool loop)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const bool changed = m_loop != loop;
    m_loop = loop;
    // The first quarter is filled ahead when the stream is rewound; a track so short that its
    // end already lies in it must be filled again, or the new flag would miss its first end.
    if (changed && m_atStart && m_buffer.Get() != nullptr) {
        Restart();
    }
}

void TOggStreamSound::Rewind()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_buffer.Get() == nullptr) {
        return;
    }
    const bool playing = m_state == kPlaying;
    StopLocked(true);
    if (playing) {
        PlayLocked();
    }
}

void TOggStreamSound::ResetParts()
{
    m_remaining = m_partLength = m_mainLength;
    if (m_hasIntro) {
        m_introDone = false;
        m_remaining = m_partLength = m_introLength;
    }
}

// The play cursor has reached the start of quarter index: refill the quarter after it, or stop
// when it is the first quarter past the end of a one-shot track.
void TOggStreamSound::OnNotification(std::uint32_t index)
{
    const std::uint64_t here = m_quarterSequence[index];
    if (here == kNoSequence) {
        return;  // raised before the last rewind
    }
    if (m_endSequence != kNoSequence && here >= m_endSequence) {
        StopLocked(true);
        return;
    }
    const std::uint32_t next = (index + 1) % kChunkCount;
    if (m_quarterSequence[next] != kNoSequence && m_quarterSequence[next] > here) {
        return;  // already holds what follows
    }
    FillQuarter(next);
}

void TOggStreamSound::FillQuarter(std::uint32_t quarter)
{
    void* audio1 = nullptr;
    void* audio2 = nullptr;
    DWORD bytes1 = 0;
    DWORD bytes2 = 0;
    if (FAILED(m_buffer->Lock(quarter * kChunkSize, kChunkSize, &audio1, &bytes1, &audio2, &bytes2, 0))) {
        return;
    }
    const std::uint64_t sequence = m_nextSequence++;
    m_quarterSequence[quarter] = sequence;
    FillBytes(static_cast<std::uint8_t*>(audio1), bytes1, sequence);
    m_buffer->Unlock(audio1, bytes1, audio2, bytes2);
}

void TOggStreamSound::FillBytes(std::uint8_t* out, std::uint32_t size, std::uint64_t sequence)
{
    std::uint32_t pos = 0;
    bool mainRestarted = false;  // the main part began again within this quarter
    std::uint32_t passBytes = 0;
    while (pos < size && m_endSequence == kNoSequence) {
        if (m_remaining > 0) {
            const std::uint32_t n = std::min(m_remaining, size - pos);
            const std::uint32_t got = Decode(Current(), out + pos, n);
            pos += got;
            passBytes += got;
            // A part that yields less than it announced (damaged, or mono) ends where it ran dry.
            m_remaining = got < n ? 0 : m_remaining - got;
            continue;
        }
        if (m_hasIntro && !m_introDone) {
            m_introDone = true;
            m_remaining = m_partLength = m_mainLength;
            ov_pcm_seek(&m_main, 0);
            mainRestarted = true;
            passBytes = 0;
            continue;
        }
        // The end of the track proper.
        ov_pcm_seek(&Current(), 0);
        m_remaining = m_partLength;
        // A pass that gave nothing at all would repeat forever: it ends like a one-shot track.
        const bool nothing = mainRestarted && passBytes == 0;
        if (!m_loop || nothing) {
            // The cursor must first play out the last bytes, so playback ends at the quarter
            // after this one unless this one has none of the track.
            m_endSequence = pos == 0 ? sequence : sequence + 1;
            break;
        }
        mainRestarted = true;
        passBytes = 0;
    }
    std::memset(out + pos, m_bitsPerSample == 8 ? 0x80 : 0x00, size - pos);
}

OggVorbis_File& TOggStreamSound::Current()
{
    return m_hasIntro && !m_introDone ? m_intro : m_main;
}

std::uint32_t TOggStreamSound::Decode(OggVorbis_File& decoder, std::uint8_t* out, std::uint32_t n)
{
    std::uint32_t got = 0;
    int section = 0;
    while (got < n) {
        const long read = ov_read(&decoder, reinterpret_cast<char*>(out + got), static_cast<int>(n - got), 0, 2, 1,
                                  &section);
        // 0 is the end of the data, below 0 a hole or a damaged stream: the part stops there.
        if (read <= 0) {
            break;
        }
        got += static_cast<std::uint32_t>(std::min<long>(read, n - got));
    }
    return got;
}
