// A look into the shots for tests: the chain and its parts, the motions that move them and what each
// shot class raises when its flight ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Shot/TBulletPart.h"
#include "MainCode/Shot/THomingArcMotion.h"
#include "MainCode/Shot/TOrbitMotion.h"
#include "MainCode/Shot/TShot.h"
#include "MainCode/Shot/TShotJ.h"
#include "MainCode/Shot/TStarShot.h"

struct TShotProbe {
    // The catalogue ids whose prototype in the manager is a shot, ascending.
    static std::vector<std::uint32_t> PrototypeIds(const TEffectManager& manager)
    {
        std::vector<std::uint32_t> ids;
        for (std::uint32_t id : TEffectManager::GetCatalogueIds()) {
            if (dynamic_cast<const TShot*>(manager.FindPrototype(id).Get()) != nullptr) {
                ids.push_back(id);
            }
        }
        return ids;
    }

    // The chain and its parts.
    static TMotionHelper* Motion(const TShot& s) { return s.m_motion.get(); }
    static std::int32_t TailFrames(const TShot& s) { return s.m_tailFrames; }
    static bool HasEnded(const TShot& s) { return s.m_ended; }
    static bool IsStartParked(const TShot& s) { return s.m_startParked; }
    static TFrame* SceneFrame(const TShot& s) { return s.m_sceneFrame; }
    static TFrame* CameraFrame(const TShot& s) { return s.m_cameraFrame; }
    static std::uint16_t HitElement(const TShot& s) { return s.m_hitElement; }
    static TMesh8* Mesh(const TBulletPart& p) { return p.m_mesh; }
    static const float* Colour(const TBulletPart& p) { return p.m_colour; }
    static std::uint32_t Cell(const TParticleBulletPart& p) { return p.m_cell; }
    static TMeshMaterial* Material(const TParticleBulletPart& p) { return p.m_material; }
    template <class Part>
    static Part& TypedPart(TTrailShot<Part>& s, std::size_t i) { return s.m_parts[i]; }
    template <class Base>
    static TAttackHit* AttackHit(const TLinkedShot<Base>& s) { return s.m_attackHit.Get(); }

    // Motions.
    static float Limit(const THomingArcMotion& m) { return m.m_limit; }
    static std::int32_t TargetId(const THomingArcMotion& m) { return m.m_targetId; }
    static float Radius(const TOrbitMotionBase& m) { return m.m_radius; }
    static float Angle(const TOrbitMotionBase& m) { return m.m_angle; }
    static float AngularStep(const TOrbitMotionBase& m) { return m.m_angularStep; }
    static const D3DXVECTOR3& Centre(const TOrbitMotionBase& m) { return m.m_centre; }
    static TFrame* Orbited(const TOrbitMotion& m) { return m.m_orbited.Get(); }

    // What the rock and meteor shots raise.
    static std::int32_t EndEffectId(const TShotJ& s) { return s.m_endEffectId; }
    static std::size_t EndEffectCount(const TShotJ& s) { return s.m_endEffectIds.size(); }
    static std::uint32_t EndRecordId(const TShotJ& s, std::size_t i) { return s.m_endEffectIds[i]; }
    static const D3DXVECTOR3& EndOffset(const TShotJ& s, std::size_t i) { return s.m_endOffsets[i]; }
    static const D3DXVECTOR3& EndScale(const TShotJ& s, std::size_t i) { return s.m_endScales[i]; }
    static const float* EndColour(const TShotJ& s, std::size_t i) { return s.m_endColours[i].data(); }
    static TAreaBase* Area(const TShotJ& s) { return s.m_area; }

    // What the smoke and star shots raise.
    template <class Base>
    static std::int32_t BurstIdA(const TStarShot<Base>& s) { return s.m_burstIdA; }
    template <class Base>
    static std::int32_t BurstIdB(const TStarShot<Base>& s) { return s.m_burstIdB; }
    template <class Base>
    static std::int32_t SoundId(const TStarShot<Base>& s) { return s.m_soundId; }
    template <class Base>
    static std::uint16_t HitEvent(const TStarShot<Base>& s) { return s.m_hitEvent; }
    template <class Base>
    static void SetHitEvent(TStarShot<Base>& s, std::uint16_t code) { s.m_hitEvent = code; }
    template <class Base>
    static const float* HitOffset(const TStarShot<Base>& s) { return s.m_hitOffset; }
    template <class Base>
    static const float* StarScale(const TStarShot<Base>& s) { return s.m_burstScale; }
    template <class Base>
    static const float* StarColour1(const TStarShot<Base>& s) { return s.m_burstColourA; }
    template <class Base>
    static const float* StarColour2(const TStarShot<Base>& s) { return s.m_burstColourB; }
    template <class Base>
    static TAreaBase* Area(const TStarShot<Base>& s) { return s.m_area; }
};
