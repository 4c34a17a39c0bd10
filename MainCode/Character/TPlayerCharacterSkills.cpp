// The common skills: the MP payment, the two handlers of a running skill with their chains, the
// firing rule the wave routines share and every routine's waves.
#include <algorithm>
#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Effect/TSpawnPathEffect.h"
#include "MainCode/Effect/TThunderEffect.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/TMenuSound.h"
#include "dx/dx8/3d/TMesh8.h"

namespace {

const D3DXVECTOR3 kForward(0.0F, 0.0F, 1.0F);
const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
const float kUnit[3] = {1.0F, 1.0F, 1.0F};

constexpr float kEventTime = 4.5F;
constexpr float kFireTime = 5.0F;
constexpr float kChargedFireTime = 6.0F;
constexpr std::uint32_t kChargedVoice = 1000;
constexpr std::uint32_t kHealSound = 503;
constexpr float kDegree = 3.14159265F / 180.0F;

struct Uniform {
    explicit Uniform(float k) : v{k, k, k} {}
    float v[3];
};

D3DXVECTOR3 Turned(const D3DXVECTOR3& v, float degrees)
{
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, degrees * kDegree);
    D3DXVECTOR3 out;
    D3DXVec3TransformNormal(&out, &v, &turn);
    return out;
}

// ((r & 127) - 64) / d, plus one for an odd draw and minus one for an even one.
float Scatter(std::uint32_t r, float d)
{
    return static_cast<float>(static_cast<std::int32_t>(r & 127) - 64) / d + ((r & 1) != 0 ? 1.0F : -1.0F);
}

float Spread(std::uint32_t r, float d) { return static_cast<float>(static_cast<std::int32_t>(r & 127) - 64) / d; }

}  // namespace

bool TPlayerCharacter::SpendMp(std::uint32_t cost)
{
    // Unsigned on purpose: MP equal to the cost is not enough.
    if (m_manaSeal.IsRunning() || static_cast<std::uint32_t>(m_mp) <= cost) {
        PlaySound(kSoundRefused);
        return false;
    }
    ConsumeMp(static_cast<std::int32_t>(std::max<std::uint32_t>(cost, 1)));
    return true;
}

bool TPlayerCharacter::SetStateAtMotionEnd(std::uint32_t state)
{
    if (m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        return true;
    }
    ClearCommandQueue();
    return SetState(state) != 0;
}

bool TPlayerCharacter::PlayMotionOnly() { return m_bodyMesh->AdvanceMorph(false, 1.0F); }

bool TPlayerCharacter::UpdateSkillAction() { return ChainAfterSkill(false); }
bool TPlayerCharacter::UpdateChainedSkillAction() { return ChainAfterSkill(true); }

bool TPlayerCharacter::ChainAfterSkill(bool chained)
{
    if (m_currentPatternAction != nullptr && (this->*m_currentPatternAction)()) {
        return true;
    }
    std::uint32_t p = 0;
    const std::uint32_t kind = TakeReservedAction(&p);
    if (kind == 1) {
        SetSubState(GetChainAction());
        return true;
    }
    if (kind == 2 && p != 0 && p != 1 && !(chained && p == 3) && !IsChainBlocked(p)) {
        SetSubState(p);
        // A number the hero has no action for is ignored by it and counts as refused.
        if (m_state == kStateAction && m_subState == p) {
            if (!chained && p == 3) {
                m_actionFired = 0;
                m_actionSlotA = 0;
                m_actionSlotB = 0;
                m_currentPatternAction = m_queuedPatternAction;
            }
            return true;
        }
    }
    SetSubState(chained ? 4 : 2);
    return true;
}

bool TPlayerCharacter::FireSkillEvent(std::uint32_t id, std::uint32_t cost)
{
    if (m_actionFired == 0 && m_bodyMesh->GetMorphTime() > kEventTime) {
        if (SpendMp(cost)) {
            FireEvent(static_cast<std::uint16_t>(id));
            PlayActionVoice(id);
        }
        m_actionFired = 1;
    }
    return m_bodyMesh->AdvanceMorph(false, 1.0F);
}

