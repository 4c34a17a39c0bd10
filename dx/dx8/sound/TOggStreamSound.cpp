#include "dx/dx8/sound/TOggStreamSound.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "TCommon/TFile.h"
#include "dx/dx8/sound/TDSound8.h"
#include "platform/win32/sync.h"

namespace {

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
    : TBufferedSound(bankId, owner), key_(name), hasIntro_(false), introDone_(false), stopEvent_(nullptr),
      events_{}, thread_(nullptr), runEvent_(nullptr), bitsPerSample_(kBits), mainLength_(0), introLength_(0),
      remaining_(0), partLength_(0), quarterSequence_{}, nextSequence_(0), endSequence_(kNoSequence),
      threadId_(0), atStart_(false), intro_{}, main_{}, introOpen_(false), mainOpen_(false)
{
    std::fill(std::begin(quarterSequence_), std::end(quarterSequence_), kNoSequence);
    if (!Open()) {
        Release();
        state_ = kNotLoaded;
    }
}

TOggStreamSound::~TOggStreamSound()
{
    if (thread_ != nullptr) {
        buffer_->Stop();
        SetEvent(stopEvent_);
        SetEvent(runEvent_);  // a stopped worker sleeps on it
        // The worker looks at the stop event after every wake and never waits on the lock for
        // long, so it always comes back: wait for it rather than leave it running on a dead object.
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    Release();
}

bool TOggStreamSound::Open()
{
    if (owner_ == nullptr || owner_->GetDevice() == nullptr) {
        return false;
    }
    const std::size_t dot = key_.rfind('.');
    if (dot == std::string::npos || key_.compare(dot, std::string::npos, ".ogg") != 0) {
        return false;
    }
    const std::string& folder = owner_->GetMusicFolder();
    const std::string mainPath = folder + key_;
    const std::string introPath = folder + "_" + key_;
    hasIntro_ = TFile(introPath).Open(true, GENERIC_READ);

    if (!OpenDecoder(mainPath, mainFile_, main_, mainOpen_, mainLength_)) {
        return false;
    }
    remaining_ = partLength_ = mainLength_;
    if (hasIntro_) {
        if (!OpenDecoder(introPath, introFile_, intro_, introOpen_, introLength_)) {
            return false;
        }
        remaining_ = partLength_ = introLength_;
    }

    const vorbis_info* info = ov_info(&main_, -1);
    if (info == nullptr || info->channels < 1 || info->channels > 8 || info->rate < 1 || info->rate > 1000000) {
        return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(info->channels);
    format.nSamplesPerSec = static_cast<DWORD>(info->rate);
    format.wBitsPerSample = bitsPerSample_;
    format.nBlockAlign = static_cast<WORD>(2 * info->channels);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;

    if (!CreateBuffer(format, DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLPOSITIONNOTIFY |
                                  DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_LOCSOFTWARE,
                      kBufferSize)) {
        return false;
    }
    IDirectSoundNotify* notify = nullptr;
    if (FAILED(buffer_->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify))) ||
        notify == nullptr) {
        return false;
    }
    notify_ = TComPtr<IDirectSoundNotify>(notify);

    stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    runEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (stopEvent_ == nullptr || runEvent_ == nullptr) {
        return false;
    }
    DSBPOSITIONNOTIFY positions[kChunkCount];
    for (std::uint32_t i = 0; i < kChunkCount; ++i) {
        events_[i] = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (events_[i] == nullptr) {
            return false;
        }
        positions[i] = {kChunkSize * i, events_[i]};
    }
    events_[kChunkCount] = stopEvent_;
    if (FAILED(notify_->SetNotificationPositions(kChunkCount, positions))) {
        return false;
    }

    {
        std::lock_guard<std::mutex> guard(lock_);
        FillQuarter(0);
        atStart_ = true;
    }
    const double ms = (static_cast<double>(introLength_) + mainLength_) / format.nAvgBytesPerSec * 1000.0;
    length_ = static_cast<std::int32_t>(std::min(ms, static_cast<double>(std::numeric_limits<std::int32_t>::max())));

    state_ = kStopped;
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, StreamThread, this, 0, &threadId_));
    if (thread_ == nullptr) {
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
    if (introOpen_) {
        ov_clear(&intro_);
        introOpen_ = false;
    }
    if (mainOpen_) {
        ov_clear(&main_);
        mainOpen_ = false;
    }
    introFile_.reset();
    mainFile_.reset();
    CloseEvent(stopEvent_);
    CloseEvent(runEvent_);
    for (std::uint32_t i = 0; i < kChunkCount; ++i) {
        CloseEvent(events_[i]);
    }
    events_[kChunkCount] = nullptr;
    notify_ = TComPtr<IDirectSoundNotify>();
    buffer_ = TComPtr<IDirectSoundBuffer8>();
}

unsigned TOggStreamSound::StreamThread(void* self)
{
    auto* sound = static_cast<TOggStreamSound*>(self);
    try {
        sound->RunWorker();
    } catch (...) {
        sound->Abandon();
    }
    return 0;
}

void TOggStreamSound::RunWorker()
{
    while (WaitForSingleObject(stopEvent_, 0) == WAIT_TIMEOUT) {
        if (WaitForSingleObject(runEvent_, INFINITE) != WAIT_OBJECT_0) {
            Abandon();
            return;
        }
        const DWORD index = WaitForMultipleObjects(kChunkCount + 1, events_, FALSE, INFINITE);
        if (index == kChunkCount || WaitForSingleObject(stopEvent_, 0) != WAIT_TIMEOUT) {
            return;  // shutting down
        }
        if (index > kChunkCount) {
            Abandon();  // a failed wait is never taken for a quarter
            return;
        }
        std::lock_guard<std::mutex> guard(lock_);
        OnNotification(index);
    }
}

