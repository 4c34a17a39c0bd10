#include "MainCode/Effect/TSmashEffect.h"

#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Character/TGameObject.h"
#include "MainCode/Effect/EffectPlacement.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "dx/dx8/3d/TMeshMaterial.h"

namespace {

const char* const kMeshName = "smash_obj";
const char* const kRootName = "smash_root";

// Direction times speed; a zero direction (a degenerate triangle) stays zero.
void SetVelocity(TSmashPiece& piece, const D3DXVECTOR3& direction, float speed)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &direction);
    piece.velocity[0] = n.x * speed;
    piece.velocity[1] = n.y * speed;
    piece.velocity[2] = n.z * speed;
}

// Half of a draw, negative when its own lowest bit is clear.
float RandomComponent()
{
    const std::uint32_t r = genrand_int32() >> 1;
    const auto value = static_cast<float>(r);
    return (r & 1u) == 0 ? -value : value;
}

// Only an armed character can be held; any other object (or none) never is.
bool IsHeld(TGameObject* object)
{
    auto* character = dynamic_cast<TArmedCharacter*>(object);
    return character != nullptr && character->IsHeld();
}

D3DXVECTOR3 Corner(const float* vertices, std::uint32_t floatsPerVertex, std::uint16_t index)
{
    const float* v = vertices + static_cast<std::size_t>(index) * floatsPerVertex;
    return D3DXVECTOR3(v[0], v[1], v[2]);
}

}  // namespace

// ---- TSmashEffect ----

TSmashEffect::TSmashEffect(const std::string& meshName, std::uint32_t duration, std::uint32_t step, float speed,
                           float gravity, float fade, std::int32_t mode, bool alphaMode, const float meshScale[3])
    : TEffect(TRefPtr<TFrame>()),
      m_duration(duration),
      m_step(step),
      m_speed(speed),
      m_gravity(gravity),
      m_fade(fade),
      m_alphaMode(alphaMode)
{
    HangMesh(BuildPieces(meshName, mode));
    if (meshScale != nullptr && m_mesh != nullptr) {
        const float length =
            std::sqrt(meshScale[0] * meshScale[0] + meshScale[1] * meshScale[1] + meshScale[2] * meshScale[2]);
        if (length != 0.0F && length != 1.0F) {
            m_mesh->Scale(meshScale);
        }
    }
}

TSmashEffect::TSmashEffect(const TSmashEffect& other)
    : TEffect(TRefPtr<TFrame>()),
      m_duration(other.m_duration),
      m_step(other.m_step),
      m_speed(other.m_speed),
      m_gravity(other.m_gravity),
      m_fade(other.m_fade),
      m_pieceCount(other.m_pieceCount),
      m_pieces(other.m_pieces),
      m_alphaMode(other.m_alphaMode)
{
    if (other.m_mesh != nullptr) {
        HangMesh(other.m_mesh->CloneMirrored(0));
    } else {
        m_frame = NewFrame(kRootName);
    }
    if (m_duration == kPersist) {
        m_duration = 1;
        m_persist = true;
    }
}

TSmashEffect::~TSmashEffect() = default;

void TSmashEffect::HangMesh(const TMesh8& mesh)
{
    m_frame = NewFrame(kRootName);
    m_frame->AddMesh(mesh);
    m_mesh = m_frame->FindMesh(kMeshName, false);
}

