// One wave of a ".pse" package, copied whole into a static sound buffer.
//
// Package layout (little-endian): u32 entry count; per entry a u32 name length, the name with
// its NUL and the u32 offset of the wave record; a wave record is the 18-byte wave format, a
// u32 data size and the sample data.
#pragma once

#include <string>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/sound/TBufferedSound.h"
#include "platform/dsound/dsound.h"

class TPseSound : public TBufferedSound {
public:
    // key: package name + "/" + wave name, e.g. "se.pse/" + name (the wave name may hold "/").
    // A wave that cannot be loaded leaves the sound silent in state 2, with no error.
    TPseSound(const std::string& key, std::uint32_t bankId, TDSound8* owner);
    ~TPseSound() override;

    void Play() override;
    void Stop(bool rewind) override;
    // Takes effect at once while playing, keeping the position.
    void SetLoop(bool loop) override;
    void Rewind() override;

private:
    bool Load();

    std::string m_key;
};
