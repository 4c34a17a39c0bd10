// Particle bursts: a fixed number of small camera-facing quads (or small meshes) travelling in a
// straight line from a random start point to a random end point, drawn once per burst inside two
// boxes, while the burst's colour fades. The burst ends when its clock passes 1.0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Effect/TEffect.h"

// A value from min up to below max in steps of 0.01, from the shared generator. One draw always;
// a range that truncates to 0 or below gives min.
float RandomRange(float min, float max);

struct TParticle {
    D3DXVECTOR3 start{0.0F, 0.0F, 0.0F};
    D3DXVECTOR3 end{0.0F, 0.0F, 0.0F};
    TRefPtr<TFrame> frame;
};

// Fades red, green and blue.
class TParticleEffect : public TEffect {
    friend struct TEffectProbe;
public:
    // Boxes: min x, y, z, max x, y, z and three floats these classes do not read.
    // The mesh form: every particle a copy of the mesh (the particle quad when the name is empty).
    TParticleEffect(const std::string& meshName, std::uint32_t count, const float startBox[9],
                    const float endBox[9], float dt, const float meshScale[3]);
    // The texture form: the particle quad showing one cell of a columns x rows atlas.
    TParticleEffect(const std::string& textureKey, std::uint32_t columns, std::uint32_t rows, std::uint32_t count,
                    const float startBox[9], const float endBox[9], float dt, const float meshScale[3]);
    TParticleEffect(const TParticleEffect& other);
    ~TParticleEffect() override;

    bool Update() override;
    // The area comes in as the extra argument.
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    TEffect* Clone() const override { return new TParticleEffect(*this); }


protected:
    // Shared by the three classes' Init; rgb picks the channel that fades.
    void InitBurst(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
                   TAreaBase* area, const float* colour, bool rgb);
    enum class Fade { RGB, Alpha, All };
    // Colour less one step, shown on the channels named, and the clock one step on.
    void FadeColour(Fade fade);
    // Kills the burst once the clock is past 1.0; answers alive.
    bool EndPastOne();
    // One fade and travel step; rgb as in InitBurst.
    bool StepBurst(bool rgb);
    // Turns a particle's frame toward the camera.
    void FaceCamera(TFrame* frame) const;

    float m_startBox[9];
    float m_endBox[9];
    std::uint32_t m_count;
    std::vector<TParticle> m_particles;
    float m_t = 0.0F;
    float m_dt;
    float m_colourStep[4] = {0.0F, 0.0F, 0.0F, 0.0F};
    TFrame* m_sceneFrame = nullptr;
    TFrame* m_cameraFrame = nullptr;

private:
    // The frame "ParticleMain" and the boxes; the particles are added by the constructors.
    void SetUpBurst(const float startBox[9], const float endBox[9]);
    void AddParticle(const TMesh8& mesh);
};

// Fades alpha only; drawn with material type 2300.
class TAlphaParticleEffect : public TParticleEffect {
public:
    TAlphaParticleEffect(const std::string& textureKey, std::uint32_t columns, std::uint32_t rows,
                         std::uint32_t count, const float startBox[9], const float endBox[9], float dt,
                         const float meshScale[3]);
    TAlphaParticleEffect(const TAlphaParticleEffect& other) = default;

    bool Update() override;
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    void ApplyMaterial() override;
    TEffect* Clone() const override { return new TAlphaParticleEffect(*this); }
};

// Particles that shake at random every frame, with or without an end.
class TJitterParticleEffect : public TParticleEffect {
    friend struct TEffectProbe;
public:
    using Routine = bool (TJitterParticleEffect::*)();

    // jitter: divisors of the shake on x, y and z. fades: FadingJitter, else EndlessJitter.
    TJitterParticleEffect(const std::string& textureKey, std::uint32_t columns, std::uint32_t rows,
                          std::uint32_t count, const float startBox[9], const float endBox[9], float dt,
                          const float jitter[3], bool fades, const float meshScale[3]);
    TJitterParticleEffect(const TJitterParticleEffect& other) = default;

    bool Update() override { return (this->*m_routine)(); }
    void ApplyMaterial() override;
    TEffect* Clone() const override { return new TJitterParticleEffect(*this); }

    // Shakes until something kills the burst.
    bool EndlessJitter();
    // Fades all four channels while it shakes, ends when the clock passes 1.0.
    bool FadingJitter();
    // The same fading only red, green and blue (the bolt switches its burst to it when it ends).
    bool FadingJitterRGB();

    void SetRoutine(Routine routine) { m_routine = routine; }

private:
    void JitterStep();
    bool FadeAndJitter(bool rgbOnly);

    float m_jitter[3];
    Routine m_routine;
};
