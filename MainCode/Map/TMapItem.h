// An item or a money bag lying on the map: it bobs and spins a little above the floor over its
// shadow, and when the player comes close it is collected, rises, spins faster and fades out. A
// placed item remembers in its pick-up flag that it was taken; one without a flag fades out on its
// own after a while.
#pragma once

#include <cstdint>
#include <string>

#include "TCommon/TLinearRamp.h"
#include "MainCode/Map/TMapObject.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

class TMesh8;

class TMapItem : public TMapObject {
    friend struct TMapProbe;
public:
    static constexpr std::int32_t kMoney = -1;    // item id of a money bag
    static constexpr std::int32_t kNoFlag = -1;   // pick-up flag index of an item that comes back
    static constexpr std::int32_t kEndless = -1;  // lifetime
    static constexpr std::int32_t kLifetime = 1000;
    static constexpr float kPickupRadius = 1.2F;
    static constexpr std::int32_t kBobSteps = 100;
    static constexpr float kBobStep = 0.001F;
    static constexpr float kBobTurn = 0.04F;
    static constexpr float kRiseTurn = 0.08F;
    static constexpr float kRiseStep = 0.01F;
    static constexpr std::int32_t kFadeSteps = 100;
    static constexpr std::uint32_t kMoneySound = 217;
    static constexpr std::uint32_t kItemSound = 215;
    static constexpr std::uint16_t kShadowMaterial = 3000;
    static constexpr float kShadowSize = 0.8F;
    static constexpr float kShadowLift = 0.01F;
    // Update results besides kNothing.
    static constexpr std::uint32_t kRefused = 0;  // the inventory could take no more
    static constexpr std::uint32_t kTaken = 2;

    TMapItem(TAreaBase* area, std::int32_t itemId, std::int32_t flagIndex, std::int32_t money,
             const D3DXVECTOR3& position);
    std::uint32_t Update() override;
    // Takes the item and its shadow off the map.
    void Finish() override;

    // "item/coin00.msh" for money; by the item's model kind: 0 the bag, 1 the weapon's own model,
    // 2 the ring. Any other kind is logged and lies there as a bag.
    static std::string MeshNameOf(std::int32_t itemId);


private:
    using State = std::uint32_t (TMapItem::*)();

    // Counts from `from` toward `to` by `speed` a call (below 1: by 1 every -speed calls); false
    // once it went past `to`, clamped there.
    struct StepCounter {
        std::int32_t value = 0;
        std::int32_t from = 0;
        std::int32_t to = kBobSteps;
        std::int32_t speed = 1;
        std::int32_t subStep = 0;
        bool Step();
    };

    void Build();
    void BuildShadow();
    std::uint32_t Bob(float rise, State next);
    std::uint32_t BobUp() { return Bob(kBobStep, &TMapItem::BobDown); }
    std::uint32_t BobDown() { return Bob(-kBobStep, &TMapItem::BobUp); }
    std::uint32_t Collect();
    std::uint32_t Fade(bool rising);
    std::uint32_t Rise() { return Fade(true); }
    std::uint32_t Expire() { return Fade(false); }
    std::uint32_t Idle() { return kNothing; }

    std::int32_t m_flagIndex;
    std::int32_t m_itemId;
    std::int32_t m_money;
    std::int32_t m_lifetime;
    D3DXVECTOR3 m_position;
    float m_radius = kPickupRadius;
    float m_unused = 0.6F;
    TRefPtr<TFrame> m_itemFrame;
    TRefPtr<TFrame> m_shadowFrame;
    TMesh8* m_mesh = nullptr;
    State m_state = &TMapItem::BobUp;
    StepCounter m_bob;
    TFloatRamp m_fade;
};
