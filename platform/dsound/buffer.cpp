#include "platform/dsound/buffer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "platform/dsound/mixer.h"
#include "platform/win32/sync.h"

namespace platform::dsound {

namespace {

class SoundBuffer final : public IDirectSoundBuffer8, public IDirectSoundNotify {
public:
    SoundBuffer(DWORD flags, const WAVEFORMATEX& format, std::vector<std::uint8_t> data)
        : flags_(flags), format_(format)
    {
        voice_.bytes = static_cast<DWORD>(data.size());
        voice_.data = std::move(data);
        voice_.channels = format.nChannels;
        voice_.bits = format.wBitsPerSample;
        voice_.blockAlign = format.nBlockAlign;
        voice_.frames = voice_.bytes / format.nBlockAlign;
        voice_.originalRate = format.nSamplesPerSec;
        voice_.frequency = format.nSamplesPerSec;
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        Mixer::Get().Add(&voice_);
    }

    ~SoundBuffer() override
    {
        std::unique_lock<std::mutex> guard(Mixer::Get().Lock());
        Mixer::Get().Remove(&voice_, guard);
    }

    // IUnknown (both bases share one count).
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (SameGuid(riid, IID_IDirectSoundBuffer) || SameGuid(riid, IID_IDirectSoundBuffer8)) {
            *object = static_cast<IDirectSoundBuffer8*>(this);
        } else if (SameGuid(riid, IID_IDirectSoundNotify) && (flags_ & DSBCAPS_CTRLPOSITIONNOTIFY) != 0) {
            *object = static_cast<IDirectSoundNotify*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override
    {
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        const DWORD play = static_cast<DWORD>(voice_.position >> 32) * voice_.blockAlign;
        if (playCursor != nullptr) {
            *playCursor = play;
        }
        if (writeCursor != nullptr) {
            // The write cursor leads by about 10 ms while playing, like a real device.
            DWORD lead = 0;
            if (voice_.playing) {
                lead = std::min<DWORD>(voice_.frequency / 100, voice_.frames - 1) * voice_.blockAlign;
            }
            *writeCursor = (play + lead) % (voice_.frames * voice_.blockAlign);
        }
        return DS_OK;
    }

    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) override
    {
        if (format == nullptr) {
            if (sizeWritten == nullptr) {
                return DSERR_INVALIDPARAM;
            }
            *sizeWritten = WAVEFORMATEX_STORED_SIZE;
            return DS_OK;
        }
        if (sizeAllocated < WAVEFORMATEX_STORED_SIZE) {
            return DSERR_INVALIDPARAM;
        }
        *format = format_;
        if (sizeWritten != nullptr) {
            *sizeWritten = WAVEFORMATEX_STORED_SIZE;
        }
        return DS_OK;
    }

    HRESULT GetVolume(LONG* volume) override
    {
        return Read(DSBCAPS_CTRLVOLUME, volume, [this] { return voice_.volume; });
    }
    HRESULT GetPan(LONG* pan) override
    {
        return Read(DSBCAPS_CTRLPAN, pan, [this] { return voice_.pan; });
    }
    HRESULT GetFrequency(DWORD* frequency) override
    {
        return Read(DSBCAPS_CTRLFREQUENCY, frequency, [this] { return voice_.frequency; });
    }

    HRESULT GetStatus(DWORD* status) override
    {
        if (status == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        *status = 0;
        if (voice_.playing) {
            *status = DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0);
        }
        return DS_OK;
    }

    // The caller gets the buffer's own memory, in two regions when the lock runs past the end.
    // The mixer lock is held only to note the region: the mixer plays silence there until Unlock.
    // Only when a pull being mixed reads some of those bytes does the lock wait for it to end.
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audio1, DWORD* bytes1, LPVOID* audio2, DWORD* bytes2,
                 DWORD flags) override
    {
        const DWORD size = voice_.bytes;
        if ((flags & DSBLOCK_ENTIREBUFFER) != 0) {
            bytes = size;
        }
        if (audio1 == nullptr || bytes1 == nullptr || offset >= size || bytes == 0 || bytes > size) {
            return DSERR_INVALIDPARAM;
        }
        const DWORD first = std::min(bytes, size - offset);
        const DWORD second = bytes - first;
        if (second > 0 && (audio2 == nullptr || bytes2 == nullptr)) {
            return DSERR_INVALIDPARAM;
        }
        {
            const LockedRegion region{offset, first, second};
            std::unique_lock<std::mutex> guard(Mixer::Get().Lock());
            Mixer::Get().WaitUntilUnread(voice_, region, guard);
            if (voice_.lockCount == Voice::kMaxLocks) {
                return DSERR_INVALIDCALL;
            }
            voice_.locks[static_cast<std::size_t>(voice_.lockCount++)] = region;
        }
        std::uint8_t* data = voice_.data.data();
        *audio1 = data + offset;
        *bytes1 = first;
        if (audio2 != nullptr) {
            *audio2 = second > 0 ? data : nullptr;
        }
        if (bytes2 != nullptr) {
            *bytes2 = second;
        }
        return DS_OK;
    }

