// The smoke and star shots: when the flight ends they raise up to two bursts where the head is and
// let the owner of their hit strike there and play a sound.
#pragma once

#include "MainCode/Shot/TShots.h"

template <class Base>
class TStarShot : public Base {
    friend struct TShotProbe;
public:
    // soundId and the burst ids: -1 none; hitEvent 0 none; hitOffset from the head, in the world.
    TStarShot(const std::string& name, std::int32_t burstIdA, std::int32_t burstIdB, std::int32_t flightFrames,
              std::int32_t partCount, bool startParked, std::int32_t soundId, std::uint16_t hitEvent,
              const float hitOffset[3], const float scale[3]);

    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    void OnHeadEnd() override;

    void SetStarScale(float x, float y, float z);
    void SetStarColour1(float r, float g, float b, float a);
    void SetStarColour2(float r, float g, float b, float a);

protected:
    // Keeps the ids, the sound, the hit code and offset; the area waits for Init.
    TStarShot(const TStarShot& other);

private:
    TAreaBase* m_area = nullptr;
    std::int32_t m_burstIdA;
    std::int32_t m_burstIdB;
    std::int32_t m_soundId;
    std::uint16_t m_hitEvent;
    float m_hitOffset[3];
    float m_burstScale[3] = {1.0F, 1.0F, 1.0F};
    float m_burstColourA[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    float m_burstColourB[4] = {1.0F, 1.0F, 1.0F, 1.0F};
};

class TShotM : public TStarShot<TShotI> {
public:
    using TStarShot::TStarShot;
    TShotM(const TShotM& other) = default;
    TEffect* Clone() const override { return new TShotM(*this); }
};

class TShotN : public TStarShot<TShotF> {
public:
    using TStarShot::TStarShot;
    TShotN(const TShotN& other) = default;
    TEffect* Clone() const override { return new TShotN(*this); }
};

extern template class TStarShot<TShotI>;
extern template class TStarShot<TShotF>;
