// What every enemy does on its own: the shared states, the five reactions to a hit, going down and
// dying, and the decision of what to do next from the two behaviour tables.
#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "dx/dx8/3d/TMeshGeometry.h"

namespace {

constexpr std::uint32_t kKnockDown = 0x20;
constexpr std::uint32_t kKnockDownHard = 0x40;
constexpr std::uint32_t kPlayerAction = 19;

// Behaviour per row (the decision's situation) and draw; the second table is the tougher enemies'.
constexpr std::uint8_t kBehaviours[2][TEnemy::kBehaviourRows][TEnemy::kBehaviourColumns] = {
    {
        {1, 1, 1, 1, 1, 1, 1, 5, 6, 4},
        {1, 1, 1, 2, 2, 2, 4, 4, 5, 6},
        {1, 1, 1, 1, 3, 3, 3, 3, 5, 6},
        {1, 1, 4, 4, 2, 2, 2, 2, 5, 6},
        {3, 3, 3, 3, 3, 3, 3, 3, 3, 2},
        {3, 3, 3, 3, 3, 3, 3, 2, 2, 2},
        {4, 4, 4, 4, 1, 2, 5, 5, 6, 6},
        {2, 2, 2, 2, 2, 4, 4, 5, 5, 6},
        {6, 4, 5, 5, 6, 6, 2, 2, 2, 2},
        {2, 5, 5, 6, 6, 2, 2, 2, 2, 2},
        {2, 4, 4, 4, 4, 4, 2, 2, 2, 2},
        {2, 5, 5, 5, 6, 6, 6, 2, 2, 2},
        {2, 1, 1, 4, 2, 2, 2, 5, 5, 6},
        {6, 1, 1, 4, 2, 2, 2, 5, 5, 6},
        {6, 1, 1, 1, 1, 1, 4, 5, 5, 6},
        {6, 3, 3, 3, 3, 3, 1, 1, 1, 5},
        {6, 4, 4, 4, 4, 2, 2, 5, 5, 6},
        {6, 4, 4, 4, 2, 2, 2, 5, 5, 6},
        {6, 1, 1, 1, 1, 1, 1, 1, 1, 3},
        {3, 1, 1, 1, 1, 1, 1, 1, 3, 3},
        {3, 1, 1, 1, 1, 7, 7, 7, 7, 5},
        {6, 4, 4, 4, 4, 4, 4, 4, 4, 2},
        {2, 2, 2, 2, 2, 2, 2, 2, 2, 5},
    },
    {
        {1, 1, 1, 1, 1, 1, 7, 5, 6, 4},
        {1, 1, 1, 2, 2, 2, 4, 4, 5, 6},
        {1, 1, 1, 1, 1, 3, 3, 7, 6, 5},
        {1, 1, 4, 4, 2, 2, 2, 2, 5, 6},
        {3, 3, 3, 3, 3, 3, 3, 3, 3, 2},
        {3, 3, 3, 3, 3, 3, 3, 2, 2, 2},
        {4, 4, 4, 4, 7, 7, 1, 2, 5, 6},
        {2, 2, 2, 2, 7, 7, 5, 5, 6, 6},
        {4, 4, 5, 5, 6, 6, 2, 2, 2, 7},
        {5, 5, 6, 6, 2, 2, 2, 2, 7, 7},
        {4, 4, 4, 4, 4, 2, 2, 2, 2, 2},
        {5, 5, 5, 6, 6, 6, 2, 2, 2, 2},
        {1, 1, 1, 1, 1, 4, 2, 2, 5, 6},
        {1, 1, 1, 2, 2, 2, 4, 7, 5, 6},
        {1, 1, 1, 1, 1, 1, 1, 4, 5, 6},
        {3, 3, 3, 1, 1, 1, 1, 1, 5, 6},
        {4, 4, 2, 2, 1, 1, 5, 5, 6, 6},
        {4, 4, 2, 2, 1, 1, 5, 5, 6, 6},
        {1, 1, 1, 1, 1, 1, 1, 3, 3, 7},
        {1, 1, 1, 1, 1, 1, 1, 3, 3, 7},
        {1, 1, 1, 1, 1, 7, 7, 7, 7, 7},
        {4, 4, 4, 4, 4, 1, 1, 7, 2, 2},
        {3, 3, 3, 3, 3, 3, 3, 3, 5, 6},
    },
};

constexpr TEnemy::StateHandler kStates[TEnemy::kStateCount] = {
    &TEnemy::LoopMotion,       &TEnemy::LoopMotion,    &TEnemy::LoopMotion,     &TEnemy::LoopMotion,
    &TEnemy::LoopMotion,       &TEnemy::StaggerForward, &TEnemy::StaggerBack,   &TEnemy::KnockDownForward,
    &TEnemy::KnockDownBack,    &TEnemy::Down,          &TEnemy::Down,           &TEnemy::Launched,
    &TEnemy::Falling,          &TEnemy::Landing,       &TEnemy::StateHeld,      &TEnemy::StateAppear,
    &TEnemy::StateAttack,
};

// A reaction takes over while the enemy stands, staggers or is held, or when the hit is stronger
// than what it is in.
bool Applies(std::uint32_t mode, std::int32_t magnitude)
{
    return mode <= 10 || mode == 100 || static_cast<std::int64_t>(mode) < magnitude;
}

D3DXVECTOR3 WorldOf(const TFrame* frame)
{
    D3DXVECTOR3 p(0.0F, 0.0F, 0.0F);
    frame->GetWorldPosition(&p);
    return p;
}

float DistanceOf(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = a - b;
    return D3DXVec3Length(&d);
}

}  // namespace

