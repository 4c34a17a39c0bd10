// DirectSound 8 as the game uses it: a device, the primary buffer (format only), secondary
// buffers mixed in software and position notifications.
//
// Every secondary buffer is mixed into one 44.1 kHz 16-bit stereo stream that the SDL audio
// callback pulls. Play cursors advance only as the mixer is pulled: when no audio device opens,
// the game runs silent and its buffers stand still (playing, at the position they had).
#pragma once

#include "platform/win32/types.h"

// Wave formats.
#define WAVE_FORMAT_PCM 1

struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;
// The size of the format as stored in files and passed to GetFormat (no padding).
#define WAVEFORMATEX_STORED_SIZE 18

// Results.
#define DS_OK S_OK
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_NOINTERFACE E_NOINTERFACE
#define DSERR_GENERIC E_FAIL
#define DSERR_INVALIDCALL (static_cast<HRESULT>(0x88780032u))
#define DSERR_CONTROLUNAVAIL (static_cast<HRESULT>(0x8878001Eu))
#define DSERR_PRIOLEVELNEEDED (static_cast<HRESULT>(0x88780046u))
#define DSERR_BADFORMAT (static_cast<HRESULT>(0x88780064u))
#define DSERR_NODRIVER (static_cast<HRESULT>(0x88780078u))

// Cooperative levels.
#define DSSCL_NORMAL 0x00000001
#define DSSCL_PRIORITY 0x00000002

// Buffer capabilities (values as the game passes them).
#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_LOCSOFTWARE 0x00000008
#define DSBCAPS_CTRLFREQUENCY 0x00000020
#define DSBCAPS_CTRLPAN 0x00000040
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_CTRLPOSITIONNOTIFY 0x00000100
#define DSBCAPS_GLOBALFOCUS 0x00008000
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000

#define DSBPLAY_LOOPING 0x00000001
#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_LOOPING 0x00000004
#define DSBLOCK_ENTIREBUFFER 0x00000002

#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000
#define DSBFREQUENCY_ORIGINAL 0
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 200000
#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF

#define DSBPN_OFFSETSTOP 0xFFFFFFFFu

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
};
using LPCDSBUFFERDESC = const DSBUFFERDESC*;

// Device capabilities: 96 bytes, dwSize must say so.
struct DSCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwMinSecondarySampleRate;
    DWORD dwMaxSecondarySampleRate;
    DWORD dwPrimaryBuffers;
    DWORD dwReserved[19];
};
using LPDSCAPS = DSCAPS*;
#define DSCAPS_PRIMARYMONO 0x00000001
#define DSCAPS_PRIMARYSTEREO 0x00000002
#define DSCAPS_PRIMARY8BIT 0x00000004
#define DSCAPS_PRIMARY16BIT 0x00000008
#define DSCAPS_EMULDRIVER 0x00000020

struct DSBPOSITIONNOTIFY {
    DWORD dwOffset;
    HANDLE hEventNotify;
};
using LPCDSBPOSITIONNOTIFY = const DSBPOSITIONNOTIFY*;

struct IDirectSoundBuffer : IUnknown {
    virtual HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) = 0;
    virtual HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    virtual HRESULT GetFrequency(DWORD* frequency) = 0;
    virtual HRESULT GetStatus(DWORD* status) = 0;
    virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audio1, DWORD* bytes1, LPVOID* audio2, DWORD* bytes2,
                         DWORD flags) = 0;
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
    virtual HRESULT SetVolume(LONG volume) = 0;
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(LPVOID audio1, DWORD bytes1, LPVOID audio2, DWORD bytes2) = 0;
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

struct IDirectSoundBuffer8 : IDirectSoundBuffer {};
using LPDIRECTSOUNDBUFFER8 = IDirectSoundBuffer8*;

struct IDirectSoundNotify : IUnknown {
    // Only while the buffer is stopped; offsets below the buffer size or DSBPN_OFFSETSTOP.
    virtual HRESULT SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY notifies) = 0;
};
using LPDIRECTSOUNDNOTIFY = IDirectSoundNotify*;

struct IDirectSound8 : IUnknown {
    virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, IUnknown* outer) = 0;
    virtual HRESULT GetCaps(LPDSCAPS caps) = 0;
    // Needs a live window; comes before any CreateSoundBuffer.
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
};
using LPDIRECTSOUND8 = IDirectSound8*;

extern const IID IID_IDirectSoundBuffer;
extern const IID IID_IDirectSoundBuffer8;
extern const IID IID_IDirectSoundNotify;

// device must be null (the default device); outer must be null.
HRESULT DirectSoundCreate8(const GUID* device, LPDIRECTSOUND8* directSound, IUnknown* outer);
