#include "MainCode/Effect/TParticleEffect.h"

#include <algorithm>
#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TRibbonMesh.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/TRunState.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TTexture8.h"

namespace {

constexpr const char* kQuadName = "particle_mesh.msh";

TMesh8 LoadScaled(const std::string& meshName, const float meshScale[3])
{
    TMesh8 mesh = TEffect::LoadMesh(meshName);
    if (meshScale != nullptr) {
        mesh.Scale(meshScale);
    }
    mesh.SetMaterialType(TMeshMaterial::kAdd, TMesh8::kAllMaterials);
    return mesh;
}

// Moves every texture coordinate of the quad into its atlas cell.
void MapToCell(TMesh8& mesh, std::uint32_t column, std::uint32_t row, std::uint32_t columns, std::uint32_t rows)
{
    auto* v = static_cast<TRibbonVertex*>(mesh.LockVertices(0));
    if (v == nullptr) {
        return;
    }
    const float width = 1.0F / static_cast<float>(columns);
    const float height = 1.0F / static_cast<float>(rows);
    for (std::uint16_t i = 0; i < mesh.GetVertexCount(); ++i) {
        v[i].u = (static_cast<float>(column) + v[i].u) * width;
        v[i].v = (static_cast<float>(row) + v[i].v) * height;
    }
    mesh.UnlockVertices(0, false);
}

}  // namespace

float RandomRange(float min, float max)
{
    const std::uint32_t r = genrand_int32();
    const float span = std::trunc(max * 100.0F - min * 100.0F);
    // A negative or empty range (or NaN) has nothing to pick from.
    if (!(span >= 1.0F)) {
        return min;
    }
    const std::uint32_t range = span >= 4294967295.0F ? 0xFFFFFFFFu : static_cast<std::uint32_t>(span);
    return min + static_cast<float>(r % range) * 0.01F;
}

// ---- TParticleEffect ----

TParticleEffect::TParticleEffect(const std::string& meshName, std::uint32_t count, const float startBox[9],
                                 const float endBox[9], float dt, const float meshScale[3])
    : TEffect(TRefPtr<TFrame>()), m_count(count), m_dt(dt)
{
    SetUpBurst(startBox, endBox);
    const TMesh8 mesh = LoadScaled(meshName, meshScale);
    for (std::uint32_t i = 0; i < count; ++i) {
        AddParticle(mesh);
    }
}

TParticleEffect::TParticleEffect(const std::string& textureKey, std::uint32_t columns, std::uint32_t rows,
                                 std::uint32_t count, const float startBox[9], const float endBox[9], float dt,
                                 const float meshScale[3])
    : TEffect(TRefPtr<TFrame>()), m_count(count), m_dt(dt)
{
    SetUpBurst(startBox, endBox);
    TMesh8 mesh = LoadScaled(kQuadName, meshScale);
    // The cells are written into the quad's texture coordinates.
    CheckVertexLayout(mesh, TMesh8::GetDirectory() + TEffectManager::GetFolder() + kQuadName, 4);
    if (mesh.GetMaterialCount() > 0) {
        mesh.EditMaterial(0).SetTexture(TTexture8::Load(textureKey, D3DPOOL_MANAGED, 0));
    }
    // An atlas without columns or rows is one cell.
    const std::uint32_t across = std::max<std::uint32_t>(columns, 1);
    const std::uint32_t down = std::max<std::uint32_t>(rows, 1);
    std::uint32_t& atlasCounter = TRunState::Current().particleAtlasCounter;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t cell = atlasCounter++ % (across + down);
        TMesh8 own = mesh.CloneMirrored(0);
        MapToCell(own, cell % across, cell / down, across, down);
        AddParticle(own);
    }
}

TParticleEffect::TParticleEffect(const TParticleEffect& other)
    : TEffect(TRefPtr<TFrame>()), m_count(other.m_count), m_dt(other.m_dt)
{
    std::copy(other.m_startBox, other.m_startBox + 9, m_startBox);
    std::copy(other.m_endBox, other.m_endBox + 9, m_endBox);
    if (other.m_frame.Get() != nullptr) {
        m_frame = other.m_frame->Clone(nullptr);
    }
    m_particles.reserve(other.m_particles.size());
    for (const TParticle& p : other.m_particles) {
        TParticle own;
        own.frame = p.frame->Clone(nullptr);
        if (m_frame.Get() != nullptr) {
            m_frame->AddChild(own.frame);
        }
        m_particles.push_back(own);
    }
}

TParticleEffect::~TParticleEffect() = default;

void TParticleEffect::SetUpBurst(const float startBox[9], const float endBox[9])
{
    m_frame = NewFrame("ParticleMain");
    std::copy(startBox, startBox + 9, m_startBox);
    std::copy(endBox, endBox + 9, m_endBox);
}

void TParticleEffect::AddParticle(const TMesh8& mesh)
{
    TParticle p;
    p.frame = NewFrame("");
    p.frame->AddMesh(mesh);
    m_particles.push_back(p);
}

