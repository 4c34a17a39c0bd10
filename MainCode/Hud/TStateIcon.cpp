#include "MainCode/Hud/TStateIcon.h"

#include <cmath>

#include "dx/dx8/3d/TMesh8.h"

namespace {

constexpr float kDegree = 0.017453292F;
constexpr float kRadius = 0.6F;
constexpr float kRise = 2.0F;

}  // namespace

TStateIcon::TStateIcon(const std::string& meshName, std::int32_t index)
    : m_frame(new TFrame("StateContent", IdentityMatrix(), nullptr)), m_index(index), m_state(&TStateIcon::StateIdle)
{
    m_move.Set(0.0F, 0.0F, 0, 0);
    m_fade.Set(0.0F, 1.0F, kFadeSteps, 0);
    TMesh8 mesh = TMesh8::Load(meshName);
    mesh.SetEmissiveAlpha(0.0F, TMesh8::kAllMaterials);
    // Turned to face the other way and made small, once.
    D3DXMATRIX turn;
    D3DXMATRIX scale;
    D3DXMATRIX m;
    D3DXMatrixRotationY(&turn, 3.1415927F);
    D3DXMatrixScaling(&scale, 0.4F, 0.4F, 0.4F);
    D3DXMatrixMultiply(&m, &turn, &scale);
    mesh.Transform(&m);
    m_frame->AddMesh(mesh);
}

TStateIcon::~TStateIcon() { m_frame->Detach(); }

D3DXVECTOR3 TStateIcon::SlotPosition(std::int32_t n, std::int32_t j)
{
    if (n == 1) {
        return D3DXVECTOR3(0.0F, 0.0F, 0.0F);
    }
    const float a = 360.0F / static_cast<float>(n) * static_cast<float>(j) * kDegree;
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, a);
    const D3DXVECTOR3 out(0.0F, 0.0F, kRadius);
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, &out, &turn);
    return p;
}

D3DXVECTOR3 TStateIcon::Position() const
{
    D3DXVECTOR3 p;
    m_frame->GetPosition(&p);
    return p;
}

bool TStateIcon::Step(TFrame* parent, TFrame* camera)
{
    const bool result = (this->*m_state)();
    if (parent != nullptr && camera != nullptr) {
        m_frame->LookAtFrame(parent, camera, TFrame::kLookAim);
    }
    return result;
}

void TStateIcon::StartMove(const D3DXVECTOR3& start, const D3DXVECTOR3& target)
{
    m_move.Set(0.0F, 1.0F, kMoveSteps, 0);
    m_start = start;
    m_target = target;
}

void TStateIcon::Show(const TRefPtr<TFrame>& root, std::int32_t n, std::int32_t j)
{
    m_state = &TStateIcon::StateMoving;
    root->AddChild(m_frame);
    StartMove(n > 1 ? D3DXVECTOR3(0.0F, 0.0F, 0.0F) : Position(), SlotPosition(n, j));
}

void TStateIcon::Relayout(std::int32_t n, std::int32_t j)
{
    m_state = &TStateIcon::StateMoving;
    StartMove(Position(), SlotPosition(n, j));
}

void TStateIcon::StartLeaving()
{
    if (!IsShown() || IsLeaving()) {
        return;
    }
    m_state = &TStateIcon::StateLeaving;
    const D3DXVECTOR3 start = Position();
    StartMove(start, start + D3DXVECTOR3(0.0F, kRise, 0.0F));
}

void TStateIcon::PlaceOnPath()
{
    m_frame->SetPosition(m_start + (m_target - m_start) * m_move.value);
    m_frame->SetEmissiveAlpha(m_fade.value, false, false);
}

bool TStateIcon::StateIdle() { return true; }

bool TStateIcon::StateMoving()
{
    PlaceOnPath();
    m_fade.Advance();
    if (!m_move.Advance()) {
        m_state = &TStateIcon::StateShown;
    }
    return true;
}

bool TStateIcon::StateShown()
{
    m_fade.Advance();
    m_frame->SetEmissiveAlpha(m_fade.value, false, false);
    return true;
}

bool TStateIcon::StateLeaving()
{
    PlaceOnPath();
    const bool faded = m_fade.AtStart();
    m_fade.Retreat();
    if (!m_move.AtEnd()) {
        m_move.Advance();
        return true;
    }
    if (!faded) {
        return true;
    }
    m_frame->Detach();
    m_frame->SetMatrix(IdentityMatrix());
    m_state = &TStateIcon::StateIdle;
    return false;
}