std::uint8_t TEnemy::BehaviourAt(bool second, std::uint32_t row, std::uint32_t column)
{
    if (row >= kBehaviourRows || column >= kBehaviourColumns) {
        return 0;
    }
    return kBehaviours[second ? 1 : 0][row][column];
}

TEnemy::StateHandler TEnemy::StateHandlerAt(std::uint32_t state)
{
    return state < kStateCount ? kStates[state] : nullptr;
}

std::uint32_t TEnemy::SetState(std::uint32_t state)
{
    const std::uint32_t result = TGameObject::SetState(state);
    m_stateHandler = StateHandlerAt(state);
    if (m_bodyMesh != nullptr) {
        m_bodyMesh->SetMorph(state);
    }
    return result;
}

void TEnemy::SetSubState(std::uint32_t n)
{
    if (m_attacks == nullptr || n + 1 >= m_attackEntries) {
        return;
    }
    SetState(16);
    TArmedCharacter::SetSubState(n + 1);
    m_attackAction = m_attacks[n + 1].action;
    if (m_bodyMesh != nullptr) {
        m_bodyMesh->SetMorph(m_attacks[n + 1].motion);
    }
}

void TEnemy::ChooseAttackOf(std::uint32_t attackCount)
{
    FaceTarget();
    if (attackCount == 0) {
        return;
    }
    SetSubState(genrand_int32() % attackCount);
}

bool TEnemy::UpdateEnemy(bool resetCombat)
{
    if (IsOutOfRange()) {
        m_alive = 0;
        return false;
    }
    if (resetCombat) {
        const TGameObject* player = m_area != nullptr ? m_area->GetPlayer() : nullptr;
        if (player == nullptr || player->GetState() != kPlayerAction) {
            ResetCombatState();
        }
    }
    Think();
    ProcessPatternFrame();
    if (m_stateHandler != nullptr) {
        (this->*m_stateHandler)();
    }
    FrameUpdate();
    return m_alive != 0;
}

// ---- states ----

bool TEnemy::LoopMotion()
{
    m_bodyMesh->AdvanceMorph(true, 1.0F);
    return true;
}

void TEnemy::Slide(bool back)
{
    const TMorphRecord* morph = m_bodyMesh->GetGeometry()->GetMorphRecord(m_bodyMesh->GetMorphIndex());
    const float last = morph != nullptr && morph->frameCount > 0 ? static_cast<float>(morph->frameCount - 1) : 0.0F;
    const float t = m_bodyMesh->GetMorphTime();
    // A knock-down of speed scale 0 does not slide (it would be thrown to infinity).
    if (t < last && m_knockTime != 0.0F) {
        const float distance = (last - t) / m_knockTime * m_reactionScale;
        m_frame->Translate(0.0F, 0.0F, back ? -distance : distance, true);
    }
}

bool TEnemy::Stagger(bool back, bool knockDown)
{
    Slide(back);
    if (knockDown) {
        if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
            m_reactionScale = 1.0F;
            SetState(back ? 10 : 9);
        }
    } else if (!m_bodyMesh->AdvanceMorph(false, m_reactionScale)) {
        ReturnToIdle();
    }
    return true;
}