// Without its worker nothing refills the ring: stop rather than repeat it over and over.
void TOggStreamSound::Abandon()
{
    std::lock_guard<std::mutex> guard(lock_);
    StopLocked(false);
}

void TOggStreamSound::Play()
{
    std::lock_guard<std::mutex> guard(lock_);
    PlayLocked();
}

void TOggStreamSound::PlayLocked()
{
    if (buffer_.Get() == nullptr) {
        return;
    }
    state_ = kPlaying;
    atStart_ = false;
    SetEvent(runEvent_);
    // The ring always loops; the track's own loop flag works in the refills.
    buffer_->Play(0, 0, DSBPLAY_LOOPING);
}

void TOggStreamSound::Stop(bool rewind)
{
    std::lock_guard<std::mutex> guard(lock_);
    StopLocked(rewind);
}

void TOggStreamSound::StopLocked(bool rewind)
{
    if (buffer_.Get() == nullptr) {
        return;
    }
    state_ = kStopped;
    ResetEvent(runEvent_);
    buffer_->Stop();
    if (!rewind) {
        return;
    }
    buffer_->SetCurrentPosition(0);
    Restart();
}

void TOggStreamSound::Restart()
{
    ResetParts();
    ov_pcm_seek(&Current(), 0);
    // Whatever the quarters held and a pending end belong to the pass before.
    std::fill(std::begin(quarterSequence_), std::end(quarterSequence_), kNoSequence);
    nextSequence_ = 0;
    endSequence_ = kNoSequence;
    FillQuarter(0);
    atStart_ = true;
}

void TOggStreamSound::SetLoop(bool loop)
{
    std::lock_guard<std::mutex> guard(lock_);
    const bool changed = loop_ != loop;
    loop_ = loop;
    // The first quarter is filled ahead when the stream is rewound; a track so short that its
    // end already lies in it must be filled again, or the new flag would miss its first end.
    if (changed && atStart_ && buffer_.Get() != nullptr) {
        Restart();
    }
}

void TOggStreamSound::Rewind()
{
    std::lock_guard<std::mutex> guard(lock_);
    if (buffer_.Get() == nullptr) {
        return;
    }
    const bool playing = state_ == kPlaying;
    StopLocked(true);
    if (playing) {
        PlayLocked();
    }
}

void TOggStreamSound::ResetParts()
{
    remaining_ = partLength_ = mainLength_;
    if (hasIntro_) {
        introDone_ = false;
        remaining_ = partLength_ = introLength_;
    }
}

// The play cursor has reached the start of quarter index: refill the quarter after it, or stop
// when it is the first quarter past the end of a one-shot track.
void TOggStreamSound::OnNotification(std::uint32_t index)
{
    const std::uint64_t here = quarterSequence_[index];
    if (here == kNoSequence) {
        return;  // raised before the last rewind
    }
    if (endSequence_ != kNoSequence && here >= endSequence_) {
        StopLocked(true);
        return;
    }
    const std::uint32_t next = (index + 1) % kChunkCount;
    if (quarterSequence_[next] != kNoSequence && quarterSequence_[next] > here) {
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
    if (FAILED(buffer_->Lock(quarter * kChunkSize, kChunkSize, &audio1, &bytes1, &audio2, &bytes2, 0))) {
        return;
    }
    const std::uint64_t sequence = nextSequence_++;
    quarterSequence_[quarter] = sequence;
    FillBytes(static_cast<std::uint8_t*>(audio1), bytes1, sequence);
    buffer_->Unlock(audio1, bytes1, audio2, bytes2);
}

void TOggStreamSound::FillBytes(std::uint8_t* out, std::uint32_t size, std::uint64_t sequence)
{
    std::uint32_t pos = 0;
    bool mainRestarted = false;  // the main part began again within this quarter
    std::uint32_t passBytes = 0;
    while (pos < size && endSequence_ == kNoSequence) {
        if (remaining_ > 0) {
            const std::uint32_t n = std::min(remaining_, size - pos);
            const std::uint32_t got = Decode(Current(), out + pos, n);
            pos += got;
            passBytes += got;
            // A part that yields less than it announced (damaged, or mono) ends where it ran dry.
            remaining_ = got < n ? 0 : remaining_ - got;
            continue;
        }
        if (hasIntro_ && !introDone_) {
            introDone_ = true;
            remaining_ = partLength_ = mainLength_;
            ov_pcm_seek(&main_, 0);
            mainRestarted = true;
            passBytes = 0;
            continue;
        }
        // The end of the track proper.
        ov_pcm_seek(&Current(), 0);
        remaining_ = partLength_;
        // A pass that gave nothing at all would repeat forever: it ends like a one-shot track.
        const bool nothing = mainRestarted && passBytes == 0;
        if (!loop_ || nothing) {
            // The cursor must first play out the last bytes, so playback ends at the quarter
            // after this one unless this one has none of the track.
            endSequence_ = pos == 0 ? sequence : sequence + 1;
            break;
        }
        mainRestarted = true;
        passBytes = 0;
    }
    std::memset(out + pos, bitsPerSample_ == 8 ? 0x80 : 0x00, size - pos);
}

OggVorbis_File& TOggStreamSound::Current()
{
    return hasIntro_ && !introDone_ ? intro_ : main_;
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
