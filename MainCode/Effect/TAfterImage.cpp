#include "MainCode/Effect/TAfterImage.h"

#include <cfloat>

#include "MainCode/Character/TArmedCharacter.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TVertexShader.h"

namespace {

constexpr const char* kRibbonFile = "effect/sword01.msh";
constexpr const char* kName = "AftImg";
constexpr const char* kEndName = "AftImgEnd";
constexpr std::int32_t kRampSteps = TAfterImage::kFadeFrames;
// Edges 1 to 3 lie on a cubic from edge 0 to edge 6 whose two inner control points are both
// edge 3: C(t) = (1 - t)^3 E0 + 3 t (1 - t) E3 + t^3 E6, at t = 1/6, 1/3 and 1/2.
constexpr std::uint32_t kSmoothSpan = 6;
constexpr float kSmoothWeights[3][3] = {
    {125.0F / 216.0F, 30.0F / 216.0F, 1.0F / 216.0F},
    {64.0F / 216.0F, 48.0F / 216.0F, 8.0F / 216.0F},
    {27.0F / 216.0F, 54.0F / 216.0F, 27.0F / 216.0F},
};

TRefPtr<TFrame> IdentityFrame(const char* name)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return TRefPtr<TFrame>(new TFrame(name, identity, nullptr));
}

D3DXVECTOR3 PositionOf(const TRibbonVertex& v) { return D3DXVECTOR3(v.x, v.y, v.z); }

void SetPosition(TRibbonVertex& v, const D3DXVECTOR3& p)
{
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
}

void Restart(TFloatRamp& ramp) { ramp.Set(ramp.from, ramp.to, ramp.steps, 0); }

}  // namespace

std::unique_ptr<TAfterImage> TAfterImage::Create(TFrame* follow, TArmedCharacter* owner)
{
    return std::unique_ptr<TAfterImage>(new TAfterImage(follow, owner));
}

