// A mesh that waits and then breaks: every triangle flies off on its own straight path, falling and
// fading until the colour is used up. The mesh effect rides on a target character and, when the
// target is let go or the wait runs out, breaks and lets its owner strike and play a sound.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Effect/TEffect.h"

class TEffectManager;
class TGameObject;

// One triangle of the broken mesh: its velocity, then the float offsets of its three corners in
// the vertex data.
struct TSmashPiece {
    float velocity[3];
    float corner[3];
};

class TSmashEffect : public TEffect {
    friend struct TEffectProbe;
public:
    // How the pieces fly off.
    static constexpr std::int32_t kOutward = 0;     // away from the mesh's bounding-sphere centre
    static constexpr std::int32_t kFaceNormal = 1;  // along each triangle's normal
    static constexpr std::int32_t kRandom = 2;      // a random direction from the shared generator
    // A prototype with this duration gives clones that break at once and leave the mesh's colour alone.
    static constexpr std::uint32_t kPersist = 0xFFFFFFFFu;

    // meshScale: null, or a scale applied to the mesh unless its length is 0 or 1.
    TSmashEffect(const std::string& meshName, std::uint32_t duration, std::uint32_t step, float speed, float gravity,
                 float fade, std::int32_t mode, bool alphaMode, const float meshScale[3]);
    // Vertex data of its own, so breaking one clone never moves another's pieces.
    TSmashEffect(const TSmashEffect& other);
    ~TSmashEffect() override;

    bool Update() override;
    // The area comes in as the extra argument.
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    void ApplyMaterial() override;
    TEffect* Clone() const override { return new TSmashEffect(*this); }
    void SetScale(float x, float y, float z) override;
    // One effect raised when the wait ends: id, offset along the frame's world axes, scale, colour.
    virtual void AddEndEffect(std::uint32_t id, const D3DXVECTOR3* offset, const D3DXVECTOR3* scale,
                              const float colour[4]);

    // The phases.
    void Wait();
    void Shatter();
    bool IsShattering() const { return m_phase == &TSmashEffect::Shatter; }

    // Loads the mesh and gives every triangle its piece; the mesh comes back named "smash_obj".
    TMesh8 BuildPieces(const std::string& meshName, std::int32_t mode);

    // The creator may lengthen or shorten the wait before the first step.
    void SetDuration(std::uint32_t duration) { m_duration = duration; }

protected:
    using Phase = void (TSmashEffect::*)();

    void RunPhase();

    std::uint32_t m_time = 0;
    std::uint32_t m_duration;
    std::uint32_t m_step;
    std::vector<std::uint32_t> m_endIds;
    std::vector<D3DXVECTOR3> m_endOffsets;
    std::vector<D3DXVECTOR3> m_endScales;
    std::vector<std::array<float, 4>> m_endColours;
    float m_speed;
    float m_gravity;
    float m_fall = 0.0F;
    float m_fade;
    TMesh8* m_mesh = nullptr;
    std::uint32_t m_pieceCount = 0;
    std::vector<TSmashPiece> m_pieces;
    bool m_alphaMode;
    TEffectManager* m_effectManager = nullptr;
    TAreaBase* m_area = nullptr;
    Phase m_phase = &TSmashEffect::Wait;
    bool m_persist = false;

private:
    // A "smash_root" frame holding the mesh; m_mesh points at the frame's copy.
    void HangMesh(const TMesh8& mesh);
};

class TMeshEffect : public TSmashEffect {
    friend struct TEffectProbe;
public:
    // hitEvent 0: the owner only plays the sound. hitOffset: null or where, from the effect's world
    // position, the owner's hit is placed.
    TMeshEffect(const std::string& meshName, std::uint32_t sound, std::uint32_t duration, std::uint32_t step,
                float speed, float gravity, float fade, std::int32_t mode, bool alphaMode, std::uint16_t hitEvent,
                const D3DXVECTOR3* hitOffset, const float meshScale[3]);
    // Owner and target are the creator's to set; a clone has neither.
    TMeshEffect(const TMeshEffect& other);

    bool Update() override;
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    TEffect* Clone() const override { return new TMeshEffect(*this); }

    // Both written right after the effect was created; -2 is no one.
    void SetOwnerId(std::int32_t id) { m_ownerId = id; }
    void SetTargetId(std::int32_t id) { m_targetId = id; }

private:
    // The owner's hit (when there is an event) and sound; never more than once.
    void Fire();
    TGameObject* Find(std::int32_t id) const;

    std::int32_t m_ownerId = -2;
    std::int32_t m_targetId = -2;
    bool m_done = false;
    std::uint32_t m_sound;
    std::uint16_t m_hitEvent;
    D3DXVECTOR3 m_hitOffset;
};
