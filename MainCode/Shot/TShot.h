// Every projectile: an effect drawn as a chain of bullet parts. A motion helper moves the head once a
// frame; every other part takes the place the part before it had, so the chain trails the head and
// fades from head to tail. When the head's flight ends it is parked out of view and the trail runs
// into it part by part; the shot is dropped once the last part has caught up. Linked shots carry an
// attack hit on the head: a dead hit ends their flight, and the end of the trail kills the hit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/TMotionHelper.h"
#include "MainCode/Effect/TEffect.h"
#include "MainCode/Map/TAttackHit.h"
#include "MainCode/Shot/TBulletPart.h"
#include "TCommon/TRefPtr.h"

class TShot : public TEffect {
    friend struct TShotProbe;
public:
    // -1 flies until killed.
    static constexpr std::int32_t kEndless = -1;

    ~TShot() override;

    // One frame: the trail follows, the head moves and counts its flight, then the ending runs.
    // A killed shot still runs all of this once and then answers false.
    bool Update() override;
    // The root under the parent at the position and heading, then the parts on it, faded from the
    // full colour at the head to one n-th of it at the tail. area is where the shot flies.
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;

    // The shot owns the helper from here on.
    virtual void SetMotion(std::unique_ptr<TMotionHelper> motion);
    // Linked shots only; the others ignore it.
    virtual void SetAttackHit(const TRefPtr<TAttackHit>& hit);
    // False once a linked hit died (the shot then lets it go).
    virtual bool IsHitAlive() { return true; }
    // Once, when the flight ends, before the head is parked.
    virtual void OnHeadEnd() {}

    // The head part's frame: attack hits hang under it.
    TFrame* GetModelFrame() const;
    void SetFlightFrames(std::int32_t n) { m_flightFrames = n; }
    // The element code a thrown beam hands on with its hits (0: none).
    void SetHitElement(std::uint16_t code) { m_hitElement = code; }
    // Turn every part (mesh shots).
    void AimParts(const D3DXVECTOR3& direction);
    void RotateParts(const D3DXVECTOR3& axis, float angle);

    virtual std::size_t GetPartCount() const = 0;
    virtual TBulletPart& GetPart(std::size_t i) = 0;
    const TBulletPart& GetPart(std::size_t i) const { return const_cast<TShot*>(this)->GetPart(i); }

    std::int32_t GetFlightFrames() const { return m_flightFrames; }

protected:
    TShot(std::int32_t flightFrames, std::int32_t partCount, bool startParked);
    // The root deep-copied; no motion, no scene yet.
    TShot(const TShot& other);

    // At the end of the ending: linked shots kill the hit they still hold.
    virtual void OnTailEnd() {}
    void DropMotion() { m_motion.reset(); }
    // The helper's turn of a part toward the camera.
    void Orient(TBulletPart& part);

    std::unique_ptr<TMotionHelper> m_motion;
    std::int32_t m_flightFrames;
    std::int32_t m_tailFrames;
    bool m_ended = false;
    bool m_startParked;
    TFrame* m_sceneFrame = nullptr;
    TFrame* m_cameraFrame = nullptr;
    std::uint16_t m_hitElement = 0;
};

// The parts of one class, held by value; the count is fixed when the prototype is built.
template <class Part>
class TTrailShot : public TShot {
    friend struct TShotProbe;
public:
    using PartType = Part;

    std::size_t GetPartCount() const override { return m_parts.size(); }
    TBulletPart& GetPart(std::size_t i) override { return m_parts[i]; }

protected:
    // name: a texture key (particle parts) or a mesh file (mesh parts); at least one part.
    TTrailShot(const std::string& name, std::int32_t flightFrames, std::int32_t partCount, bool startParked,
               const float scale[3])
        : TShot(flightFrames, partCount, startParked)
    {
        const std::size_t n = partCount > 1 ? static_cast<std::size_t>(partCount) : 1;
        m_tailFrames = static_cast<std::int32_t>(n);
        m_parts.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            const Part built(name, scale);
            m_parts.push_back(built);
        }
    }
    // Every part copied with a frame of its own.
    TTrailShot(const TTrailShot& other) : TShot(other)
    {
        m_parts.reserve(other.m_parts.size());
        for (const Part& part : other.m_parts) {
            m_parts.push_back(part);
        }
    }
    ~TTrailShot() override { DropMotion(); }

    std::vector<Part> m_parts;
};

// What the linked classes add over their unlinked base: the attack hit and its owner's id.
template <class Base>
class TLinkedShot : public Base {
    friend struct TShotProbe;
public:
    void SetAttackHit(const TRefPtr<TAttackHit>& hit) override;
    bool IsHitAlive() override;

    std::int32_t GetOwnerId() const { return m_ownerId; }

protected:
    using Base::Base;
    // A clone starts without a hit.
    TLinkedShot(const TLinkedShot& other) : Base(other) {}

    void OnTailEnd() override;

    TRefPtr<TAttackHit> m_attackHit;
    std::int32_t m_ownerId = -2;
};

template <class Base>
void TLinkedShot<Base>::SetAttackHit(const TRefPtr<TAttackHit>& hit)
{
    if (hit.Get() != m_attackHit.Get()) {
        m_attackHit = hit;
    }
    if (m_attackHit.Get() != nullptr) {
        m_ownerId = static_cast<std::int32_t>(m_attackHit->GetOwnerId());
    }
}

template <class Base>
bool TLinkedShot<Base>::IsHitAlive()
{
    if (m_attackHit.Get() == nullptr || m_attackHit->IsAlive()) {
        return true;
    }
    m_attackHit = TRefPtr<TAttackHit>();
    return false;
}

template <class Base>
void TLinkedShot<Base>::OnTailEnd()
{
    if (m_attackHit.Get() != nullptr) {
        m_attackHit->Kill();
    }
}