bool TPlayerCharacter::RunSkillWaves(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                                     std::uint32_t voice, SkillWave wave, std::uint32_t extra, SkillFiring firing)
{
    if (m_actionFired != 0) {
        return m_bodyMesh->AdvanceMorph(false, 1.0F);
    }
    if (m_bodyMesh->GetMorphTime() < (charged ? kChargedFireTime : kFireTime)) {
        m_bodyMesh->AdvanceMorph(false, 1.0F);
        return true;
    }
    // From here the motion holds while the waves fire.
    if (m_actionSlotA == 0 && m_actionSlotB == 0) {
        if (!SpendMp(cost)) {
            m_actionFired = 1;
            return true;
        }
        PlayActionVoice(voice);
        if (firing != nullptr && !(this->*firing)(charged)) {
            m_actionFired = 1;
            return true;
        }
    }
    ++m_actionSlotA;
    if (m_actionSlotA != interval) {
        return true;
    }
    (this->*wave)(m_actionSlotB, charged, extra);
    m_actionSlotA = 0;
    ++m_actionSlotB;
    if (m_actionSlotB == count) {
        m_actionSlotB = 0;
        m_actionFired = 1;
    }
    return true;
}

// ---- the routines ----

bool TPlayerCharacter::FireSkillEventRepeat(std::uint32_t id, std::uint32_t cost, std::uint32_t interval,
                                            std::uint32_t count, bool charged)
{
    return RunSkillWaves(cost, interval, count, charged, id, &TPlayerCharacter::WaveEvent, id);
}

bool TPlayerCharacter::SkillLineBurst(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged)
{
    return RunSkillWaves(cost, interval, count, charged, charged ? 11002 : 10002, &TPlayerCharacter::WaveLineBurst);
}

bool TPlayerCharacter::SkillLineBlast(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged)
{
    return RunSkillWaves(cost, interval, count, charged, charged ? 11052 : 10052, &TPlayerCharacter::WaveLineBlast);
}

bool TPlayerCharacter::SkillLineQuake(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged)
{
    return RunSkillWaves(cost, interval, count, charged, charged ? 11054 : 10054, &TPlayerCharacter::WaveLineQuake);
}

bool TPlayerCharacter::SkillRandomQuake(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                                        std::uint32_t voice)
{
    return RunSkillWaves(cost, interval, count, charged, voice + (charged ? kChargedVoice : 0),
                         &TPlayerCharacter::WaveRandomQuake);
}

bool TPlayerCharacter::SkillTwinFan(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged)
{
    return RunSkillWaves(cost, interval, count, charged, charged ? 11014 : 10014, &TPlayerCharacter::WaveTwinFan);
}

bool TPlayerCharacter::SkillPathFan(std::uint32_t cost, std::uint32_t interval, std::uint32_t voice)
{
    return RunSkillWaves(cost, interval, 2, false, voice, &TPlayerCharacter::WavePathFan);
}

bool TPlayerCharacter::SkillPathBurst(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                                      std::uint32_t voice)
{
    return RunSkillWaves(cost, interval, count, charged, voice + (charged ? kChargedVoice : 0),
                         &TPlayerCharacter::WavePathBurst);
}

bool TPlayerCharacter::SkillHoming(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                                   std::uint32_t voice)
{
    // The old targets go before the payment is even tried.
    if (m_actionFired == 0 && m_actionSlotA == 0 && m_actionSlotB == 0 &&
        m_bodyMesh->GetMorphTime() >= (charged ? kChargedFireTime : kFireTime)) {
        m_homingTargets.clear();
    }
    return RunSkillWaves(cost, interval, count, charged, voice + (charged ? kChargedVoice : 0),
                         &TPlayerCharacter::WaveHoming, 0, &TPlayerCharacter::FireHoming);
}

bool TPlayerCharacter::SkillRain(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                                 std::uint32_t voice)
{
    return RunSkillWaves(cost, interval, count, charged, voice + (charged ? kChargedVoice : 0),
                         &TPlayerCharacter::WaveRain);
}

