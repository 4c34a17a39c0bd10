// Streamed Ogg Vorbis music: a file in the music folder decoded into a 256 KiB looping sound
// buffer, refilled a quarter (64 KiB) at a time by a worker thread woken by the buffer's
// position notifications. When "_" + the track's name exists beside it, that file plays once
// first (the intro) and the track proper follows, looping when the loop flag is set.
//
// The worker lives from construction to destruction and sleeps on the run event while the
// music is stopped. Everything the worker and the main thread both touch (decoders, part
// counters, the buffer's contents) is guarded by one lock.
#pragma once

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/sound/TBufferedSound.h"
#include "platform/dsound/dsound.h"

class TFile;

class TOggStreamSound : public TBufferedSound {
public:
    static constexpr std::uint32_t kBufferSize = 0x40000;
    static constexpr std::uint32_t kChunkSize = 0x10000;
    static constexpr std::uint32_t kChunkCount = 4;

    // name: the file name in the music folder, ending in ".ogg". A track that cannot be
    // opened or played leaves the sound silent in state 2, without worker and with no error.
    TOggStreamSound(const std::string& name, std::uint32_t bankId, TDSound8* owner);
    // Stops the worker and waits for it to end.
    ~TOggStreamSound() override;

    void Play() override;
    // With rewind the next Play starts from the intro (or the track's start).
    void Stop(bool rewind) override;
    // Takes effect at the next end of the track.
    void SetLoop(bool loop) override;
    // Back to the start; playing on if it was playing.
    void Rewind() override;

    const std::string& GetKey() const { return key_; }
    bool HasIntro() const { return hasIntro_; }

private:
    static constexpr std::uint64_t kNoSequence = ~std::uint64_t{0};

    bool Open();
    bool OpenDecoder(const std::string& path, std::unique_ptr<TFile>& file, OggVorbis_File& decoder,
                     bool& opened, std::uint32_t& length);
    void Release();

    static unsigned StreamThread(void* self);
    void RunWorker();
    // The worker's end other than by the stop event.
    void Abandon();

    // The rest need the lock.
    void PlayLocked();
    void StopLocked(bool rewind);
    void ResetParts();
    // Back to the start of the stream with the first quarter filled; the cursor is not moved.
    void Restart();
    void OnNotification(std::uint32_t index);
    // Refills one quarter with the next stretch of the stream.
    void FillQuarter(std::uint32_t quarter);
    void FillBytes(std::uint8_t* out, std::uint32_t size, std::uint64_t sequence);
    OggVorbis_File& Current();
    // Bytes decoded into out, at most n; fewer when the part runs dry.
    std::uint32_t Decode(OggVorbis_File& decoder, std::uint8_t* out, std::uint32_t n);

    std::mutex lock_;
    std::string key_;
    bool hasIntro_;
    bool introDone_;
    HANDLE stopEvent_;
    HANDLE events_[kChunkCount + 1];  // the quarters' notifications, then the stop event
    HANDLE thread_;
    HANDLE runEvent_;
    std::uint16_t bitsPerSample_;
    std::uint32_t mainLength_;
    std::uint32_t introLength_;
    std::uint32_t remaining_;
    std::uint32_t partLength_;
    // Quarters are numbered in the order they were filled since the last rewind, so that a
    // notification left over from before a rewind is recognised and nothing is filled twice.
    std::uint64_t quarterSequence_[kChunkCount];
    std::uint64_t nextSequence_;
    // The first quarter holding nothing of a one-shot track that has ended; playback stops
    // when the cursor reaches it.
    std::uint64_t endSequence_;
    unsigned threadId_;
    // Rewound and not played since: the first quarter may still be filled again.
    bool atStart_;
    TComPtr<IDirectSoundNotify> notify_;
    std::unique_ptr<TFile> introFile_;
    std::unique_ptr<TFile> mainFile_;
    OggVorbis_File intro_;
    OggVorbis_File main_;
    bool introOpen_;
    bool mainOpen_;
};
