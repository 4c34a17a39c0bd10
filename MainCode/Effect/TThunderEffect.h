// The lightning bolt: vertical ribbons under "ThunderRoot" whose edges wander at random every
// frame, facing the camera, drifting and fading through the alpha animation phases. It watches the
// attack hit its creator made for it; when the hit ends, the bolt fades out and its particle burst
// switches to a fading jitter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TRibbonMesh.h"
#include "MainCode/Map/TAttackHit.h"

class TJitterParticleEffect;

class TThunderEffect : public TAlphaAnimEffect {
    friend struct TEffectProbe;
public:
    // loops -1: the hold loops until Finish.
    TThunderEffect(const std::string& modelName, std::uint32_t segmentCount, float inEnd, float inStep,
                   float holdEnd, float holdStep, std::int32_t loops, float outEnd, float outStep);
    // Ribbons with vertex data of their own; watched hit, burst and velocity start empty.
    TThunderEffect(const TThunderEffect& other);
    ~TThunderEffect() override;

    // The area comes in as the extra argument.
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    void ApplyMaterial() override;
    TEffect* Clone() const override { return new TThunderEffect(*this); }
    void PostStep() override;
    // The bolt has no key tracks.
    void AdvanceAnimation() override {}

    virtual void SetVelocity(const D3DXVECTOR3* velocity);
    virtual void SetWatched(const TRefPtr<TAttackHit>& hit);
    // Kept by serial: the burst is looked up in the area's manager each frame and left alone once
    // it is no longer listed or has ended.
    virtual void SetLinkedParticles(TJitterParticleEffect* particles);

    // The ribbon mesh of that name from "effect/thunder.msh": row table, positions, texture
    // coordinates and vertex alpha laid out, indices in vertex order.
    TMesh8 BuildRibbon(const std::string& name);
    // One frame of random wander of a ribbon's inner rows.
    void Wobble(TMesh8* mesh);

private:
    void FindSegments();

    std::uint32_t m_segmentCount;
    std::vector<TMesh8*> m_segments;
    TRefPtr<TAttackHit> m_watched;
    std::int32_t m_linkedSerial = -1;
    D3DXVECTOR3 m_velocity{0.0F, 0.0F, 0.0F};
    std::int32_t m_rowCount = 0;
    std::vector<TRibbonRow> m_rowTable;
    std::int32_t m_wobbleEnd = 0;
    std::int32_t m_calmEnd = 0;
    TEffectManager* m_effectManager = nullptr;
    TFrame* m_sceneFrame = nullptr;
    TFrame* m_cameraFrame = nullptr;
};
