// The process-wide DirectSound core: the device, the primary format, the sound folders, the
// sound factory and the banks by id (0 sound effects, 1 voices, 2 music).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"
#include "dx/dx8/sound/TStreamSound.h"
#include "platform/dsound/dsound.h"

class TDSound8 {
    friend struct TDxProbe;

public:
    // Made on the first call (null if that fails), destroyed at process exit.
    static TDSound8* Instance();

    virtual ~TDSound8();
    TDSound8(const TDSound8&) = delete;
    TDSound8& operator=(const TDSound8&) = delete;

    // Creates the device, asks for 44.1 kHz 16-bit stereo output and makes the silent buffer.
    // Throws my_error when the device or a cooperative level cannot be had; true otherwise.
    bool Init(HWND window);
    // Releases the banks (and so their sounds), the silent buffer and the device.
    void Uninit();

    // The folders are set before the core exists, so they belong to the class (one core anyway).
    static void SetMusicFolder(const std::string& folder) { s_musicFolder = folder; }
    static std::string& GetMusicFolder() { return s_musicFolder; }
    static void SetSeFolder(const std::string& folder) { s_seFolder = folder; }
    static std::string& GetSeFolder() { return s_seFolder; }

    // A sound for the path by its kind: ".ogg" music, ".pse" package waves; otherwise an empty holder.
    TRefPtr<TStreamSound> CreateSound(const std::string& path, std::uint32_t bankId);
    // A fader for sound (see TSoundFader); an empty holder gives a fader that does nothing.
    TRefPtr<TSoundFader> CreateFader(TRefPtr<TStreamSound> sound, bool fadeIn, float endLevel, std::int32_t steps);

    // Builds a bank from a sound table and stores it under bankId, replacing the one there.
    void CreateBank(const std::string& tablePath, const std::string& packagePrefix, std::uint32_t bankId,
                    std::int32_t minVolume, std::int32_t maxVolume);
    // Null for an id without bank.
    TSoundBank* GetBank(std::uint32_t bankId);
    // Drops every bank's sounds that nobody uses any more, banks in id order.
    void PurgeUnused();

    // Null before Init and after Uninit.
    IDirectSound8* GetDevice() const { return m_device.Get(); }

private:
    TDSound8();
    bool SetPrimaryFormat();
    void CreateSilentBuffer();

    TComPtr<IDirectSound8> m_device;
    TComPtr<IDirectSoundBuffer8> m_silent;
    static inline std::string s_musicFolder;
    static inline std::string s_seFolder;
    DSCAPS m_caps;
    bool m_capsValid;
    bool m_initialised;
    WAVEFORMATEX m_primaryFormat;
    std::map<std::uint32_t, TRefPtr<TSoundBank>> m_banks;
};
