// Key-frame tracks of the frame file: rotation, scale and translation keys, evaluated into a
// matrix. A frame holds one set of tracks per animation and evaluates the selected one into its pose.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8math.h"

class TByteReader;

class TAnimTrack {
public:
    virtual ~TAnimTrack() = 0;
    // Into the track's own matrix, valid until its next evaluation.
    virtual const D3DXMATRIX* Evaluate(float time) = 0;

    std::uint32_t GetKeyCount() const { return static_cast<std::uint32_t>(m_times.size()); }
    // False when the file ended inside the record.
    bool WasRead() const { return m_read; }

protected:
    TAnimTrack() = default;
    // Reads the key count and the key times once the file is seen to hold them and valueSize
    // bytes a key after them; false otherwise (nothing is kept then).
    bool ReadKeyTimes(TByteReader& in, std::uint32_t valueSize);
    // The keys on either side of the time and how far it lies between them. At and after the last
    // key the first key is taken, as the animations were made with.
    void FindKeys(float time, std::uint32_t* prev, std::uint32_t* next, float* s) const;

    std::vector<std::uint32_t> m_times;
    D3DXMATRIX m_cache;
    bool m_read = false;
};

// Keys of one value type: read from the file, found around a time and blended by each kind.
template <typename Value>
class TKeyTrack : public TAnimTrack {
protected:
    // Reads the record from its key count on; WasRead tells whether the file held all of it.
    explicit TKeyTrack(TByteReader& in);
    // The values of the keys around the time, and how far the time lies from the first to the second.
    void Sample(float time, const Value** a, const Value** b, float* s) const;

    std::vector<Value> m_values;
};

class TRotationTrack : public TKeyTrack<D3DXQUATERNION> {
public:
    explicit TRotationTrack(TByteReader& in) : TKeyTrack(in) {}
    const D3DXMATRIX* Evaluate(float time) override;
};

// Scale and translation keys, blended linearly.
class TVectorTrack : public TKeyTrack<D3DXVECTOR3> {
protected:
    explicit TVectorTrack(TByteReader& in) : TKeyTrack(in) {}
    D3DXVECTOR3 Blend(float time) const;
};

class TScaleTrack : public TVectorTrack {
public:
    explicit TScaleTrack(TByteReader& in) : TVectorTrack(in) {}
    const D3DXMATRIX* Evaluate(float time) override;
};

class TTranslationTrack : public TVectorTrack {
public:
    explicit TTranslationTrack(TByteReader& in) : TVectorTrack(in) {}
    const D3DXMATRIX* Evaluate(float time) override;
};

class TAnimTrackSet {
    friend struct TDxProbe;

public:
    enum Kind : std::uint32_t { kRotation = 0, kScale = 1, kTranslation = 2 };

    // One set record. A record cut short keeps the tracks read whole before the cut.
    static TRefPtr<TAnimTrackSet> Load(TByteReader& in);

    // Scale, then rotation, then translation; without a translation track the local position.
    D3DXMATRIX* Evaluate(D3DXMATRIX* out, float time, const D3DXMATRIX* local) const;


private:
    std::unique_ptr<TRotationTrack> m_rotation;
    std::unique_ptr<TScaleTrack> m_scale;
    std::unique_ptr<TTranslationTrack> m_translation;
};
