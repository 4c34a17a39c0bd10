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
    friend struct TDxProbe;

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

    std::mutex m_lock;
    std::string m_key;
    bool m_hasIntro;
    bool m_introDone;
    HANDLE m_stopEvent;
    HANDLE m_events[kChunkCount + 1];  // the quarters' notifications, then the stop event
    HANDLE m_thread;
    HANDLE m_runEvent;
    std::uint16_t m_bitsPerSample;
    std::uint32_t m_mainLength;
    std::uint32_t m_introLength;
    std::uint32_t m_remaining;
    std::uint32_t m_partLength;
    // Quarters are numbered in the order they were filled since the last rewind, so that a
    // notification left over from before a rewind is recognised and nothing is filled twice.
    std::uint64_t m_quarterSequence[kChunkCount];
    std::uint64_t m_nextSequence;
    // The first quarter holding nothing of a one-shot track that has ended; playback stops
    // when the cursor reaches it.
    std::uint64_t m_endSequence;
    unsigned m_threadId;
    // Rewound and not played since: the first quarter may still be filled again.
    bool m_atStart;
    TComPtr<IDirectSoundNotify> m_notify;
    std::unique_ptr<TFile> m_introFile;
    std::unique_ptr<TFile> m_mainFile;
    OggVorbis_File m_intro;
    OggVorbis_File m_main;
    bool m_introOpen;
    bool m_mainOpen;
};
