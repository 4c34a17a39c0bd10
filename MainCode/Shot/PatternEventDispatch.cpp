// The armed character's pattern events: one event code selects one case, and every case is made of
// the few steps below (effects, shots with their motion and hit, trails, fixed hits, heals).
#include <memory>
#include <utility>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Shot/TFollowFrameMotion.h"
#include "MainCode/Shot/TShot.h"

namespace {

const D3DXVECTOR3 kOrigin(0.0F, 0.0F, 0.0F);
const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);
const D3DXVECTOR3 kRollAxis(0.0F, 0.0F, 1.0F);
const float kUnitScale[3] = {1.0F, 1.0F, 1.0F};

constexpr std::uint32_t kTrailId = 52;
constexpr std::int32_t kTrailFrames = 100;
constexpr std::uint32_t kHealSound = 503;

}  // namespace

TPatternPoints TArmedCharacter::GetPatternPoints() const
{
    TPatternPoints p;
    GetPosition(&p.Position);
    GetCenterPosition(&p.Centre);
    GetFront(&p.Front);
    GetRight(&p.Right);
    m_leftWeapon->GetWorldPosition(&p.Weapon);
    p.Chest = p.Position + D3DXVECTOR3(0.8F * p.Front.x, 1.2F * m_centerHeight + 0.8F * p.Front.y, 0.8F * p.Front.z);
    return p;
}

void TArmedCharacter::OnPatternEvent(const TPatternEvent& frame)
{
    // Only the code is read.
    const std::uint16_t code = frame.EventCode;
    switch (code) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 9:
        BasicActionEvent(code, GetPatternPoints());
        break;
    case 100: case 101: case 102: case 103: case 104: case 105: case 106: case 107:
    case 110: case 111: case 112:
        SlashEvent(code, GetPatternPoints());
        break;
    case 200:
        GroundBlowEvent(GetPatternPoints());
        break;
    case 1000: case 1001: case 1010: case 1011: case 1012: case 1013: case 1014: case 1015:
        StatusEvent(code, GetPatternPoints());
        break;
    case 2000: case 2001: case 2002: case 2003: case 2004: case 2005: case 2006:
    case 3000: case 3001: case 3002: case 3003: case 3004: case 3005:
        ElementMarkEvent(code, GetPatternPoints());
        break;
    case 10000: case 10001: case 10002: case 10004: case 10005: case 10006: case 10010: case 10011: case 10012:
    case 10013: case 10016: case 10020: case 10021: case 10022: case 10023: case 10024: case 10025: case 10026:
    case 10030: case 10031: case 10032: case 10033: case 10034: case 10036: case 10040: case 10041: case 10042:
    case 10050: case 10051: case 10053: case 10055: case 10056:
    case 11000: case 11001: case 11002: case 11004: case 11005: case 11010: case 11011: case 11012: case 11013:
    case 11020: case 11021: case 11022: case 11023: case 11024: case 11025: case 11026: case 11030: case 11031:
    case 11032: case 11033: case 11034: case 11040: case 11041: case 11042: case 11050: case 11051: case 11053:
    case 11055:
        SkillEvent(code, GetPatternPoints());
        break;
    default:
        if (code >= 50000 && code <= 50028 && code != 50021) {
            WeaponSkillEvent(code, GetPatternPoints());
        }
        break;
    }
}

TEffect* TArmedCharacter::CreateEffect(std::uint32_t id, const D3DXVECTOR3& at, const D3DXVECTOR3& direction,
                                       const float colour[4], const float scale[3])
{
    if (m_effectManager == nullptr) {
        return nullptr;
    }
    return m_effectManager->Create(id, &at, &direction, m_referenceFrame, m_area, colour, scale);
}

TShot* TArmedCharacter::FireShot(std::uint32_t shotId, const D3DXVECTOR3& facing, const float colour[4],
                                 const float scale[3], const D3DXVECTOR3* aim, std::unique_ptr<TMotionHelper> motion,
                                 std::int32_t flightFrames, std::uint32_t hitId)
{
    // The motion places the shot from its first update on.
    auto* shot = dynamic_cast<TShot*>(CreateEffect(shotId, kOrigin, facing, colour, scale));
    if (shot == nullptr) {
        return nullptr;
    }
    if (aim != nullptr) {
        AimParts(shot, *aim);
    }
    shot->SetMotion(std::move(motion));
    shot->SetFlightFrames(flightFrames);
    TRefPtr<TAttackHit> hit;
    CreateAttackHit(hit, hitId, shot->GetModelFrame(), nullptr);
    shot->SetAttackHit(hit);
    return shot;
}

void TArmedCharacter::AddTrail(TShot* shot)
{
    if (shot == nullptr) {
        return;
    }
    const float white[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    auto* trail = dynamic_cast<TShot*>(CreateEffect(kTrailId, kOrigin, kUp, white, kUnitScale));
    if (trail == nullptr) {
        return;
    }
    trail->SetFlightFrames(kTrailFrames);
    // The motion keeps the body frame alive for as long as the trail follows it.
    trail->SetMotion(std::make_unique<TFollowFrameMotion>(shot->GetPart(0).GetFrameRef(), D3DXVECTOR3(0.0F, -1.0F, 0.0F),
                                                          kOrigin, 200.0F, 300.0F, 200.0F));
}

void TArmedCharacter::AimParts(TShot* shot, const D3DXVECTOR3& direction)
{
    shot->AimParts(direction);
    shot->RotateParts(kRollAxis, static_cast<float>(genrand_int32()));
}

void TArmedCharacter::AddMeleeHit(std::uint32_t hitId, const D3DXVECTOR3& point)
{
    TRefPtr<TAttackHit> hit;
    CreateAttackHit(hit, hitId, m_referenceFrame, &point);
}

void TArmedCharacter::Heal(std::int32_t amount)
{
    RecoverHp(amount);
    PlaySound(kHealSound);
}

float TArmedCharacter::RandomOffset(float step, bool withSign)
{
    const std::uint32_t d = genrand_int31();
    float v = static_cast<float>(static_cast<std::int32_t>(d & 127) - 64) * step;
    if (withSign) {
        v += (d & 1) != 0 ? 1.0F : -1.0F;
    }
    return v;
}