bool TEnemy::Down()
{
    if (m_hp > 0) {
        if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
            ReturnToIdle();
            StartFlash(1, static_cast<std::int32_t>(30 + genrand_int32() % 60));
        }
        return true;
    }
    --m_hp;
    if (m_hp > kDownEndHp || m_voiceTimer > 0 || m_alive == 0) {
        return true;
    }
    TPatternEvent death;
    death.EventCode = kDeathEvent;
    OnPatternEvent(death);
    m_alive = 0;
    DropLoot();
    if (auto* player = dynamic_cast<TPlayerCharacter*>(m_area != nullptr ? m_area->GetPlayer() : nullptr)) {
        player->GainExperience(this);
    }
    return true;
}

bool TEnemy::Launched()
{
    if (m_knockTime != 0.0F) {
        m_frame->Translate(0.0F, 0.0F, 0.8F / m_knockTime, true);
    }
    m_bodyMesh->AdvanceMorph(false, 1.0F);
    if (m_velocity.y <= 0.0F) {
        SetState(12);
    }
    return true;
}

bool TEnemy::Falling()
{
    if (m_knockTime != 0.0F) {
        m_frame->Translate(0.0F, 0.0F, 0.8F / m_knockTime, true);
    }
    m_bodyMesh->AdvanceMorph(false, 1.0F);
    if (m_onGround != 0) {
        SetState(13);
    }
    return true;
}

bool TEnemy::Landing()
{
    if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        m_reactionScale = 1.0F;
        SetState(9);
    }
    return true;
}

bool TEnemy::StateHeld()
{
    if (m_longStun != 0) {
        --m_stunTime;
    } else if (!m_bodyMesh->AdvanceMorph(true, 1.0F)) {
        --m_stunTime;
    }
    if (m_stunTime <= 0) {
        ReturnToIdle();
    }
    return true;
}

bool TEnemy::StateAppear()
{
    if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        SetState(0);
    }
    return true;
}

void TEnemy::AttackActionTo(std::uint32_t state)
{
    if (m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        return;
    }
    SetState(state);
    m_thinkTimer = 0;
    Think();
}

void TEnemy::ReturnToIdle()
{
    ResetCombatState();
    SetState(0);
    Think();
}

// ---- the target ----

TFrame* TEnemy::GetTargetFrame()
{
    TGameObject* player = m_area != nullptr ? m_area->GetPlayer() : nullptr;
    if (player == nullptr) {
        return nullptr;
    }
    const std::uint32_t state = player->GetState();
    auto* hero = dynamic_cast<TPlayerCharacter*>(player);
    if (hero == nullptr || (state != 3 && state != 4)) {
        return player->GetFrame();
    }
    const bool far = DistanceOf(WorldOf(player->GetFrame()), WorldOf(m_frame.Get())) > 3.0F;
    TFrame* aim = far ? hero->GetEnemyTarget1() : hero->GetEnemyTarget0();
    return aim != nullptr ? aim : player->GetFrame();
}

void TEnemy::FaceTarget()
{
    if (TFrame* target = GetTargetFrame()) {
        TurnTowardFrame(target);
    }
}

bool TEnemy::IsBehindMovingPlayer()
{
    TGameObject* player = m_area != nullptr ? m_area->GetPlayer() : nullptr;
    if (player == nullptr) {
        return false;
    }
    D3DXVECTOR3 front;
    player->GetFront(&front);
    D3DXVECTOR3 from;
    D3DXVECTOR3 to;
    player->GetCenterPosition(&from);
    GetCenterPosition(&to);
    const D3DXVECTOR3 toEnemy = to - from;
    if (D3DXVec3Dot(&front, &toEnemy) > 0.0F) {
        return false;
    }
    const std::uint32_t state = player->GetState();
    return state >= 3 && state <= 6;
}

// ---- behaviours ----

void TEnemy::BehaviourStand(std::uint32_t state)
{
    FaceTarget();
    if (m_state != state) {
        SetState(state);
    }
}

void TEnemy::BehaviourBlink()
{
    FaceTarget();
    if (m_flashTime <= 0) {
        StartFlash(1, static_cast<std::int32_t>(80 + genrand_int32() % 60));
    }
}

