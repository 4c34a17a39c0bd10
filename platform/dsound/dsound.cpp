#include "platform/win32/com_object.h"
#include "platform/dsound/dsound.h"

#include <atomic>
#include <memory>
#include <new>

#include "platform/dsound/buffer.h"
#include "platform/dsound/mixer.h"
#include "platform/dsound/seams.h"
#include "platform/win32/window_internal.h"

// Our own interface ids; nothing stores them.
const IID IID_IDirectSoundBuffer = {0x51AD0001, 0x7C2E, 0x4F10, {0x9A, 0x31, 0x00, 0x00, 0x00, 0x00, 0x51, 0x01}};
const IID IID_IDirectSoundBuffer8 = {0x51AD0002, 0x7C2E, 0x4F10, {0x9A, 0x31, 0x00, 0x00, 0x00, 0x00, 0x51, 0x08}};
const IID IID_IDirectSoundNotify = {0x51AD0003, 0x7C2E, 0x4F10, {0x9A, 0x31, 0x00, 0x00, 0x00, 0x00, 0x51, 0x4E}};

namespace platform::dsound {

DirectSoundFaults g_faults;

}  // namespace platform::dsound

namespace {

using platform::dsound::SameGuid;

using platform::dsound::g_faults;

// What the device object and its primary buffers share (main thread only).
struct DeviceState {
    DWORD level = 0;
    // A fresh device's primary format: 22.05 kHz, 8 bits, stereo.
    WAVEFORMATEX primaryFormat{WAVE_FORMAT_PCM, 2, 22050, 44100, 2, 8, 0};
};

// The primary buffer only carries the output format; our output is always mixed at
// 44.1 kHz 16-bit stereo whatever it says.
class PrimaryBuffer final : public platform::ComObject<IDirectSoundBuffer> {
public:
    explicit PrimaryBuffer(std::shared_ptr<DeviceState> device) : device_(std::move(device)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (!SameGuid(riid, IID_IDirectSoundBuffer)) {
            return E_NOINTERFACE;
        }
        AddRef();
        *object = static_cast<IDirectSoundBuffer*>(this);
        return S_OK;
    }

    HRESULT SetFormat(LPCWAVEFORMATEX format) override
    {
        if (format == nullptr || !platform::dsound::IsPlayableFormat(*format) ||
            format->nAvgBytesPerSec != format->nSamplesPerSec * format->nBlockAlign) {
            return DSERR_BADFORMAT;
        }
        if (device_->level != DSSCL_PRIORITY) {
            return DSERR_PRIOLEVELNEEDED;
        }
        if (g_faults.primaryFormat) {
            return DSERR_GENERIC;
        }
        device_->primaryFormat = *format;
        device_->primaryFormat.cbSize = 0;
        return DS_OK;
    }

    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) override
    {
        if (format != nullptr) {
            if (sizeAllocated < WAVEFORMATEX_STORED_SIZE) {
                return DSERR_INVALIDPARAM;
            }
            *format = device_->primaryFormat;
        } else if (sizeWritten == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if (sizeWritten != nullptr) {
            *sizeWritten = WAVEFORMATEX_STORED_SIZE;
        }
        return DS_OK;
    }

    HRESULT GetCurrentPosition(DWORD*, DWORD*) override { return DSERR_INVALIDCALL; }
    HRESULT GetVolume(LONG*) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT GetPan(LONG*) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT GetFrequency(DWORD*) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT GetStatus(DWORD* status) override
    {
        if (status == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *status = 0;
        return DS_OK;
    }
    HRESULT Lock(DWORD, DWORD, LPVOID*, DWORD*, LPVOID*, DWORD*, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Play(DWORD, DWORD, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT SetVolume(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetPan(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetFrequency(DWORD) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT Stop() override { return DSERR_INVALIDCALL; }
    HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DSERR_INVALIDCALL; }

private:
    std::shared_ptr<DeviceState> device_;
};

class DirectSound final : public platform::ComObject<IDirectSound8> {
public:
    DirectSound() { platform::dsound::AcquireAudioDevice(); }
    ~DirectSound() override { platform::dsound::ReleaseAudioDevice(); }

    HRESULT QueryInterface(REFIID, void** object) override
    {
        if (object != nullptr) {
            *object = nullptr;
        }
        return E_NOINTERFACE;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, IUnknown* outer) override
    {
        if (desc == nullptr || buffer == nullptr || outer != nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *buffer = nullptr;
        if (state_->level == 0) {
            return DSERR_PRIOLEVELNEEDED;  // the level comes first
        }
        if ((desc->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0) {
            if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr) {
                return DSERR_INVALIDPARAM;
            }
            try {
                *buffer = new PrimaryBuffer(state_);
            } catch (const std::bad_alloc&) {
                return DSERR_OUTOFMEMORY;
            }
            return DS_OK;
        }
        if (g_faults.secondaryBuffer) {
            return DSERR_GENERIC;
        }
        return platform::dsound::CreateSecondaryBuffer(*desc, buffer);
    }

    HRESULT GetCaps(LPDSCAPS caps) override
    {
        if (caps == nullptr || caps->dwSize != sizeof(DSCAPS)) {
            return DSERR_INVALIDPARAM;
        }
        *caps = DSCAPS{};
        caps->dwSize = sizeof(DSCAPS);
        caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                        DSCAPS_EMULDRIVER;
        caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
        caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
        caps->dwPrimaryBuffers = 1;
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override
    {
        if (platform::SdlWindowOf(window) == nullptr || (level != DSSCL_NORMAL && level != DSSCL_PRIORITY)) {
            return DSERR_INVALIDPARAM;
        }
        if ((level == DSSCL_PRIORITY && g_faults.priorityLevel) || (level == DSSCL_NORMAL && g_faults.normalLevel)) {
            return DSERR_GENERIC;
        }
        state_->level = level;
        return DS_OK;
    }

private:
    std::shared_ptr<DeviceState> state_ = std::make_shared<DeviceState>();
};

}  // namespace

static_assert(sizeof(DSCAPS) == 96, "DSCAPS is 96 bytes");

HRESULT DirectSoundCreate8(const GUID* device, LPDIRECTSOUND8* directSound, IUnknown* outer)
{
    if (directSound == nullptr || device != nullptr || outer != nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    if (g_faults.create) {
        return DSERR_NODRIVER;
    }
    try {
        *directSound = new DirectSound;
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    return DS_OK;
}
