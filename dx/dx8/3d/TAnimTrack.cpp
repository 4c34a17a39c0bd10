#include "dx/dx8/3d/TAnimTrack.h"

#include "TCommon/TByteReader.h"

TAnimTrack::~TAnimTrack() = default;

bool TAnimTrack::ReadKeyTimes(TByteReader& in, std::uint32_t valueSize)
{
    std::uint32_t n = 0;
    // The count comes from the file: it must fit in what is left before anything is allocated.
    if (!in.U32(n) || !in.Fits(n, 4 + std::uint64_t{valueSize})) {
        return false;
    }
    m_times.resize(n);
    for (std::uint32_t& t : m_times) {
        if (!in.U32(t)) {
            m_times.clear();
            return false;
        }
    }
    return true;
}

void TAnimTrack::FindKeys(float time, std::uint32_t* prev, std::uint32_t* next, float* s) const
{
    const std::uint32_t n = GetKeyCount();
    const float first = static_cast<float>(m_times[0]);
    const float last = static_cast<float>(m_times[n - 1]);
    float t = time;
    if (t > last) {
        t = last;
    } else if (t < first) {
        t = first;
    }
    std::uint32_t i = 0;
    while (i < n && !(static_cast<float>(m_times[i]) > t)) {
        ++i;
    }
    if (i == n) {
        *prev = 0;
        *next = 0;
    } else {
        *next = i;
        *prev = i == 0 ? 0 : i - 1;
    }
    const float t0 = static_cast<float>(m_times[*prev]);
    const float d = static_cast<float>(m_times[*next]) - t0;
    *s = d == 0.0F ? 0.0F : (t - t0) / d;
}

namespace {

// Floats a key's value takes in the file.
template <typename Value>
constexpr int kValueFloats = 3;
template <>
constexpr int kValueFloats<D3DXQUATERNION> = 4;

}  // namespace

template <typename Value>
TKeyTrack<Value>::TKeyTrack(TByteReader& in)
{
    constexpr int floats = kValueFloats<Value>;
    m_read = ReadKeyTimes(in, 4 * floats);
    if (!m_read) {
        return;
    }
    m_values.resize(m_times.size());
    for (Value& v : m_values) {
        float f[floats];
        if (!in.F32s(f, floats)) {
            m_read = false;
            m_times.clear();
            m_values.clear();
            return;
        }
        v = Value(f);
    }
}

template <typename Value>
void TKeyTrack<Value>::Sample(float time, const Value** a, const Value** b, float* s) const
{
    std::uint32_t prev = 0;
    std::uint32_t next = 0;
    FindKeys(time, &prev, &next, s);
    *a = &m_values[prev];
    *b = &m_values[next];
}

template class TKeyTrack<D3DXQUATERNION>;
template class TKeyTrack<D3DXVECTOR3>;

const D3DXMATRIX* TRotationTrack::Evaluate(float time)
{
    const D3DXQUATERNION* a = nullptr;
    const D3DXQUATERNION* b = nullptr;
    float s = 0.0F;
    Sample(time, &a, &b, &s);
    // The keys are stored as the conjugate of the rotation they stand for.
    const D3DXQUATERNION q0(-a->x, -a->y, -a->z, a->w);
    const D3DXQUATERNION q1(-b->x, -b->y, -b->z, b->w);
    D3DXQUATERNION q;
    D3DXQuaternionSlerp(&q, &q0, &q1, s);
    D3DXMatrixRotationQuaternion(&m_cache, &q);
    return &m_cache;
}

D3DXVECTOR3 TVectorTrack::Blend(float time) const
{
    const D3DXVECTOR3* a = nullptr;
    const D3DXVECTOR3* b = nullptr;
    float s = 0.0F;
    Sample(time, &a, &b, &s);
    return D3DXVECTOR3(a->x + (b->x - a->x) * s, a->y + (b->y - a->y) * s, a->z + (b->z - a->z) * s);
}

const D3DXMATRIX* TScaleTrack::Evaluate(float time)
{
    const D3DXVECTOR3 v = Blend(time);
    D3DXMatrixScaling(&m_cache, v.x, v.y, v.z);
    return &m_cache;
}

const D3DXMATRIX* TTranslationTrack::Evaluate(float time)
{
    const D3DXVECTOR3 v = Blend(time);
    D3DXMatrixTranslation(&m_cache, v.x, v.y, v.z);
    return &m_cache;
}

namespace {

// A track read whole takes its slot, replacing an earlier one of its kind; a track with no key
// cannot be evaluated and leaves the slot empty. False when the file ended inside the record.
template <typename Track>
bool ReadIntoSlot(TByteReader& in, std::unique_ptr<Track>& slot)
{
    auto track = std::make_unique<Track>(in);
    if (!track->WasRead()) {
        return false;
    }
    if (track->GetKeyCount() == 0) {
        slot.reset();
    } else {
        slot = std::move(track);
    }
    return true;
}

}  // namespace

TRefPtr<TAnimTrackSet> TAnimTrackSet::Load(TByteReader& in)
{
    TRefPtr<TAnimTrackSet> set(new TAnimTrackSet);
    std::uint32_t count = 0;
    if (!in.U32(count)) {
        return set;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t kind = 0;
        if (!in.U32(kind)) {
            break;
        }
        bool read = true;
        switch (kind) {
        case kRotation:
            read = ReadIntoSlot(in, set->m_rotation);
            break;
        case kScale:
            read = ReadIntoSlot(in, set->m_scale);
            break;
        case kTranslation:
            read = ReadIntoSlot(in, set->m_translation);
            break;
        default:
            break;  // an unknown kind has nothing more to read
        }
        if (!read) {
            break;
        }
    }
    return set;
}

D3DXMATRIX* TAnimTrackSet::Evaluate(D3DXMATRIX* out, float time, const D3DXMATRIX* local) const
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    if (m_scale) {
        D3DXMatrixMultiply(&m, &m, m_scale->Evaluate(time));
    }
    if (m_rotation) {
        D3DXMatrixMultiply(&m, &m, m_rotation->Evaluate(time));
    }
    if (m_translation) {
        D3DXMatrixMultiply(&m, &m, m_translation->Evaluate(time));
    } else {
        D3DXMATRIX t;
        D3DXMatrixTranslation(&t, local->_41, local->_42, local->_43);
        D3DXMatrixMultiply(&m, &m, &t);
    }
    *out = m;
    return out;
}
