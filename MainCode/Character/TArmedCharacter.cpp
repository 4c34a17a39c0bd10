#include "MainCode/Character/TArmedCharacter.h"

#include <algorithm>
#include <memory>

#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TCollisionWorld.h"
#include "MainCode/Shot/TShotJ.h"

namespace {

constexpr std::uint16_t kBodyMaterial = 2100;
constexpr std::uint32_t kAllMaterials = 0xFFFFFFFFu;

struct ShakeRow {
    std::uint32_t count;
    std::uint32_t framesPerStep;
    float amplitude;
    std::uint32_t axes;
};

// Levels 1 to 5.
constexpr ShakeRow kShakeRows[] = {
    {4, 2, 0.025F, 7}, {4, 2, 0.05F, 7}, {4, 2, 0.075F, 7}, {4, 2, 0.1F, 7}, {20, 2, 0.15F, 7},
};

// A count with a floor of 1, added without overflow.
std::int32_t AddAtLeastOne(std::int32_t value, std::int32_t n)
{
    const std::int64_t sum = static_cast<std::int64_t>(value) + std::max(n, 1);
    return static_cast<std::int32_t>(std::min<std::int64_t>(sum, INT32_MAX));
}

std::int32_t SubtractAtLeastOne(std::int32_t value, std::int32_t n)
{
    const std::int64_t diff = static_cast<std::int64_t>(value) - std::max(n, 1);
    return static_cast<std::int32_t>(std::max<std::int64_t>(diff, INT32_MIN));
}

}  // namespace

TArmedCharacter::TArmedCharacter(std::uint32_t relatedId, float centerHeight, float shadowSize,
                                 std::uint8_t shadowVisible, std::uint8_t pushable, float gravity,
                                 std::uint8_t acceptsKnockDown, std::uint8_t acceptsLaunch, std::uint8_t acceptsStun,
                                 std::int32_t maxHp, std::int32_t hp, std::int32_t maxMp, std::int32_t mp,
                                 std::int32_t str, std::int32_t vit, std::int32_t intel, std::int32_t men, float rate1,
                                 float rate2, float rate3, float rate4, float rate5, float rate6,
                                 const std::string& name)
    : TGameObject(relatedId, centerHeight, shadowSize, shadowVisible, pushable, gravity, name),
      m_patternInfo((name + ".pat").c_str()),
      m_acceptsKnockDown(acceptsKnockDown),
      m_acceptsLaunch(acceptsLaunch),
      m_acceptsStun(acceptsStun),
      m_maxHp(maxHp),
      m_hp(hp),
      m_maxMp(maxMp),
      m_mp(mp),
      m_str(str),
      m_vit(vit),
      m_int(intel),
      m_men(men),
      m_elementRates{rate1, rate2, rate3, rate4, rate5, rate6}
{
    m_weponState.Load((name + ".wpm").c_str());
    MakeWeaponFrames(name);
}

TArmedCharacter::TArmedCharacter(const TArmedCharacter& other)
    : TGameObject(other),
      m_subState(other.m_subState),
      m_reactionScale(other.m_reactionScale),
      m_acceptsKnockDown(other.m_acceptsKnockDown),
      m_acceptsLaunch(other.m_acceptsLaunch),
      m_acceptsStun(other.m_acceptsStun),
      m_maxHp(other.m_maxHp),
      m_hp(other.m_hp),
      m_maxMp(other.m_maxMp),
      m_mp(other.m_mp),
      m_str(other.m_str),
      m_vit(other.m_vit),
      m_int(other.m_int),
      m_men(other.m_men),
      m_elementRates{other.m_elementRates[0], other.m_elementRates[1], other.m_elementRates[2],
                     other.m_elementRates[3], other.m_elementRates[4], other.m_elementRates[5]},
      m_reactionMode(other.m_reactionMode),
      m_stunTime(other.m_stunTime),
      m_longStun(other.m_longStun),
      m_flashTime(other.m_flashTime),
      m_flashFalling(other.m_flashFalling),
      m_flashAlpha(other.m_flashAlpha),
      m_knockTime(other.m_knockTime),
      m_damageTaken(other.m_damageTaken),
      m_hitsTaken(other.m_hitsTaken),
      m_airHits(other.m_airHits),
      m_groundHits(other.m_groundHits),
      m_bestDamage(other.m_bestDamage),
      m_bestHits(other.m_bestHits),
      m_bestAirHits(other.m_bestAirHits),
      m_bestGroundHits(other.m_bestGroundHits),
      m_stunMark(other.m_stunMark),
      m_hitImmunity(other.m_hitImmunity)
{
    // The copy reads its files again and owns new weapon frames; hits stay with the original.
    const std::string& name = other.m_frame->GetName();
    m_patternInfo.Load((name + ".pat").c_str());
    m_weponState.Load((name + ".wpm").c_str());
    MakeWeaponFrames(name);
}