TAfterImage::TAfterImage(TFrame* follow, TArmedCharacter* owner)
    : m_owner(owner), m_follow(follow), m_frame(IdentityFrame(kName))
{
    TMesh8 mesh = TMesh8::Load(kRibbonFile);
    const std::uint16_t vertexCount = mesh.GetVertexCount();
    const std::uint32_t edges = vertexCount / 6u + 1u;
    CheckRibbonMesh(mesh, TMesh8::GetDirectory() + kRibbonFile, edges);
    m_edges = BuildRibbonRows(edges, vertexCount);
    // The texture runs along the ribbon in even steps from edge to edge.
    auto* v = static_cast<TRibbonVertex*>(mesh.LockVertices(0));
    const float step = 1.0F / static_cast<float>(edges);
    for (std::uint32_t e = 0; e < edges; ++e) {
        for (std::uint16_t index : m_edges[e]) {
            v[index].v = step * static_cast<float>(e);
        }
    }
    mesh.UnlockVertices(0, false);
    WriteSequentialIndices(mesh);
    mesh.SetName(kName);
    mesh.SetEmissive(1.0F, 1.0F, 1.0F, 1.0F, TMesh8::kAllMaterials);
    m_frame->AddMesh(mesh);
    m_mesh = m_frame->FindMesh(kName, false);
    m_mesh->SetVertexShader(TRefPtr<TVertexShader>(new TConstantColorShader()));

    m_endFrame = IdentityFrame(kEndName);
    m_endFrame->Translate(0.0F, 0.0F, -m_length, true);
    if (m_follow != nullptr) {
        m_follow->AddChild(m_endFrame);
    }

    // Bounds over all of space: the ribbon moves every frame and must never be culled.
    v = static_cast<TRibbonVertex*>(m_mesh->LockVertices(0));
    SetPosition(v[0], D3DXVECTOR3(FLT_MAX, FLT_MAX, FLT_MAX));
    SetPosition(v[1], D3DXVECTOR3(-FLT_MAX, -FLT_MAX, -FLT_MAX));
    m_mesh->UnlockVertices(0, true);
    m_mesh->UpdateBounds();
    v = static_cast<TRibbonVertex*>(m_mesh->LockVertices(0));
    SetPosition(v[0], D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    SetPosition(v[1], D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    m_mesh->UnlockVertices(0, false);
}

TAfterImage::~TAfterImage()
{
    m_endFrame->Detach();
    m_frame->Detach();
}

void TAfterImage::SetRamp(float length, float red, float green, float blue, std::uint32_t kind)
{
    if (kind < 7) {
        m_mode = TMeshMaterial::kAdd;
    }
    if (m_mode == TMeshMaterial::kZwnAlphaNotCull || m_mode == TMeshMaterial::kMul) {
        m_red.Set(red, red, kRampSteps, 0);
        m_green.Set(green, green, kRampSteps, 0);
        m_blue.Set(blue, blue, kRampSteps, 0);
        m_alpha.Set(1.0F, 0.0F, kRampSteps, 0);
    } else if (m_mode == TMeshMaterial::kAdd) {
        m_red.Set(red, 0.0F, kRampSteps, 0);
        m_green.Set(green, 0.0F, kRampSteps, 0);
        m_blue.Set(blue, 0.0F, kRampSteps, 0);
        m_alpha.Set(1.0F, 1.0F, kRampSteps, 0);
    }
    m_length = length;
    m_endFrame->SetPosition(D3DXVECTOR3(0.0F, 0.0F, -length));
}

void TAfterImage::Update()
{
    const bool query = m_owner != nullptr && m_owner->IsSpecialActionState();
    const bool justEnded = m_lastQuery && !query;
    if (justEnded || static_cast<std::uint32_t>(m_fadeCounter) <= static_cast<std::uint32_t>(kFadeFrames)) {
        if (m_fadeCounter == kNotFading) {
            Restart(m_red);
            Restart(m_green);
            Restart(m_blue);
            Restart(m_alpha);
            m_fadeCounter = kFadeFrames;
        } else {
            m_red.Step();
            m_green.Step();
            m_blue.Step();
            m_alpha.Step();
            m_mesh->SetEmissive(m_red.value, m_green.value, m_blue.value, m_alpha.value, TMesh8::kAllMaterials);
            if (--m_fadeCounter == 0) {
                m_fadeCounter = kNotFading;
                m_mesh->SetMaterialType(TMeshMaterial::kHide, TMesh8::kAllMaterials);
            }
        }
        TrailStep(false);
    }
    if (query) {
        m_fadeCounter = kNotFading;
        TrailStep(true);
    }
    m_lastQuery = query;
}

void TAfterImage::SetEdge(TRibbonVertex* v, std::uint32_t e, const D3DXVECTOR3& nearEnd, const D3DXVECTOR3& farEnd)
{
    const TRibbonRow& row = m_edges[e];
    for (int k = 0; k < 6; ++k) {
        SetPosition(v[row[static_cast<std::size_t>(k)]], k < 3 ? nearEnd : farEnd);
    }
}

void TAfterImage::Smooth(TRibbonVertex* v)
{
    if (m_edges.size() <= kSmoothSpan) {
        return;
    }
    const TRibbonRow& e0 = m_edges[0];
    const TRibbonRow& e3 = m_edges[kSmoothSpan / 2];
    const TRibbonRow& e6 = m_edges[kSmoothSpan];
    // From the positions before any of them changes.
    const D3DXVECTOR3 ends[3][2] = {
        {PositionOf(v[e0[0]]), PositionOf(v[e0[3]])},
        {PositionOf(v[e3[0]]) * 3.0F, PositionOf(v[e3[3]]) * 3.0F},
        {PositionOf(v[e6[0]]), PositionOf(v[e6[3]])},
    };
    for (std::uint32_t e = 1; e <= 3; ++e) {
        const float* w = kSmoothWeights[e - 1];
        SetEdge(v, e, ends[0][0] * w[0] + ends[1][0] * w[1] + ends[2][0] * w[2],
                ends[0][1] * w[0] + ends[1][1] * w[1] + ends[2][1] * w[2]);
    }
}

void TAfterImage::TrailStep(bool restart)
{
    D3DXVECTOR3 nearEnd(0.0F, 0.0F, 0.0F);
    D3DXVECTOR3 farEnd(0.0F, 0.0F, 0.0F);
    if (m_follow != nullptr) {
        m_follow->GetWorldPosition(&nearEnd);
    }
    m_endFrame->GetWorldPosition(&farEnd);
    auto* v = static_cast<TRibbonVertex*>(m_mesh->LockVertices(0));
    if (!m_lastQuery && restart) {
        // The trail starts: the whole ribbon collapses onto the weapon edge.
        for (std::uint16_t i = 0; i < m_mesh->GetVertexCount(); ++i) {
            SetPosition(v[i], (i & 1u) == 0 ? nearEnd : farEnd);
        }
        m_mesh->SetMaterialType(static_cast<std::uint16_t>(m_mode), TMesh8::kAllMaterials);
        m_mesh->SetEmissive(m_red.from, m_green.from, m_blue.from, m_alpha.from, TMesh8::kAllMaterials);
    } else {
        for (std::uint32_t e = static_cast<std::uint32_t>(m_edges.size()) - 1; e > 0; --e) {
            SetEdge(v, e, PositionOf(v[m_edges[e - 1][0]]), PositionOf(v[m_edges[e - 1][3]]));
        }
        SetEdge(v, 0, nearEnd, farEnd);
        Smooth(v);
    }
    m_mesh->UnlockVertices(0, false);
}

void TAfterImage::Attach(TFrame* parent)
{
    m_lastQuery = false;
    m_mesh->SetMaterialType(TMeshMaterial::kHide, TMesh8::kAllMaterials);
    parent->AddChild(m_frame);
}

void TAfterImage::Detach()
{
    m_lastQuery = false;
    m_mesh->SetMaterialType(TMeshMaterial::kHide, TMesh8::kAllMaterials);
    m_frame->Detach();
}
