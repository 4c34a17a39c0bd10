// A look into the effects for tests: weapon trails, the effect manager and the state of each effect
// class (clocks, colours, phases, particles, pieces, ribbons and the ids they were handed).
#pragma once

#include <cstddef>
#include <cstdint>

#include "MainCode/Effect/TAfterImage.h"
#include "MainCode/Effect/TArrowEffect.h"
#include "MainCode/Effect/TEffect.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Effect/TRayEffect.h"
#include "MainCode/Effect/TRibbonMesh.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Effect/TSpawnPathEffect.h"
#include "MainCode/Effect/TThunderEffect.h"

struct TEffectProbe {
    // Weapon trails.
    static std::uint32_t Mode(const TAfterImage& a) { return a.m_mode; }
    static void SetMode(TAfterImage& a, std::uint32_t mode) { a.m_mode = mode; }
    static std::int32_t FadeCounter(const TAfterImage& a) { return a.m_fadeCounter; }
    static bool LastQuery(const TAfterImage& a) { return a.m_lastQuery; }
    static float Length(const TAfterImage& a) { return a.m_length; }
    static const TFloatRamp& Red(const TAfterImage& a) { return a.m_red; }
    static const TFloatRamp& Green(const TAfterImage& a) { return a.m_green; }
    static const TFloatRamp& Blue(const TAfterImage& a) { return a.m_blue; }
    static const TFloatRamp& Alpha(const TAfterImage& a) { return a.m_alpha; }
    static TFrame* Frame(const TAfterImage& a) { return a.m_frame.Get(); }
    static TFrame* EndFrame(const TAfterImage& a) { return a.m_endFrame.Get(); }
    static TMesh8* Mesh(const TAfterImage& a) { return a.m_mesh; }
    static std::uint32_t EdgeCount(const TAfterImage& a) { return static_cast<std::uint32_t>(a.m_edges.size()); }
    // Near (weapon) and far end of ribbon edge e, 0 the newest, as the vertices hold them.
    static D3DXVECTOR3 EdgeNear(const TAfterImage& a, std::uint32_t e) { return EdgeCorner(a, e, 0); }
    static D3DXVECTOR3 EdgeFar(const TAfterImage& a, std::uint32_t e) { return EdgeCorner(a, e, 3); }

    // The base and the manager.
    static const TRefPtr<TFrame>& FrameRef(const TEffect& e) { return e.m_frame; }
    static bool IsFinishing(const TEffect& e) { return e.m_finish; }
    static const float* Colour(const TEffect& e) { return e.m_colour; }
    static std::uint32_t FramesLeft(const TArrowEffect& e) { return e.m_framesLeft; }
    static std::uint32_t LiveCount(const TEffectManager& m) { return m.m_liveCount; }
    static std::int32_t NextSerial(const TEffectManager& m) { return m.m_nextSerial; }
    static std::size_t PrototypeCount(const TEffectManager& m) { return m.m_prototypes.size(); }

    // Animated models.
    static const float* CurrentColour(const TFrameAnimEffect& e) { return e.m_current; }
    static const float* InColourStep(const TFrameAnimEffect& e) { return e.m_inColourStep; }
    static const float* OutColourStep(const TFrameAnimEffect& e) { return e.m_outColourStep; }
    static std::int32_t Loops(const TFrameAnimEffect& e) { return e.m_loops; }
    static TFrameAnimEffect::Phase Phase(const TFrameAnimEffect& e) { return e.m_phase; }
    static std::int32_t OwnerId(const TOwnedAnimEffect& e) { return e.m_ownerId; }
    static std::int32_t FollowId(const TOwnedAnimEffect& e) { return e.m_followId; }
    static TAreaBase* Area(const TOwnedAnimEffect& e) { return e.m_area; }
    static std::int32_t SpawnEffectId(const TSpawnPathEffect& e) { return e.m_spawnEffectId; }
    static std::uint32_t SpawnIndex(const TSpawnPathEffect& e) { return e.m_spawnIndex; }
    static std::size_t SpawnPointCount(const TSpawnPathEffect& e) { return e.m_spawnTimes.size(); }
    static std::size_t PathPointCount(const TSpawnPathEffect& e) { return e.m_pathIds.size(); }