TArmedCharacter::~TArmedCharacter() { ClearHits(); }

void TArmedCharacter::MakeWeaponFrames(const std::string& name)
{
    m_leftWeapon = TRefPtr<TFrame>(new TFrame(name + "LWpn", IdentityMatrix(), nullptr));
    m_rightWeapon = TRefPtr<TFrame>(new TFrame(name + "RWpn", IdentityMatrix(), nullptr));
    // The body's flash stays off the weapons.
    m_leftWeapon->SetMaterialInherit(false);
    m_rightWeapon->SetMaterialInherit(false);
    m_frame->AddChild(m_leftWeapon);
    m_frame->AddChild(m_rightWeapon);
}

void TArmedCharacter::AttachToField(TAreaBase* area)
{
    TGameObject::AttachToField(area);
    m_collisionWorld->RegisterSecondary(this);
}

void TArmedCharacter::DetachFromField()
{
    TGameObject::DetachFromField();
    m_attackLatch = m_eventLatch = m_flashLatch = m_soundLatch = m_voiceLatch = m_shakeLatch = 0;
    ClearHits();
}

void TArmedCharacter::ClearHits()
{
    for (const TRefPtr<TAttackHit>& hit : m_hits) {
        hit->Kill();
    }
    m_hits.clear();
}

void TArmedCharacter::FrameUpdate()
{
    UpdateWeapons();
    UpdateHits();
    UpdateFlash();
    m_juggleApplied = 0;
    m_voiceTimer = std::max(m_voiceTimer - 1, 0);
}

void TArmedCharacter::ApplyHitsTo(TGameObject* target)
{
    if (target->GetObjectId() == GetObjectId()) {
        return;
    }
    for (const TRefPtr<TAttackHit>& hit : m_hits) {
        hit->HitTest(target);
    }
}

std::uint32_t TArmedCharacter::ClearFlash()
{
    m_bodyMesh->SetEmissiveAlpha(1.0F, kAllMaterials);
    m_bodyMesh->SetMaterialType(kBodyMaterial, kAllMaterials);
    m_flashTime = 0;
    m_flashFalling = 0;
    return 0;
}

void TArmedCharacter::StartFlash(std::uint8_t on, std::int32_t frames)
{
    m_flashTime = frames;
    m_flashFalling = 0;
    if (on != 0) {
        m_bodyMesh->SetMaterialType(kBodyMaterial, kAllMaterials);
        m_bodyMesh->SetEmissiveAlpha(0.1F, kAllMaterials);
    }
}

void TArmedCharacter::UpdateFlash()
{
    if (m_flashTime != 0 && m_flashTime != kUnlimitedFlash) {
        if (--m_flashTime <= 0) {
            ClearFlash();
            return;
        }
    }
    if (m_flashTime == 0) {
        return;
    }
    m_flashAlpha += m_flashFalling != 0 ? -0.05F : 0.05F;
    if (m_flashAlpha >= 0.6F || m_flashAlpha <= 0.1F) {
        m_flashFalling = m_flashFalling != 0 ? 0 : 1;
    }
    m_bodyMesh->SetEmissiveAlpha(m_flashAlpha, kAllMaterials);
}