void TEnemy::SetBehaviour(std::uint8_t number)
{
    switch (number) {
    case 0: SetBehaviour0(); break;
    case 1: SetBehaviour1(); break;
    case 2: SetBehaviour2(); break;
    case 3: SetBehaviour3(); break;
    case 4: SetBehaviour4(); break;
    case 5: SetBehaviour5(); break;
    case 6: SetBehaviour6(); break;
    default: SetBehaviour7(); break;
    }
}

void TEnemy::Think()
{
    --m_thinkTimer;
    if (m_reactionMode != kModeNormal) {
        SetBehaviour0();
        return;
    }
    TGameObject* player = m_area != nullptr ? m_area->GetPlayer() : nullptr;
    if (player == nullptr) {
        RunBehaviour();
        return;
    }
    auto* fighter = dynamic_cast<TArmedCharacter*>(player);
    auto* hero = dynamic_cast<TPlayerCharacter*>(player);
    TFrame* target = GetTargetFrame();
    const float d = DistanceOf(WorldOf(target), WorldOf(m_frame.Get()));
    const float heights = player->GetCenterHeight() + m_centerHeight;
    const float near = heights * 1.3F;
    const float close = heights * 1.1F;
    const bool a = fighter != nullptr && fighter->IsSpecialActionState();
    const bool s = fighter != nullptr && fighter->GetReactionMode() != kModeNormal && fighter->GetHp() >= 1;
    const bool pb = fighter != nullptr && fighter->GetFlashTime() > 0;
    const bool e = IsBehindMovingPlayer();
    const bool ob = m_flashTime > 0;
    const std::uint32_t m = player->GetNearbyCount() > 1 ? 1 : 0;
    const bool o = hero != nullptr && static_cast<std::int64_t>(hero->GetLevel()) > static_cast<std::int64_t>(m_level) + 10 &&
                   m_relatedId < 10000;

    if (m_state != 15 && m_state != 16) {
        std::uint32_t row = 0;
        bool decide = true;
        if (m_thinkTimer < -99) {
            m_thinkTimer = static_cast<std::int32_t>(40 + genrand_int32() % 30);
            row = 20;
        } else if (m_thinkTimer > 0) {
            decide = false;
        } else {
            m_thinkTimer = static_cast<std::int32_t>(40 + genrand_int32() % 30);
            if (d >= 8.0F) {
                row = 22;
            } else if (IsOutsideLeash()) {
                row = d > near ? 21 : m;
            } else if (d > 3.0F) {
                row = o ? 17 : 4 + m;
            } else if (d <= near) {
                row = e ? 18 : o ? 16 : s ? 12 : a ? 8 + 2 * m : pb ? 6 : ob ? 14 : m;
            } else if (d < 3.0F) {
                row = e ? 19 : o ? 17 : s ? 13 : a ? 9 + 2 * m : pb ? 7 : ob ? 15 : 2 + m;
            } else {
                row = 0;
            }
        }
        if (decide) {
            SetBehaviour(BehaviourAt(m_tableFlag != 0, row, genrand_int32() % kBehaviourColumns));
            if (IsBehaviour1()) {
                ChooseAttack(d);
            }
        }
    }
    RunBehaviour();
    if (IsBehaviour4()) {
        if (!IsOutsideLeash() && !o && d > 3.0F) {
            m_thinkTimer = 0;
        }
    } else if (IsBehaviour3()) {
        if (d <= close) {
            m_thinkTimer = 0;
        }
    }
}

// ---- reactions ----

void TEnemy::MakePlayerTarget()
{
    auto* hero = dynamic_cast<TPlayerCharacter*>(m_area != nullptr ? m_area->GetPlayer() : nullptr);
    if (hero == nullptr) {
        return;
    }
    if (m_factory != nullptr) {
        const TRefPtr<TEnemy> self = m_factory->GetEnemy(GetObjectId());
        hero->SetTargetEnemy(self.Get());
    } else {
        hero->SetTargetEnemy(this);
    }
}

std::uint32_t TEnemy::ReactLightCommon(std::uint32_t knockFlags, std::int32_t magnitude, std::uint8_t front,
                                       float valueA, float knockTime)
{
    m_stunTime = 4;
    if (!Applies(m_reactionMode, magnitude)) {
        return ReactWithoutInterrupt(false, knockTime);
    }
    m_knockTime = knockTime;
    m_reactionScale = valueA;
    if (knockFlags == kKnockDown || knockFlags == kKnockDownHard) {
        m_reactionMode = kModeDown;
        return SetState(front != 0 ? 7 : 8);
    }
    m_reactionMode = kModeLightHit;
    return SetState(front != 0 ? 5 : 6);
}