bool TPlayerCharacter::SkillHeal(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged)
{
    return RunSkillWaves(cost, interval, count, charged, 10044 + (charged ? kChargedVoice : 0),
                         &TPlayerCharacter::WaveHeal, 0, &TPlayerCharacter::FireHeal);
}

bool TPlayerCharacter::SkillBlessing(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                                     std::uint32_t voice)
{
    return RunSkillWaves(cost, interval, count, charged, voice + (charged ? kChargedVoice : 0),
                         &TPlayerCharacter::WaveBlessing, 0, &TPlayerCharacter::FireBlessing);
}

// ---- the waves ----

void TPlayerCharacter::WaveEvent(std::uint32_t, bool, std::uint32_t id) { FireEvent(static_cast<std::uint16_t>(id)); }

void TPlayerCharacter::WaveLineBurst(std::uint32_t wave, bool charged, std::uint32_t)
{
    static const float kScales[5][3] = {
        {0.8F, 1.2F, 0.8F}, {0.7F, 1.1F, 0.7F}, {0.6F, 1.0F, 0.6F}, {0.5F, 0.9F, 0.5F}, {0.4F, 0.8F, 0.4F},
    };
    const float* s = kScales[std::min<std::uint32_t>(wave, 4)];
    const float k = charged ? 1.0F : 0.8F;
    const float scale[3] = {s[0] * k, s[1] * k, s[2] * k};
    const float flame[4] = {1.0F, 0.4F, 0.2F, 1.0F};
    const float flare[4] = {1.0F, 0.7F, 0.1F, 1.0F};
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    GetPosition(&position);
    GetFront(&front);
    const D3DXVECTOR3 point = position + static_cast<float>(wave + 1) * front;
    RaiseEffect(600, point, front, m_referenceFrame, flame, scale);
    RaiseEffect(904, point + D3DXVECTOR3(0.0F, 0.5F, 0.0F), front, m_referenceFrame, flare, scale);
    AddMeleeHit(charged ? 3001 : 2001, point);
    PlaySound(500);
}

void TPlayerCharacter::WaveLineBlast(std::uint32_t wave, bool charged, std::uint32_t)
{
    const float violet[4] = {0.25F, 0.0F, 0.5F, 1.0F};
    const float dusk[4] = {0.3F, 0.0F, 0.3F, 1.0F};
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    GetPosition(&position);
    GetFront(&front);
    const D3DXVECTOR3 q = position + static_cast<float>(wave + 1) * front + D3DXVECTOR3(0.0F, 0.2F, 0.0F);
    RaiseEffect(51, q, kForward, m_referenceFrame, violet, kUnit);
    const D3DXVECTOR3 spin(0.0F, 0.0F, static_cast<float>(genrand_int31()));
    RaiseEffect(103, q, spin, m_referenceFrame, dusk, Uniform(charged ? 1.5F : 2.0F).v);
    AddMeleeHit(charged ? 3502 : 2502, q);
    PlaySound(501);
}

void TPlayerCharacter::QuakeAt(const D3DXVECTOR3& point, std::uint32_t hitCode)
{
    D3DXVECTOR3 front;
    GetFront(&front);
    if (TEffect* quake = RaiseEffect(121, point, front, m_referenceFrame, kWhite, kUnit)) {
        TRefPtr<TAttackHit> hit;
        CreateAttackHit(hit, hitCode, quake->GetFrame(), nullptr);
        TEffect* sparks =
            RaiseEffect(122, point + D3DXVECTOR3(0.0F, 0.3F, 0.0F), front, m_referenceFrame, kWhite, kUnit);
        // The bolt holds until its strike is spent, then ends and fades its sparks: without the
        // two it would stand there for good.
        if (auto* bolt = dynamic_cast<TThunderEffect*>(quake)) {
            bolt->SetWatched(hit);
            bolt->SetLinkedParticles(dynamic_cast<TJitterParticleEffect*>(sparks));
        }
    }
    RaiseEffect(600, point, front, m_referenceFrame, kWhite, kUnit);
    RaiseEffect(904, point, front, m_referenceFrame, kWhite, kUnit);
    PlaySound(507);
}

