#include "MainCode/Map/TMeshHandle.h"

#include "TCommon/TIdPool.h"

namespace {

TIdPool<std::uint32_t>& ObjectIds()
{
    static TIdPool<std::uint32_t> pool;
    return pool;
}

constexpr float kHalfTurn = 3.14159274F;
const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);

}  // namespace

std::uint32_t TMeshHandle::AllocateObjectId()
{
    return ObjectIds().Allocate();
}

void TMeshHandle::ReleaseObjectId(std::uint32_t id)
{
    ObjectIds().Release(id);
}

TMeshHandle::TMeshHandle(std::uint32_t relatedId) : m_relatedId(relatedId), m_objectId(AllocateObjectId()) {}

TMeshHandle::~TMeshHandle()
{
    ReleaseObjectId(m_objectId);
}

D3DXVECTOR3* TMeshHandle::GetPosition(D3DXVECTOR3* out) const
{
    return m_frame->GetPosition(out);
}

void TMeshHandle::SetPosition(const D3DXVECTOR3& p)
{
    m_frame->SetPosition(p);
}

void TMeshHandle::Move(float dx, float dy, float dz)
{
    m_frame->AddPosition(dx, dy, dz);
}

D3DXVECTOR3* TMeshHandle::GetRight(D3DXVECTOR3* out) const
{
    m_frame->GetAxis(out, 1);
    D3DXVec3Normalize(out, out);
    *out = -*out;
    return out;
}

D3DXVECTOR3* TMeshHandle::GetFront(D3DXVECTOR3* out) const
{
    m_frame->GetAxis(out, 3);
    D3DXVec3Normalize(out, out);
    *out = -*out;
    return out;
}

const TFrame* TMeshHandle::ReferenceOr(const TFrame* given) const
{
    if (given != nullptr) {
        return given;
    }
    // Before it is attached a handle has no reference; its own axes serve.
    return m_referenceFrame != nullptr ? m_referenceFrame : m_frame.Get();
}

void TMeshHandle::LookAt(const TMeshHandle& other, const TFrame* reference, int mode)
{
    m_frame->LookAtFrame(ReferenceOr(reference), other.m_frame.Get(), mode);
    // LookAtFrame aims +Z; the model's front is -Z.
    m_frame->RotateAxis(kUp, kHalfTurn, true);
}

template <typename Snap>
std::uint32_t TMeshHandle::TurnStep(const TFrame* target, const Snap& snap)
{
    D3DXVECTOR3 rel;
    if (!target->GetPositionRelativeTo(m_frame.Get(), &rel)) {
        snap();
        return 1;
    }
    const std::uint32_t side = rel.x <= 0.0F ? 1 : 0;
    m_frame->RotateAxis(kUp, 0.01745329F * rel.x * -10.0F, true);
    if (!target->GetPositionRelativeTo(m_frame.Get(), &rel)) {
        snap();
        return 1;
    }
    const std::uint32_t newSide = rel.x <= 0.0F ? 1 : 0;
    if (newSide != side) {
        snap();
    }
    return newSide;
}

std::uint32_t TMeshHandle::TurnToward(const TMeshHandle& other)
{
    return TurnStep(other.m_frame.Get(), [&] { LookAt(other, m_referenceFrame, TFrame::kLookUpright); });
}

std::uint32_t TMeshHandle::TurnTowardFrame(const TFrame* target)
{
    return TurnStep(target, [&] {
        m_frame->LookAtFrame(ReferenceOr(m_referenceFrame), target, TFrame::kLookUpright);
        m_frame->RotateAxis(kUp, kHalfTurn, true);
    });
}
