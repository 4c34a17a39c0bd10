// A character's weapon-state file (".wpm"): key poses of the two weapon frames and, for every
// motion, the key of each of its frames, so that the weapons can be placed at any motion time.
// Copies share the arrays.
#pragma once

#include <cstdint>
#include <string>

#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8math.h"

class TWeponState {
    friend struct TCharacterProbe;
public:
    struct Motion {
        TRefPtr<std::uint32_t[]> Keys;  // one key index per frame
        std::uint32_t KeyCount = 0;
    };

    TWeponState() = default;

    // Reads folder + name. A file that cannot be opened, whose counts run past its end or
    // whose motions name keys it does not hold, throws my_error with the name.
    void Load(const char* name);

    // The transform of the first or second weapon frame at the motion time: rotation, then
    // translation, blended between the keys of the two frames around the time. Times past
    // the last frame hold it; a motion outside the file, or without frames, gives identity.
    void GetFirstMatrix(D3DXMATRIX& out, std::int32_t motion, float time) const;
    void GetSecondMatrix(D3DXMATRIX& out, std::int32_t motion, float time) const;

    static void SetDirectory(const std::string& folder) { s_folder = folder; }

private:
    void GetMatrix(D3DXMATRIX& out, std::int32_t motion, float time, const TRefPtr<D3DXVECTOR3[]>& positions,
                   const TRefPtr<D3DXQUATERNION[]>& rotations) const;

    std::uint32_t m_keyCount = 0;
    TRefPtr<D3DXVECTOR3[]> m_firstPositions;
    TRefPtr<D3DXQUATERNION[]> m_firstRotations;
    TRefPtr<D3DXVECTOR3[]> m_secondPositions;
    TRefPtr<D3DXQUATERNION[]> m_secondRotations;
    std::uint32_t m_motionCount = 0;
    TRefPtr<Motion[]> m_motions;

    static inline std::string s_folder;
};