    // Particle bursts.
    static float Time(const TParticleEffect& e) { return e.m_t; }
    static float Step(const TParticleEffect& e) { return e.m_dt; }
    static std::uint32_t Count(const TParticleEffect& e) { return e.m_count; }
    static const TParticle& Particle(const TParticleEffect& e, std::uint32_t i) { return e.m_particles[i]; }
    static TJitterParticleEffect::Routine Routine(const TJitterParticleEffect& e) { return e.m_routine; }

    // Rays.
    static TMesh8* Mesh(const TRayEffect& e) { return e.m_mesh; }
    static const D3DXVECTOR3& EndPoint(const TRayEffect& e) { return e.m_p3; }
    static float T(const TRayEffect& e) { return e.m_t; }
    static std::int32_t Length(const TRayEffect& e) { return e.m_length; }
    static std::int32_t Capacity(const TRayEffect& e) { return e.m_capacity; }
    static const D3DXVECTOR3& Point(const TRayEffect& e, std::int32_t i) { return e.m_points[static_cast<std::size_t>(i)]; }
    static const std::vector<TRibbonRow>& RowTable(const TRayEffect& e) { return e.m_rowTable; }
    static std::int32_t Tail(const TRayEffect& e) { return e.m_tail; }
    static bool HasArrived(const TRayEffect& e) { return e.m_arrived; }

    // Smashed meshes.
    static std::uint32_t Time(const TSmashEffect& e) { return e.m_time; }
    static std::uint32_t Duration(const TSmashEffect& e) { return e.m_duration; }
    static float Fall(const TSmashEffect& e) { return e.m_fall; }
    static TMesh8* Mesh(const TSmashEffect& e) { return e.m_mesh; }
    static std::uint32_t PieceCount(const TSmashEffect& e) { return e.m_pieceCount; }
    static const TSmashPiece& Piece(const TSmashEffect& e, std::uint32_t i) { return e.m_pieces[i]; }
    static std::size_t EndEffectCount(const TSmashEffect& e) { return e.m_endIds.size(); }
    static bool IsPersistent(const TSmashEffect& e) { return e.m_persist; }
    static bool IsAlphaMode(const TSmashEffect& e) { return e.m_alphaMode; }
    static TAreaBase* Area(const TSmashEffect& e) { return e.m_area; }
    static std::int32_t OwnerId(const TMeshEffect& e) { return e.m_ownerId; }
    static std::int32_t TargetId(const TMeshEffect& e) { return e.m_targetId; }
    static bool HasFired(const TMeshEffect& e) { return e.m_done; }

    // The lightning bolt.
    static std::uint32_t SegmentCount(const TThunderEffect& e) { return e.m_segmentCount; }
    static TMesh8* Segment(const TThunderEffect& e, std::uint32_t i) { return e.m_segments[i]; }
    static std::int32_t RowCount(const TThunderEffect& e) { return e.m_rowCount; }
    static const std::vector<TRibbonRow>& RowTable(const TThunderEffect& e) { return e.m_rowTable; }
    static std::int32_t WobbleEnd(const TThunderEffect& e) { return e.m_wobbleEnd; }
    static std::int32_t CalmEnd(const TThunderEffect& e) { return e.m_calmEnd; }
    static std::int32_t LinkedSerial(const TThunderEffect& e) { return e.m_linkedSerial; }
    static const D3DXVECTOR3& Velocity(const TThunderEffect& e) { return e.m_velocity; }

private:
    static D3DXVECTOR3 EdgeCorner(const TAfterImage& a, std::uint32_t e, std::size_t corner)
    {
        const auto* v = static_cast<const TRibbonVertex*>(a.m_mesh->LockVerticesReadOnly(0));
        const TRibbonVertex& w = v[a.m_edges[e][corner]];
        const D3DXVECTOR3 p(w.x, w.y, w.z);
        a.m_mesh->UnlockVertices(0, false);
        return p;
    }
};