void TPlayerCharacter::WaveLineQuake(std::uint32_t wave, bool charged, std::uint32_t)
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    GetPosition(&position);
    GetFront(&front);
    QuakeAt(position + static_cast<float>(wave + 1) * front, charged ? 3506 : 2506);
}

void TPlayerCharacter::WaveRandomQuake(std::uint32_t, bool, std::uint32_t)
{
    D3DXVECTOR3 position;
    GetPosition(&position);
    const float x = Scatter(genrand_int31(), 30.0F);
    const float z = Scatter(genrand_int31(), 30.0F);
    QuakeAt(position + D3DXVECTOR3(x, 0.0F, z), 3506);
}

void TPlayerCharacter::WaveTwinFan(std::uint32_t wave, bool charged, std::uint32_t)
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    D3DXVECTOR3 right;
    GetPosition(&position);
    GetFront(&front);
    GetRight(&right);
    const float k = static_cast<float>(wave);
    const float reach = std::min(0.5F * k, 5.0F);
    const D3DXVECTOR3 sides[2] = {Turned(right, -10.0F * k), Turned(-right, 10.0F * k)};
    for (const D3DXVECTOR3& side : sides) {
        const D3DXVECTOR3 point = position + reach * side + D3DXVECTOR3(0.0F, 0.2F, 0.0F);
        if (auto* ice = dynamic_cast<TOwnedAnimEffect*>(
                RaiseEffect(charged ? 218 : 216, point, front, m_referenceFrame, kWhite, kUnit))) {
            ice->SetOwnerId(static_cast<std::int32_t>(GetObjectId()));
        }
        RaiseEffect(55, point, kForward, m_referenceFrame, kWhite, kUnit);
        AddMeleeHit(charged ? 3108 : 2108, point);
    }
    PlaySound(504);
}

void TPlayerCharacter::PathShotAt(const D3DXVECTOR3& point, const D3DXVECTOR3& direction)
{
    static const D3DXVECTOR3 kSpawnOffsets[4] = {
        {0.0F, 0.2F, 0.3F}, {-0.5F, 0.1F, 0.0F}, {0.5F, 0.2F, 0.0F}, {0.0F, 0.3F, 0.5F}};
    static const D3DXVECTOR3 kPathVectors[3] = {{0.0F, 1.0F, 0.5F}, {0.5F, 0.5F, 0.3F}, {-0.3F, 0.7F, 0.2F}};
    const D3DXVECTOR3 ones(1.0F, 1.0F, 1.0F);
    if (auto* path = dynamic_cast<TSpawnPathEffect*>(
            RaiseEffect(214, point, direction, m_referenceFrame, kWhite, Uniform(2.0F).v))) {
        path->SetOwnerId(static_cast<std::int32_t>(GetObjectId()));
        path->SetSpawnEffectId(54);
        for (std::uint32_t i = 0; i < 4; ++i) {
            path->AddSpawnPoint(2.0F * static_cast<float>(i + 1), &kSpawnOffsets[i]);
        }
        for (const D3DXVECTOR3& v : kPathVectors) {
            path->AddPathPoint(54, &v, &ones, kWhite);
        }
    }
    AddMeleeHit(3304, point);
}

void TPlayerCharacter::WavePathFan(std::uint32_t wave, bool, std::uint32_t)
{
    static const float kAngles[3] = {0.0F, 45.0F, -45.0F};
    static const float kDistances[3] = {1.8F, 2.5F, 1.8F};
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    GetPosition(&position);
    GetFront(&front);
    const std::uint32_t first = wave == 0 ? 0 : 1;
    const std::uint32_t last = wave == 0 ? 0 : 2;
    for (std::uint32_t i = first; i <= last; ++i) {
        const D3DXVECTOR3 along = Turned(front, kAngles[i]);
        PathShotAt(position + kDistances[i] * along, along);
    }
}

