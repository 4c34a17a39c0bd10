#include "MainCode/Character/Subset/TWeponState.h"

#include <vector>

#include "TCommon/TByteReader.h"
#include "TCommon/FileFailure.h"
#include "TCommon/my_error.h"

namespace {

const char* const kSourceFile = "MainCode/Character/Subset/TWeponState";
constexpr std::uint32_t kKeyBytes = 56;

bool ReadVector(TByteReader& in, D3DXVECTOR3& v)
{
    return in.F32(v.x) && in.F32(v.y) && in.F32(v.z);
}

bool ReadQuaternion(TByteReader& in, D3DXQUATERNION& q)
{
    return in.F32(q.x) && in.F32(q.y) && in.F32(q.z) && in.F32(q.w);
}

}  // namespace

void TWeponState::Load(const char* name)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(s_folder + name, bytes)) {
        throw my_error(FileFailureText(name), kSourceFile, 25);
    }
    TByteReader in(bytes.data(), bytes.size());
    std::uint32_t header = 0;
    std::uint32_t keys = 0;
    if (!in.U32(header) || !in.U32(keys) || !in.Fits(keys, kKeyBytes)) {
        throw my_error(name, kSourceFile, __LINE__);
    }
    TRefPtr<D3DXVECTOR3[]> firstPositions(new D3DXVECTOR3[keys]);
    TRefPtr<D3DXQUATERNION[]> firstRotations(new D3DXQUATERNION[keys]);
    TRefPtr<D3DXVECTOR3[]> secondPositions(new D3DXVECTOR3[keys]);
    TRefPtr<D3DXQUATERNION[]> secondRotations(new D3DXQUATERNION[keys]);
    for (std::uint32_t k = 0; k < keys; ++k) {
        ReadVector(in, firstPositions[k]);
        ReadQuaternion(in, firstRotations[k]);
        ReadVector(in, secondPositions[k]);
        ReadQuaternion(in, secondRotations[k]);
    }
    std::uint32_t motionCount = 0;
    if (!in.U32(motionCount) || !in.Fits(motionCount, 4)) {
        throw my_error(name, kSourceFile, __LINE__);
    }
    TRefPtr<Motion[]> motions(new Motion[motionCount]);
    for (std::uint32_t m = 0; m < motionCount; ++m) {
        Motion& motion = motions[m];
        if (!in.U32(motion.KeyCount) || !in.Fits(motion.KeyCount, 4)) {
            throw my_error(name, kSourceFile, __LINE__);
        }
        motion.Keys = TRefPtr<std::uint32_t[]>(new std::uint32_t[motion.KeyCount]);
        for (std::uint32_t f = 0; f < motion.KeyCount; ++f) {
            in.U32(motion.Keys[f]);
            // Key indices are used to index the pose arrays every frame.
            if (motion.Keys[f] >= keys) {
                throw my_error(name, kSourceFile, __LINE__);
            }
        }
    }
    m_keyCount = keys;
    m_firstPositions = firstPositions;
    m_firstRotations = firstRotations;
    m_secondPositions = secondPositions;
    m_secondRotations = secondRotations;
    m_motionCount = motionCount;
    m_motions = motions;
}

void TWeponState::GetFirstMatrix(D3DXMATRIX& out, std::int32_t motion, float time) const
{
    GetMatrix(out, motion, time, m_firstPositions, m_firstRotations);
}

void TWeponState::GetSecondMatrix(D3DXMATRIX& out, std::int32_t motion, float time) const
{
    GetMatrix(out, motion, time, m_secondPositions, m_secondRotations);
}

void TWeponState::GetMatrix(D3DXMATRIX& out, std::int32_t motion, float time, const TRefPtr<D3DXVECTOR3[]>& positions,
                            const TRefPtr<D3DXQUATERNION[]>& rotations) const
{
    const std::uint32_t m = static_cast<std::uint32_t>(motion);
    if (m >= m_motionCount || m_motions[m].KeyCount == 0) {
        D3DXMatrixIdentity(&out);
        return;
    }
    const Motion& entry = m_motions[m];
    const std::uint32_t frames = entry.KeyCount;
    std::uint32_t i0 = 0;
    std::uint32_t i1 = 0;
    float f = 0.0f;
    if (time >= static_cast<float>(frames)) {
        i0 = i1 = frames - 1;  // the last frame holds
    } else if (time > 0.0f) {  // time 0, below it and NaN take key 0 as it is
        i0 = static_cast<std::uint32_t>(time);
        i1 = i0 + 1 == frames ? i0 : i0 + 1;
        f = time - static_cast<float>(i0);
    }
    const std::uint32_t k0 = entry.Keys[i0];
    const std::uint32_t k1 = entry.Keys[i1];
    D3DXVECTOR3 position = positions[k0];
    D3DXQUATERNION rotation = rotations[k0];
    if (k0 != k1) {
        position.x = positions[k0].x + (positions[k1].x - positions[k0].x) * f;
        position.y = positions[k0].y + (positions[k1].y - positions[k0].y) * f;
        position.z = positions[k0].z + (positions[k1].z - positions[k0].z) * f;
        D3DXQuaternionSlerp(&rotation, &rotations[k0], &rotations[k1], f);
    }
    D3DXMATRIX rotate;
    D3DXMATRIX translate;
    D3DXMatrixRotationQuaternion(&rotate, &rotation);
    D3DXMatrixTranslation(&translate, position.x, position.y, position.z);
    D3DXMatrixMultiply(&out, &rotate, &translate);
}