void TArmedCharacter::UpdateWeapons()
{
    const auto motion = static_cast<std::int32_t>(m_bodyMesh->GetMorphIndex());
    const float time = m_bodyMesh->GetMorphTime();
    D3DXMATRIX m;
    m_weponState.GetFirstMatrix(m, motion, time);
    m_leftWeapon->SetMatrix(m);
    m_weponState.GetSecondMatrix(m, motion, time);
    m_rightWeapon->SetMatrix(m);
}

void TArmedCharacter::UpdateHits()
{
    for (auto it = m_hits.begin(); it != m_hits.end();) {
        if ((*it)->Update()) {
            ++it;
            continue;
        }
        (*it)->Kill();
        it = m_hits.erase(it);
    }
}

void TArmedCharacter::ProcessPatternFrame()
{
    const TPatternEvent& frame = FirePatternFrame();
    m_frame->Translate(frame.Displacement.x, frame.Displacement.y, frame.Displacement.z, true);
}

const TPatternEvent& TArmedCharacter::FirePatternFrame()
{
    const TPatternEvent& frame = *m_patternInfo.GetFrame(m_bodyMesh->GetMorphIndex(), m_bodyMesh->GetMorphTime());
    // Each item fires once when it becomes non-zero.
    auto rising = [](bool on, std::uint8_t& latch) {
        if (!on) {
            latch = 0;
            return false;
        }
        if (latch != 0) {
            return false;
        }
        latch = 1;
        return true;
    };
    if (rising(frame.AttackId != 0, m_attackLatch)) {
        OnAttackEvent(frame);
    }
    if (rising(frame.EventCode != 0, m_eventLatch)) {
        OnPatternEvent(frame);
    }
    if (rising(frame.SoundId != 0, m_soundLatch)) {
        PlayFrameSound(frame);
    }
    if (rising(frame.VoiceId != 0, m_voiceLatch)) {
        PlayFrameVoice(frame);
    }
    if (rising(frame.ShakeLevel != 0, m_shakeLatch)) {
        ShakeForFrame(frame);
    }
    if (frame.FlashFlag == 0) {
        // A flash something else has set since is left to run.
        if (m_flashLatch != 0 && m_flashTime == kUnlimitedFlash) {
            ClearFlash();
        }
        m_flashLatch = 0;
    } else if (m_flashLatch == 0) {
        m_flashLatch = 1;
        StartFlash(1, kUnlimitedFlash);
    }
    return frame;
}

void TArmedCharacter::OnAttackEvent(const TPatternEvent& frame)
{
    // The hit list keeps it; this reference only carries it out of CreateAttackHit.
    TRefPtr<TAttackHit> hit;
    CreateAttackHit(hit, frame.AttackId);
}

void TArmedCharacter::ShakeForFrame(const TPatternEvent& frame)
{
    // Levels outside the table are ignored.
    if (m_camera == nullptr || frame.ShakeLevel < 1 || frame.ShakeLevel > std::size(kShakeRows)) {
        return;
    }
    const ShakeRow& row = kShakeRows[frame.ShakeLevel - 1];
    m_camera->StartShake(row.count, row.framesPerStep, row.amplitude, row.axes);
}

std::int32_t TArmedCharacter::RecoverHp(std::int32_t n)
{
    m_hp = std::min(AddAtLeastOne(m_hp, n), m_maxHp);
    return m_maxHp;
}

void TArmedCharacter::RecoverMp(std::int32_t n) { m_mp = std::min(AddAtLeastOne(m_mp, n), m_maxMp); }

void TArmedCharacter::ConsumeMp(std::int32_t n) { m_mp = SubtractAtLeastOne(m_mp, n); }

void TArmedCharacter::ResetCombatState()
{
    m_gravity = m_defaultGravity;
    m_damageTaken = 0;
    m_hitsTaken = 0;
    m_airHits = 0;
    m_groundHits = 0;
    m_reactionMode = kModeNormal;
    m_reactionScale = 1.0F;
    m_longStun = 0;
    m_stunMark = 0;
}