void TPlayerCharacter::WavePathBurst(std::uint32_t wave, bool, std::uint32_t)
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    GetPosition(&position);
    GetFront(&front);
    const D3DXVECTOR3 point = position + 1.5F * static_cast<float>(wave + 1) * front;
    PathShotAt(point, Turned(front, static_cast<float>(genrand_int31())));
}

bool TPlayerCharacter::FireHoming(bool charged)
{
    GetPosition(&m_launchPoint);
    TEnemyFactory* factory = m_area != nullptr ? m_area->GetEnemyFactory() : nullptr;
    if (factory != nullptr) {
        const std::uint32_t most = charged ? 10 : 3;
        std::uint32_t ids[10];
        std::fill(ids, ids + 10, kNoTarget);
        factory->FindEnemiesInRange(m_launchPoint, charged ? 20.0F : 15.0F, ids, most);
        for (std::uint32_t i = 0; i < most && ids[i] != kNoTarget; ++i) {
            m_homingTargets.push_back(ids[i]);
        }
    }
    return !m_homingTargets.empty();
}

void TPlayerCharacter::WaveHoming(std::uint32_t wave, bool charged, std::uint32_t)
{
    TEnemyFactory* factory = m_area != nullptr ? m_area->GetEnemyFactory() : nullptr;
    if (factory == nullptr) {
        return;
    }
    const float t = 0.1F * static_cast<float>(wave + 1);
    bool found = false;
    for (const std::uint32_t id : m_homingTargets) {
        const TRefPtr<TEnemy> enemy = factory->GetEnemy(id);
        if (enemy.Get() == nullptr) {
            continue;
        }
        found = true;
        D3DXVECTOR3 p;
        enemy->GetPosition(&p);
        const D3DXVECTOR3 point = m_launchPoint + (p - m_launchPoint) * t;
        D3DXVECTOR3 facing = m_launchPoint - p;
        if (D3DXVec3Length(&facing) > 0.0F) {
            D3DXVec3Normalize(&facing, &facing);
        } else {
            facing = kForward;
        }
        if (auto* ice = dynamic_cast<TOwnedAnimEffect*>(
                RaiseEffect(charged ? 222 : 220, point, facing, m_referenceFrame, kWhite, kUnit))) {
            ice->SetOwnerId(static_cast<std::int32_t>(GetObjectId()));
        }
        if (wave == 9) {
            RaiseEffect(55, p, kForward, m_referenceFrame, kWhite, kUnit);
            AddMeleeHit(charged ? 3110 : 2110, p);
        }
    }
    if (found) {
        PlaySound(504);
    }
}

void TPlayerCharacter::WaveRain(std::uint32_t, bool charged, std::uint32_t)
{
    D3DXVECTOR3 front;
    GetFront(&front);
    const float k = charged ? 1.0F / 800.0F : 1.0F / 1000.0F;
    for (int i = 0; i < 3; ++i) {
        const float x = Scatter(genrand_int31(), 24.0F);
        const float z = Scatter(genrand_int31(), 48.0F);
        const float height = 5.0F + static_cast<float>(genrand_int31() & 127) / 24.0F;
        const float speed = static_cast<float>(genrand_int31() & 127) * k + 0.15F;
        LaunchEffectAction(1.5F * front + D3DXVECTOR3(x, 0.0F, z), height, speed);
    }
}

void TPlayerCharacter::GrantItemMeaning(std::uint32_t meaningId, std::int32_t heal)
{
    TGameData* data = TGameData::GetInstance();
    if (data != nullptr && data->GetTimedFlags(m_characterIndex) != nullptr) {
        data->GetTimedFlags(m_characterIndex)->Set(TItemMeanTable::CreateInstance(meaningId));
    }
    RecoverHp(heal);
}