std::uint32_t TEnemy::ReactLight(std::uint32_t element, std::int32_t, std::uint32_t knockFlags, std::int32_t magnitude,
                                 std::uint8_t front, float valueA, float knockTime, std::int32_t damage)
{
    MakePlayerTarget();
    HitEffect1(damage, element);
    TakeDamage(damage);
    // A light hit that kills throws the enemy down.
    if (knockFlags == 0 && m_hp == 0) {
        knockFlags = kKnockDownHard;
        valueA = 1.0F;
        knockTime = 120.0F;
    }
    return ReactLightCommon(knockFlags, magnitude, front, valueA, knockTime);
}

std::uint32_t TEnemy::ReactLight2(std::uint32_t element, std::int32_t, std::uint32_t knockFlags,
                                  std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                                  std::int32_t damage)
{
    MakePlayerTarget();
    HitEffect2(damage, element);
    TakeDamage(damage);
    if (knockFlags == 0 && m_hp == 0) {
        knockFlags = kKnockDownHard;
        valueA = 1.0F;
        knockTime = 0.0F;
    }
    return ReactLightCommon(knockFlags, magnitude, front, valueA, knockTime);
}

std::uint32_t TEnemy::ReactLaunch(std::uint32_t element, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                  float, float knockTime, float launchSpeed, std::int32_t damage)
{
    MakePlayerTarget();
    HitEffect4(damage, element);
    TakeDamage(damage);
    m_stunTime = 4;
    if (m_reactionMode < kModeLaunched) {
        m_knockTime = knockTime;
        m_reactionScale = 1.0F;
        m_gravity = -0.002F;
        SetVerticalSpeed(launchSpeed);
        m_reactionMode = kModeLaunched;
        return SetState(11);
    }
    return ReactWithoutInterrupt(false, knockTime);
}

std::uint32_t TEnemy::ReactStun(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                std::int32_t magnitude, std::uint8_t longStun, std::uint8_t front, float valueA,
                                float knockTime, std::int32_t damage)
{
    MakePlayerTarget();
    HitEffectHeavy(damage, element);
    TakeDamage(damage);
    // Only a standing enemy is held by any stun; a staggering one needs a stronger stun than its stagger.
    return ReactStunCommon(element, soundType, knockFlags, magnitude, longStun, front, valueA, knockTime, damage, 7, 8,
                           14, kModeNormal);
}

std::uint32_t TEnemy::ReactHeavy(std::uint32_t element, std::int32_t, std::uint32_t, std::int32_t magnitude,
                                 std::uint8_t front, float valueA, float knockTime, std::int32_t damage)
{
    MakePlayerTarget();
    HitEffectHeavy(damage, element);
    TakeDamage(damage);
    m_stunTime = 4;
    if (Applies(m_reactionMode, magnitude) && m_reactionMode != kModeLaunched) {
        m_knockTime = knockTime;
        m_reactionScale = valueA;
        m_reactionMode = kModeHeavy;
        return SetState(front != 0 ? 7 : 8);
    }
    return ReactWithoutInterrupt(true, knockTime);
}

std::uint32_t TEnemy::ReactWithoutStagger(std::uint32_t kind, std::uint32_t element, std::int32_t damage)
{
    MakePlayerTarget();
    switch (kind) {
    case 1: HitEffect1(damage, element); break;
    case 2: HitEffect2(damage, element); break;
    case 4: HitEffect4(damage, element); break;
    default: HitEffectHeavy(damage, element); break;
    }
    if (kind == 8) {
        m_stunMark = 1;
    }
    TakeDamage(damage);
    if (m_hp == 0) {
        m_reactionMode = kModeDown;
        return SetState(7);
    }
    return 0;
}

const TEnemy::TAttackTable<7> TEnemy::s_sevenAttacks{&TEnemy::AttackAction};
const TEnemy::TAttackTable<10> TEnemy::s_tenAttacks{&TEnemy::AttackAction};

std::uint32_t TEnemy::ReceiveHitUnturned(TAttackHit* hit)
{
    const D3DXMATRIX kept = *m_frame->GetMatrix();
    const std::uint32_t result = TArmedCharacter::ReceiveHit(hit);
    m_frame->SetMatrix(kept);
    ShowHitCountToPlayer();
    m_gaugeTimer = kGaugeFrames;
    return result;
}