void TArmedCharacter::SpawnElementEffect(std::uint32_t element)
{
    if (m_effectManager == nullptr) {
        return;
    }
    D3DXVECTOR3 position;
    GetPosition(&position);
    position.y += m_centerHeight * 1.2F;
    D3DXVECTOR3 direction;
    m_frame->GetAxis(&direction, 3);
    const float colour[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    const float scale[3] = {1.0F, 1.0F, 1.0F};
    auto create = [&](std::uint32_t id) {
        m_effectManager->Create(id, &position, &direction, m_referenceFrame, m_area, colour, scale);
    };
    if (element <= 6) {
        create(20 + element);
        return;
    }
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    if (ElementPair(element, a, b)) {
        create(a);
        create(b);
    }
}

void TArmedCharacter::LaunchEffectAction(const D3DXVECTOR3& offset, float height, float speed)
{
    if (m_effectManager == nullptr) {
        return;
    }
    D3DXVECTOR3 position;
    GetPosition(&position);
    position += offset;
    position.y += height;
    const D3DXVECTOR3 up(0.0F, 1.0F, 0.0F);
    const float colour[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    const float scale[3] = {1.0F, 1.0F, 1.0F};
    auto* shot = dynamic_cast<TShotJ*>(
        m_effectManager->Create(510, &position, &up, m_referenceFrame, m_area, colour, scale));
    if (shot == nullptr) {
        return;
    }
    // What the rock raises where it lands, after its own end effect.
    const float ember[4] = {0.8F, 0.4F, 0.2F, 1.0F};
    const float flare[4] = {1.0F, 0.7F, 0.1F, 1.0F};
    const D3DXVECTOR3 lift(0.0F, 0.3F, 0.0F);
    shot->AddEndEffect(603, lift, D3DXVECTOR3(0.6F, 1.0F, 0.6F), ember);
    shot->AddEndEffect(904, lift, D3DXVECTOR3(1.0F, 1.0F, 1.0F), flare);

    D3DXVECTOR3 right;
    GetRight(&right);
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, -0.349066F);
    D3DXVECTOR3 direction;
    D3DXVec3TransformNormal(&direction, &right, &turn);
    D3DXVec3Normalize(&direction, &direction);
    // The motion moves the head inside the shot's root, which stands at the launch point.
    D3DXVECTOR3 localDirection = direction;
    shot->GetFrame()->WorldToLocal(&localDirection, direction, false);
    shot->SetMotion(std::make_unique<TAccelMotion>(D3DXVECTOR3(0.0F, 0.0F, 0.0F), localDirection, speed, 0.0F));

    // The hit rides on the head for as long as the rock flies, and its death ends the flight.
    TAttackHitParams params;
    params.Interval = 10;
    params.Flags = 0x181;
    params.Element = 1;
    params.Param3 = 0;
    params.SoundType = -1;
    params.CancelMask = 0;
    params.BaseDamage = static_cast<std::uint32_t>(GetInt());
    params.DamageFactor = 1.0F;
    params.Radius = 0.7F;
    params.ValueA = 1.0F;
    params.KnockTime = 120.0F;
    params.LaunchSpeed = 0.0F;
    params.Param8 = -1;
    const auto lifetime =
        static_cast<std::uint32_t>(shot->GetPartCount() - 1) + static_cast<std::uint32_t>(shot->GetFlightFrames());
    TRefPtr<TAttackHit> hit(new TAttackHitTimedHeld(GetObjectId(), shot->GetModelFrame(), nullptr, 1, lifetime, params));
    m_hits.push_back(hit);
    shot->SetAttackHit(hit);

    auto* trail = dynamic_cast<TShot*>(
        m_effectManager->Create(800, &position, &up, m_referenceFrame, m_area, colour, scale));
    if (trail != nullptr) {
        trail->SetMotion(std::make_unique<THeldRandomOffsetMotion>(shot->GetPart(0).GetFrameRef(),
                                                                   D3DXVECTOR3(0.0F, 0.0F, 0.0F),
                                                                   D3DXVECTOR3(0.0F, 0.1F, 0.0F), 200.0F, 400.0F, 200.0F));
    }
}
