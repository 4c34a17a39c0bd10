#include "MainCode/Effect/TArrowEffect.h"

TArrowEffect::TArrowEffect(std::uint32_t frames) : TEffect(TRefPtr<TFrame>()), m_framesLeft(frames)
{
    m_frame = NewFrame("arrow");
    TMesh8 mesh = LoadMesh("arw00.msh");
    mesh.SetName("arrow");
    m_frame->AddMesh(mesh);
}

TArrowEffect::TArrowEffect(const TArrowEffect& other) : TEffect(TRefPtr<TFrame>()), m_framesLeft(other.m_framesLeft)
{
    m_frame = NewFrame("arrow");
    // Vertex data of its own, so no clone writes through to the prototype.
    if (other.m_frame.Get() != nullptr && other.m_frame->GetMeshCount() > 0) {
        m_frame->AddMesh(other.m_frame->GetMesh(0)->CloneMirrored(0));
    }
}

bool TArrowEffect::Update()
{
    --m_framesLeft;
    if (m_framesLeft == 0) {
        m_alive = false;
    }
    return m_alive;
}
