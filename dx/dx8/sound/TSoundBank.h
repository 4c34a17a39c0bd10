// One numbered collection of sounds (0 sound effects, 1 voices, 2 music): sound ids mapped to
// file names by a sound table, loaded on first use and counted, played by id.
//
// Sounds whose count drops to 0 stay loaded until PurgeUnused.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/sound/TStreamSound.h"

class TDSound8;

class TSoundBank {
    friend struct TDxProbe;

public:
    // Reads the table; a table that cannot be read leaves the bank without names.
    TSoundBank(const std::string& tablePath, const std::string& packagePrefix, std::uint32_t bankId,
               TDSound8* owner, std::int32_t minVolume, std::int32_t maxVolume);
    ~TSoundBank() = default;
    TSoundBank(const TSoundBank&) = delete;
    TSoundBank& operator=(const TSoundBank&) = delete;

    // Declares one more use of the id, loading its sound the first time.
    void Load(std::uint32_t id);
    // One use fewer (never below 0); the sound stays until PurgeUnused.
    void Unload(std::uint32_t id);

    // These do nothing for an id without a loaded sound.
    void Play(std::uint32_t id);      // from the start, loop flag as it was
    void PlayLoop(std::uint32_t id);  // from the start, looping
    void Stop(std::uint32_t id);      // and rewind
    std::int32_t GetLength(std::uint32_t id);  // ms, -1 without a sound

    // A shared copy of the id's holder; an unknown id gets an empty entry and an empty holder.
    TRefPtr<TStreamSound> Get(std::uint32_t id);

    void SetVolumeAll(std::int32_t volume);
    // Clamped into -10000..0; the new ceiling of every held sound.
    void SetMaxVolume(std::int32_t volume);
    std::int32_t GetMaxVolume() const { return m_maxVolume; }
    std::int32_t GetMinVolume() const { return m_minVolume; }

    // The smallest id whose file name is exactly name; -1 if none.
    std::int32_t FindId(const std::string& name) const;

    // Drops the sounds whose count is 0 and that nobody else holds, in id order.
    void PurgeUnused();

    // Whether a sound is held for the id.
    bool IsLoaded(std::uint32_t id) const;

private:
    struct Use {
        std::uint32_t count = 0;
        TRefPtr<TStreamSound> sound;
    };

    // The id's sound, or null.
    TStreamSound* SoundOf(std::uint32_t id) const;

    std::map<std::uint32_t, std::string> m_names;
    std::map<std::uint32_t, Use> m_uses;
    std::string m_packagePrefix;
    std::uint32_t m_bankId;
    std::int32_t m_minVolume;
    std::int32_t m_maxVolume;
    TDSound8* m_owner;
};