    // The pointers must be the ones a Lock handed out; the sizes may be less (what was written).
    HRESULT Unlock(LPVOID audio1, DWORD bytes1, LPVOID audio2, DWORD bytes2) override
    {
        const std::uint8_t* data = voice_.data.data();
        const auto* p1 = static_cast<const std::uint8_t*>(audio1);
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        for (int i = 0; i < voice_.lockCount; ++i) {
            const LockedRegion& r = voice_.locks[static_cast<std::size_t>(i)];
            const bool matches = p1 == data + r.offset && bytes1 <= r.bytes &&
                                 (audio2 == nullptr || (audio2 == data && r.wrapped > 0 && bytes2 <= r.wrapped));
            if (matches) {
                voice_.locks[static_cast<std::size_t>(i)] = voice_.locks[static_cast<std::size_t>(--voice_.lockCount)];
                return DS_OK;
            }
        }
        return DSERR_INVALIDPARAM;
    }

    HRESULT Play(DWORD reserved, DWORD, DWORD flags) override
    {
        if (reserved != 0) {
            return DSERR_INVALIDPARAM;
        }
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        // Played again while playing: only the loop flag changes, the position stays.
        ++voice_.playSerial;
        voice_.playing = true;
        voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
        return DS_OK;
    }

    HRESULT SetCurrentPosition(DWORD position) override
    {
        if (position >= voice_.bytes) {
            return DSERR_INVALIDPARAM;
        }
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        voice_.position = static_cast<std::uint64_t>(std::min(position / voice_.blockAlign, voice_.frames - 1))
                          << 32;
        ++voice_.positionSerial;
        return DS_OK;
    }

    HRESULT SetFormat(LPCWAVEFORMATEX) override { return DSERR_INVALIDCALL; }

    HRESULT SetVolume(LONG volume) override
    {
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) {
            return DSERR_INVALIDPARAM;
        }
        return Write(DSBCAPS_CTRLVOLUME, [&] {
            voice_.volume = volume;
            voice_.UpdateGains();
        });
    }

    HRESULT SetPan(LONG pan) override
    {
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) {
            return DSERR_INVALIDPARAM;
        }
        return Write(DSBCAPS_CTRLPAN, [&] {
            voice_.pan = pan;
            voice_.UpdateGains();
        });
    }

    HRESULT SetFrequency(DWORD frequency) override
    {
        if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX)) {
            return DSERR_INVALIDPARAM;
        }
        return Write(DSBCAPS_CTRLFREQUENCY, [&] {
            voice_.frequency = frequency == DSBFREQUENCY_ORIGINAL ? voice_.originalRate : frequency;
        });
    }

    HRESULT Stop() override
    {
        std::vector<HANDLE> stopped;
        {
            std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
            if (voice_.playing) {
                stopped = voice_.stopEvents;
            }
            voice_.playing = false;
            ++voice_.playSerial;
        }
        for (HANDLE event : stopped) {
            SetEvent(event);
        }
        return DS_OK;
    }

    // IDirectSoundNotify
    HRESULT SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY notifies) override
    {
        if (count > 0 && notifies == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        std::vector<Notification> positions;
        std::vector<HANDLE> stopEvents;
        for (DWORD i = 0; i < count; ++i) {
            if (notifies[i].dwOffset == DSBPN_OFFSETSTOP) {
                stopEvents.push_back(notifies[i].hEventNotify);
            } else if (notifies[i].dwOffset < voice_.bytes) {
                positions.push_back({notifies[i].dwOffset / voice_.blockAlign, notifies[i].hEventNotify});
            } else {
                return DSERR_INVALIDPARAM;
            }
        }
        std::stable_sort(positions.begin(), positions.end(),
                         [](const Notification& a, const Notification& b) { return a.frame < b.frame; });
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        if (voice_.playing) {
            return DSERR_INVALIDCALL;
        }
        voice_.notifications = std::move(positions);
        voice_.stopEvents = std::move(stopEvents);
        return DS_OK;
    }

private:
    template <typename T, typename Get>
    HRESULT Read(DWORD control, T* out, Get get)
    {
        if (out == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if ((flags_ & control) == 0) {
            return DSERR_CONTROLUNAVAIL;
        }
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        *out = get();
        return DS_OK;
    }

    template <typename Set>
    HRESULT Write(DWORD control, Set set)
    {
        if ((flags_ & control) == 0) {
            return DSERR_CONTROLUNAVAIL;
        }
        std::lock_guard<std::mutex> guard(Mixer::Get().Lock());
        set();
        return DS_OK;
    }

    std::atomic<ULONG> refs_{1};
    const DWORD flags_;
    const WAVEFORMATEX format_;
    Voice voice_;
};

}  // namespace

bool IsPlayableFormat(const WAVEFORMATEX& format)
{
    return format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
           (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
           format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8 &&
           format.nSamplesPerSec >= DSBFREQUENCY_MIN && format.nSamplesPerSec <= DSBFREQUENCY_MAX;
}

HRESULT CreateSecondaryBuffer(const DSBUFFERDESC& desc, LPDIRECTSOUNDBUFFER* buffer)
{
    if (desc.lpwfxFormat == nullptr || !IsPlayableFormat(*desc.lpwfxFormat)) {
        return DSERR_BADFORMAT;
    }
    const WAVEFORMATEX& format = *desc.lpwfxFormat;
    if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX ||
        desc.dwBufferBytes < format.nBlockAlign) {
        return DSERR_INVALIDPARAM;
    }
    try {
        std::vector<std::uint8_t> data(desc.dwBufferBytes, format.wBitsPerSample == 8 ? 0x80 : 0x00);
        *buffer = static_cast<IDirectSoundBuffer8*>(new SoundBuffer(desc.dwFlags, format, std::move(data)));
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    return DS_OK;
}

bool SameGuid(const GUID& a, const GUID& b)
{
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::equal(std::begin(a.Data4), std::end(a.Data4), std::begin(b.Data4));
}

}  // namespace platform::dsound
