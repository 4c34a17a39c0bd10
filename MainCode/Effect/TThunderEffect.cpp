#include "MainCode/Effect/TThunderEffect.h"

#include <cmath>
#include <cstdio>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "dx/dx8/3d/TMeshMaterial.h"

namespace {

constexpr const char* kRibbonFile = "effect/thunder.msh";

std::string SegmentName(std::uint32_t i)
{
    char name[32];
    std::snprintf(name, sizeof name, "ThunderMsh%lu", static_cast<unsigned long>(i));
    return name;
}

// A signed wander step of at most 64 / scale.
float WanderStep(float scale)
{
    return static_cast<float>(static_cast<std::int32_t>((genrand_int32() >> 1) & 0x7F) - 64) / scale;
}

}  // namespace

TThunderEffect::TThunderEffect(const std::string& modelName, std::uint32_t segmentCount, float inEnd, float inStep,
                               float holdEnd, float holdStep, std::int32_t loops, float outEnd, float outStep)
    : TAlphaAnimEffect(modelName, inEnd, inStep, holdEnd, holdStep, loops, outEnd, outStep),
      m_segmentCount(segmentCount)
{
    m_frame = NewFrame("ThunderRoot");
    for (std::uint32_t i = 0; i < segmentCount; ++i) {
        m_frame->AddMesh(BuildRibbon(SegmentName(i)));
    }
    FindSegments();
}

TThunderEffect::TThunderEffect(const TThunderEffect& other)
    : TAlphaAnimEffect(other),
      m_segmentCount(other.m_segmentCount),
      m_rowCount(other.m_rowCount),
      m_rowTable(other.m_rowTable),
      m_wobbleEnd(other.m_wobbleEnd),
      m_calmEnd(other.m_calmEnd)
{
    m_frame = NewFrame("ThunderRoot");
    for (TMesh8* segment : other.m_segments) {
        m_frame->AddMesh(segment->CloneMirrored(0));
    }
    FindSegments();
}

TThunderEffect::~TThunderEffect() = default;

void TThunderEffect::FindSegments()
{
    m_segments.assign(m_segmentCount, nullptr);
    for (std::uint32_t i = 0; i < m_segmentCount; ++i) {
        m_segments[i] = m_frame->FindMesh(SegmentName(i), false);
    }
}

TMesh8 TThunderEffect::BuildRibbon(const std::string& name)
{
    TMesh8 mesh = LoadRibbonMesh(kRibbonFile);
    mesh.SetName(name);
    m_rowCount = static_cast<std::int32_t>(RibbonRowCount(mesh));
    m_rowTable = BuildRibbonRows(static_cast<std::uint32_t>(m_rowCount), mesh.GetVertexCount());
    auto* v = static_cast<TRibbonVertex*>(mesh.LockVertices(0));
    const auto rows = static_cast<float>(m_rowCount);
    for (std::int32_t r = 0; r < m_rowCount; ++r) {
        const float along = static_cast<float>(r) / rows;
        const float y = 0.2F + 9.8F * static_cast<float>(r) / rows;
        const auto alpha = static_cast<std::uint32_t>(255.0F * (1.0F - along));
        for (int k = 0; k < 6; ++k) {
            TRibbonVertex& vertex = v[m_rowTable[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]];
            const bool right = k >= 3;
            vertex.x = right ? 0.2F : -0.2F;
            vertex.y = y;
            vertex.u = right ? 1.0F : 0.0F;
            vertex.v = along;
            vertex.diffuse = alpha << 24 | 0x00FFFFFFu;
        }
    }
    mesh.UnlockVertices(0, true);
    WriteSequentialIndices(mesh);
    m_wobbleEnd = static_cast<std::int32_t>(static_cast<float>(m_rowCount) * 0.3F);
    m_calmEnd = static_cast<std::int32_t>(static_cast<float>(m_rowCount) * 0.7F);
    return mesh;
}

void TThunderEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                          TFrame* parent, TAreaBase* area, const float* colour)
{
    TAlphaAnimEffect::Init(serial, position, direction, parent, area, colour);
    m_effectManager = area != nullptr ? area->GetEffectManager() : nullptr;
    m_sceneFrame = area != nullptr ? area->GetSceneFrame() : nullptr;
    m_cameraFrame = area != nullptr && area->GetCamera() != nullptr ? area->GetCamera()->GetFrame() : nullptr;
}

void TThunderEffect::ApplyMaterial() { m_frame->SetMaterialType(TMeshMaterial::kZwnAlphaNotCull, true, false); }

void TThunderEffect::SetVelocity(const D3DXVECTOR3* velocity) { m_velocity = *velocity; }

void TThunderEffect::SetWatched(const TRefPtr<TAttackHit>& hit) { m_watched = hit; }

void TThunderEffect::SetLinkedParticles(TJitterParticleEffect* particles)
{
    m_linkedSerial = particles != nullptr ? particles->GetSerial() : -1;
}

void TThunderEffect::PostStep()
{
    if (m_watched.Get() != nullptr && !m_watched->IsAlive()) {
        Finish();
        if (m_linkedSerial >= 0 && m_effectManager != nullptr) {
            const TRefPtr<TEffect> live = m_effectManager->FindLive(m_linkedSerial);
            auto* burst = dynamic_cast<TJitterParticleEffect*>(live.Get());
            if (burst != nullptr && burst->IsAlive()) {
                burst->SetRoutine(&TJitterParticleEffect::FadingJitterRGB);
            }
        }
    }
    for (TMesh8* segment : m_segments) {
        if (segment != nullptr) {
            Wobble(segment);
        }
    }
    m_frame->AddPosition(m_velocity.x, m_velocity.y, m_velocity.z);
    if (m_cameraFrame != nullptr) {
        m_frame->LookAtFrame(m_sceneFrame, m_cameraFrame, TFrame::kLookAim);
    }
}

void TThunderEffect::Wobble(TMesh8* mesh)
{
    auto* v = static_cast<TRibbonVertex*>(mesh->LockVertices(0));
    if (v == nullptr) {
        return;
    }
    for (std::int32_t r = 1; r <= m_rowCount - 2; ++r) {
        const float scale = r <= m_wobbleEnd ? 500.0F : (r <= m_calmEnd ? 200.0F : 400.0F);
        const TRibbonRow& row = m_rowTable[static_cast<std::size_t>(r)];
        float x = v[row[0]].x;
        float d = WanderStep(scale);
        if (x < -0.4F) {
            d = std::fabs(d);
        } else if (x > 0.0F) {
            d = -std::fabs(d);
        }
        x += d;
        v[row[0]].x = v[row[1]].x = v[row[2]].x = x;
        x = v[row[3]].x;
        d = WanderStep(scale);
        if (x > 0.4F) {
            d = -std::fabs(d);
        } else if (x < 0.0F) {
            d = std::fabs(d);
        }
        x += d;
        v[row[3]].x = v[row[4]].x = v[row[5]].x = x;
    }
    mesh->UnlockVertices(0, false);
}