TMesh8 TSmashEffect::BuildPieces(const std::string& meshName, std::int32_t mode)
{
    TMesh8 mesh = LoadMesh(meshName);
    const auto* vertices = static_cast<const float*>(mesh.LockVerticesReadOnly(0));
    const std::uint16_t* indices = mesh.LockIndicesReadOnly();
    const std::uint16_t n = mesh.GetFaceCount();
    const std::uint32_t floatsPerVertex = mesh.GetGeometry()->GetVertexSize() / sizeof(float);
    m_pieces.assign(n, TSmashPiece{});
    m_pieceCount = n;

    D3DXVECTOR3 centre(0.0F, 0.0F, 0.0F);
    if (mode == kOutward) {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        float sphere[5];
        mesh.GetBoundingSphere(sphere, &identity);
        centre = D3DXVECTOR3(sphere[0], sphere[1], sphere[2]);
    }
    for (std::uint16_t f = 0; f < n && vertices != nullptr && indices != nullptr; ++f) {
        TSmashPiece& piece = m_pieces[f];
        const std::uint16_t* tri = indices + static_cast<std::size_t>(f) * 3;
        for (int k = 0; k < 3; ++k) {
            piece.corner[k] = static_cast<float>(static_cast<std::uint32_t>(tri[k]) * floatsPerVertex);
        }
        const D3DXVECTOR3 p = Corner(vertices, floatsPerVertex, tri[0]);
        const D3DXVECTOR3 q = Corner(vertices, floatsPerVertex, tri[1]);
        const D3DXVECTOR3 r = Corner(vertices, floatsPerVertex, tri[2]);
        if (mode == kOutward) {
            SetVelocity(piece, (p + q + r) * (1.0F / 3.0F) - centre, m_speed);
        } else if (mode == kFaceNormal) {
            D3DXVECTOR3 normal;
            const D3DXVECTOR3 pq = p - q;
            const D3DXVECTOR3 pr = p - r;
            D3DXVec3Cross(&normal, &pq, &pr);
            SetVelocity(piece, normal, m_speed);
        } else if (mode == kRandom) {
            const float x = RandomComponent();
            const float y = RandomComponent();
            const float z = RandomComponent();
            SetVelocity(piece, D3DXVECTOR3(x, y, z), m_speed);
        }
    }
    mesh.UnlockIndices();
    mesh.UnlockVertices(0, false);
    mesh.SetName(kMeshName);
    return mesh;
}

void TSmashEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                        TFrame* parent, TAreaBase* area, const float* colour)
{
    TEffect::Init(serial, position, direction, parent, area, colour);
    m_area = area;
    m_effectManager = area != nullptr ? area->GetEffectManager() : nullptr;
}

void TSmashEffect::ApplyMaterial()
{
    if (m_mesh == nullptr) {
        return;
    }
    m_mesh->SetMaterialType(m_alphaMode ? TMeshMaterial::kAlphaNotCull : TMeshMaterial::kAdd, TMesh8::kAllMaterials);
    if (m_persist) {
        m_mesh->SetMaterialType(TMeshMaterial::kDestInverse, TMesh8::kAllMaterials);
    }
}

void TSmashEffect::SetScale(float x, float y, float z)
{
    if (m_frame.Get() != nullptr) {
        m_frame->Scale(x, y, z, true);
    }
}