bool TPlayerCharacter::FireHeal(bool charged)
{
    GrantItemMeaning(charged ? 1001 : 1000, charged ? 600 : 500);
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    GetPosition(&position);
    GetFront(&front);
    const float glow[4] = {charged ? 0.8F : 0.2F, 0.4F, charged ? 0.2F : 0.8F, 1.0F};
    const D3DXVECTOR3 centre = position + D3DXVECTOR3(0.0F, m_centerHeight, 0.0F);
    RaiseEffect(charged ? 909 : 908, centre, kForward, m_referenceFrame, glow, kUnit);
    RaiseEffect(charged ? 114 : 115, centre, front, m_referenceFrame, kWhite, Uniform(2.0F).v);
    RaiseEffect(107, position + D3DXVECTOR3(0.0F, 0.01F, 0.0F), kForward, m_referenceFrame, kWhite, kUnit);
    RaiseEffect(5, position + 0.8F * front + D3DXVECTOR3(0.0F, 1.2F * m_centerHeight, 0.0F), kForward,
                m_referenceFrame, kWhite, kUnit);
    PlaySound(kHealSound);
    return true;
}

void TPlayerCharacter::WaveHeal(std::uint32_t wave, bool, std::uint32_t)
{
    static const float kSpread[5] = {330.0F, 270.0F, 210.0F, 150.0F, 90.0F};
    static const float kHeight[5] = {0.1F, 0.4F, 0.7F, 1.0F, 1.3F};
    const std::uint32_t row = std::min<std::uint32_t>(wave, 4);
    D3DXVECTOR3 position;
    GetPosition(&position);
    for (std::uint32_t i = 0; i < wave + 5; ++i) {
        const float x = Spread(genrand_int31(), kSpread[row]);
        const float z = Spread(genrand_int31(), kSpread[row]);
        RaiseEffect(119, position + D3DXVECTOR3(x, kHeight[row], z), kForward, m_referenceFrame, kWhite, kUnit);
    }
}

bool TPlayerCharacter::FireBlessing(bool charged)
{
    GrantItemMeaning(charged ? 1003 : 1002, charged ? 1000 : 800);
    static const float kGlows[3][4] = {
        {0.5F, 0.2F, 0.2F, 1.0F}, {0.2F, 0.5F, 0.2F, 1.0F}, {0.2F, 0.2F, 0.5F, 1.0F}};
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    GetPosition(&position);
    GetFront(&front);
    const D3DXVECTOR3 centre = position + D3DXVECTOR3(0.0F, m_centerHeight, 0.0F);
    for (const float* glow : kGlows) {
        RaiseEffect(908, centre, kForward, m_referenceFrame, glow, kUnit);
        RaiseEffect(910, position, kForward, m_referenceFrame, glow, kUnit);
    }
    RaiseEffect(115, centre, front, m_referenceFrame, kWhite, kUnit);
    RaiseEffect(107, position + D3DXVECTOR3(0.0F, 0.01F, 0.0F), kForward, m_referenceFrame, kWhite, kUnit);
    RaiseEffect(5, position + 0.8F * front + D3DXVECTOR3(0.0F, 1.2F * m_centerHeight, 0.0F), kForward,
                m_referenceFrame, kWhite, kUnit);
    PlaySound(kHealSound);
    return true;
}

void TPlayerCharacter::WaveBlessing(std::uint32_t wave, bool, std::uint32_t)
{
    // A burst at the chest and a few more sparkles every wave, rising as the waves go on.
    D3DXVECTOR3 position;
    GetPosition(&position);
    RaiseEffect(103, position + D3DXVECTOR3(0.0F, m_centerHeight, 0.0F), kForward, m_referenceFrame, kWhite, kUnit);
    for (std::uint32_t i = 0; i < wave + 3; ++i) {
        const float x = Spread(genrand_int31(), 150.0F);
        const float z = Spread(genrand_int31(), 150.0F);
        const float y = 0.1F + 0.3F * static_cast<float>(std::min<std::uint32_t>(wave, 4));
        RaiseEffect(119, position + D3DXVECTOR3(x, y, z), kForward, m_referenceFrame, kWhite, kUnit);
    }
}

TEffect* TPlayerCharacter::RaiseEffect(std::uint32_t id, const D3DXVECTOR3& at, const D3DXVECTOR3& direction,
                                       TFrame* parent, const float* colour, const float* scale)
{
    if (m_effectManager == nullptr) {
        return nullptr;
    }
    return m_effectManager->Create(id, &at, &direction, parent, m_area, colour, scale);
}