void TParticleEffect::InitBurst(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                                TFrame* parent, TAreaBase* area, const float* colour, bool rgb)
{
    TEffect::Init(serial, position, direction, parent, area, colour);
    m_sceneFrame = area != nullptr ? area->GetSceneFrame() : nullptr;
    m_cameraFrame = area != nullptr && area->GetCamera() != nullptr ? area->GetCamera()->GetFrame() : nullptr;
    // Six draws a particle, in this order.
    for (TParticle& p : m_particles) {
        p.start.x = RandomRange(m_startBox[0], m_startBox[3]);
        p.start.y = RandomRange(m_startBox[1], m_startBox[4]);
        p.start.z = RandomRange(m_startBox[2], m_startBox[5]);
        p.end.x = RandomRange(m_endBox[0], m_endBox[3]);
        p.end.y = RandomRange(m_endBox[1], m_endBox[4]);
        p.end.z = RandomRange(m_endBox[2], m_endBox[5]);
    }
    for (int i = 0; i < 4; ++i) {
        m_colourStep[i] = m_colour[i] * m_dt;
    }
    if (rgb) {
        m_colourStep[3] = 0.0F;
        m_frame->SetEmissiveRGB(m_colour[0], m_colour[1], m_colour[2], true, false);
    } else {
        m_colourStep[0] = m_colourStep[1] = m_colourStep[2] = 0.0F;
        m_frame->SetEmissiveAlpha(m_colour[3], true, false);
    }
}

void TParticleEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                           TFrame* parent, TAreaBase* area, const float* colour)
{
    InitBurst(serial, position, direction, parent, area, colour, true);
}

void TParticleEffect::FaceCamera(TFrame* frame) const
{
    if (m_cameraFrame != nullptr) {
        frame->LookAtFrame(m_sceneFrame, m_cameraFrame, TFrame::kLookAim);
    }
}

void TParticleEffect::FadeColour(Fade fade)
{
    for (int i = 0; i < 4; ++i) {
        m_colour[i] -= m_colourStep[i];
    }
    if (fade == Fade::RGB) {
        m_frame->SetEmissiveRGB(m_colour[0], m_colour[1], m_colour[2], true, false);
    } else if (fade == Fade::Alpha) {
        m_frame->SetEmissiveAlpha(m_colour[3], true, false);
    } else {
        m_frame->SetEmissive(m_colour[0], m_colour[1], m_colour[2], m_colour[3], true, false);
    }
    m_t += m_dt;
}

bool TParticleEffect::EndPastOne()
{
    if (m_t > 1.0F) {
        Kill();
    }
    return m_alive;
}

bool TParticleEffect::StepBurst(bool rgb)
{
    FadeColour(rgb ? Fade::RGB : Fade::Alpha);
    for (TParticle& p : m_particles) {
        p.frame->SetPosition(p.start + (p.end - p.start) * m_t);
        FaceCamera(p.frame.Get());
    }
    return EndPastOne();
}

bool TParticleEffect::Update() { return StepBurst(true); }

// ---- TAlphaParticleEffect ----

TAlphaParticleEffect::TAlphaParticleEffect(const std::string& textureKey, std::uint32_t columns, std::uint32_t rows,
                                           std::uint32_t count, const float startBox[9], const float endBox[9],
                                           float dt, const float meshScale[3])
    : TParticleEffect(textureKey, columns, rows, count, startBox, endBox, dt, meshScale)
{
}

bool TAlphaParticleEffect::Update() { return StepBurst(false); }

void TAlphaParticleEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                                TFrame* parent, TAreaBase* area, const float* colour)
{
    InitBurst(serial, position, direction, parent, area, colour, false);
}

void TAlphaParticleEffect::ApplyMaterial() { m_frame->SetMaterialType(TMeshMaterial::kZwnAlphaNotCull, true, false); }

// ---- TJitterParticleEffect ----

TJitterParticleEffect::TJitterParticleEffect(const std::string& textureKey, std::uint32_t columns,
                                             std::uint32_t rows, std::uint32_t count, const float startBox[9],
                                             const float endBox[9], float dt, const float jitter[3], bool fades,
                                             const float meshScale[3])
    : TParticleEffect(textureKey, columns, rows, count, startBox, endBox, dt, meshScale),
      m_jitter{jitter[0], jitter[1], jitter[2]},
      m_routine(fades ? &TJitterParticleEffect::FadingJitter : &TJitterParticleEffect::EndlessJitter)
{
}

void TJitterParticleEffect::ApplyMaterial()
{
    m_frame->SetMaterialType(TMeshMaterial::kZwnAlphaNotCull, true, false);
}

void TJitterParticleEffect::JitterStep()
{
    for (TParticle& p : m_particles) {
        D3DXVECTOR3 at;
        p.frame->GetPosition(&at);
        const auto shake = [] { return static_cast<float>(static_cast<std::int32_t>((genrand_int32() >> 1) & 0x7F) - 64); };
        at.x += shake() * (1.0F / m_jitter[0]);
        at.y += shake() * (1.0F / m_jitter[1]);
        at.z += shake() * (1.0F / m_jitter[2]);
        p.frame->SetPosition(at);
        FaceCamera(p.frame.Get());
    }
}

bool TJitterParticleEffect::EndlessJitter()
{
    JitterStep();
    return m_alive;
}

bool TJitterParticleEffect::FadeAndJitter(bool rgbOnly)
{
    FadeColour(rgbOnly ? Fade::RGB : Fade::All);
    JitterStep();
    return EndPastOne();
}

bool TJitterParticleEffect::FadingJitter() { return FadeAndJitter(false); }

bool TJitterParticleEffect::FadingJitterRGB() { return FadeAndJitter(true); }