void TSmashEffect::AddEndEffect(std::uint32_t id, const D3DXVECTOR3* offset, const D3DXVECTOR3* scale,
                                const float colour[4])
{
    m_endIds.push_back(id);
    m_endOffsets.push_back(offset != nullptr ? *offset : D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    m_endScales.push_back(scale != nullptr ? *scale : D3DXVECTOR3(1.0F, 1.0F, 1.0F));
    std::array<float, 4> c = {1.0F, 1.0F, 1.0F, 1.0F};
    if (colour != nullptr) {
        c = {colour[0], colour[1], colour[2], colour[3]};
    }
    m_endColours.push_back(c);
}

void TSmashEffect::RunPhase() { (this->*m_phase)(); }

bool TSmashEffect::Update()
{
    RunPhase();
    return m_alive;
}

void TSmashEffect::Wait()
{
    m_time += m_step;
    if (m_duration > m_time) {
        return;
    }
    m_phase = &TSmashEffect::Shatter;
    if (m_effectManager == nullptr) {
        return;
    }
    TFrame* frame = m_frame.Get();
    const D3DXVECTOR3 forward = FrameWorldAxis(frame, 3);
    TFrame* parent = frame != nullptr ? frame->GetParent() : nullptr;
    for (std::size_t k = 0; k < m_endIds.size(); ++k) {
        const D3DXVECTOR3 p = PointInFrameAxes(frame, m_endOffsets[k]);
        const float scale[3] = {m_endScales[k].x, m_endScales[k].y, m_endScales[k].z};
        m_effectManager->Create(m_endIds[k], &p, &forward, parent, m_area, m_endColours[k].data(), scale);
    }
}

void TSmashEffect::Shatter()
{
    if (m_mesh != nullptr) {
        auto* vertices = static_cast<float*>(m_mesh->LockVertices(0));
        m_fall += m_gravity;
        for (std::uint32_t i = 0; i < m_pieceCount && vertices != nullptr; ++i) {
            const TSmashPiece& piece = m_pieces[i];
            for (const float corner : piece.corner) {
                float* v = vertices + static_cast<std::size_t>(corner);
                v[0] += piece.velocity[0];
                v[1] += piece.velocity[1];
                v[2] += piece.velocity[2];
                v[1] -= m_fall;
            }
        }
        // Bounds follow the pieces so that the view does not cull them early.
        m_mesh->UnlockVertices(0, true);
    } else {
        m_fall += m_gravity;
    }

    // The break lasts until the first faded component is used up; a Kill meanwhile does not count.
    m_alive = true;
    for (int i = 0; i < 3; ++i) {
        m_colour[i] -= m_fade;
        if (m_colour[i] < 0.0F) {
            m_colour[i] = 0.0F;
            m_alive = false;
        }
    }
    m_colour[3] -= m_fade;
    if (m_alphaMode) {
        if (m_colour[3] < 0.0F) {
            m_colour[3] = 0.0F;
            m_alive = false;
        }
        if (!m_persist && m_mesh != nullptr) {
            m_mesh->SetEmissiveAlpha(m_colour[3], TMesh8::kAllMaterials);
        }
    } else if (!m_persist && m_mesh != nullptr) {
        m_mesh->SetEmissiveRGB(m_colour[0], m_colour[1], m_colour[2], TMesh8::kAllMaterials);
    }
}

// ---- TMeshEffect ----

TMeshEffect::TMeshEffect(const std::string& meshName, std::uint32_t sound, std::uint32_t duration, std::uint32_t step,
                         float speed, float gravity, float fade, std::int32_t mode, bool alphaMode,
                         std::uint16_t hitEvent, const D3DXVECTOR3* hitOffset, const float meshScale[3])
    : TSmashEffect(meshName, duration, step, speed, gravity, fade, mode, alphaMode, meshScale),
      m_sound(sound),
      m_hitEvent(hitEvent),
      m_hitOffset(hitOffset != nullptr ? *hitOffset : D3DXVECTOR3(0.0F, 0.0F, 0.0F))
{
}

TMeshEffect::TMeshEffect(const TMeshEffect& other)
    : TSmashEffect(other), m_sound(other.m_sound), m_hitEvent(other.m_hitEvent), m_hitOffset(other.m_hitOffset)
{
}

void TMeshEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                       TFrame* parent, TAreaBase* area, const float* colour)
{
    TSmashEffect::Init(serial, position, direction, parent, area, colour);
    if (m_frame.Get() != nullptr) {
        m_frame->SetEmissive(m_colour[0], m_colour[1], m_colour[2], m_colour[3], true, false);
    }
}

TGameObject* TMeshEffect::Find(std::int32_t id) const
{
    return m_area != nullptr ? m_area->FindObject(static_cast<std::uint32_t>(id)) : nullptr;
}

bool TMeshEffect::Update()
{
    RunPhase();
    TGameObject* target = nullptr;
    if (!IsShattering()) {
        target = Find(m_targetId);
        if (target == nullptr && m_targetId != -2) {
            // The target has left: break at once.
            m_phase = &TSmashEffect::Shatter;
            m_time = m_duration;
        } else if (target != nullptr) {
            D3DXVECTOR3 p;
            target->GetPosition(&p);
            m_frame->SetPosition(p);
        }
    }
    if (m_done) {
        return m_alive;
    }
    if (m_time < m_duration) {
        if (m_targetId == -2 || IsHeld(target)) {
            return m_alive;
        }
        m_phase = &TSmashEffect::Shatter;
    }
    Fire();
    return m_alive;
}

void TMeshEffect::Fire()
{
    TGameObject* owner = Find(m_ownerId);
    auto* fighter = dynamic_cast<TArmedCharacter*>(owner);
    if (fighter != nullptr && m_hitEvent != 0) {
        const D3DXVECTOR3 p = FrameWorldPosition(m_frame.Get()) + m_hitOffset;
        // The hit lives on in the owner's list; this handle is not kept.
        TRefPtr<TAttackHit> hit;
        fighter->CreateAttackHit(hit, m_hitEvent, fighter->GetReferenceFrame(), &p);
    }
    if (owner != nullptr) {
        owner->PlaySound(m_sound);
    }
    m_done = true;
}
