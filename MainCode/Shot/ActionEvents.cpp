// The low event codes: footfalls and landings, slashes on the ground in front of the character, the
// two basic energy shots and the heavy ground blow; then the status bursts around the character and
// the two rows of element-coloured marks.
#include <memory>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Shot/TFacingAccelMotion.h"
#include "MainCode/Shot/TShot.h"

namespace {

const D3DXVECTOR3 kForward(0.0F, 0.0F, 1.0F);
const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);
const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
const float kSlashBlue[4] = {0.4F, 0.4F, 0.8F, 1.0F};
const float kShotBlue[4] = {0.3F, 0.3F, 0.8F, 1.0F};
const float kDust[4] = {0.7F, 0.7F, 0.7F, 0.7F};
const float kUnit[3] = {1.0F, 1.0F, 1.0F};
const float kSlashScale[3] = {0.8F, 3.5F, 0.8F};

constexpr float kGroundLift = 0.01F;
constexpr float kShotTravel = 0.15F;
constexpr std::int32_t kShotFrames = 20;
constexpr std::uint32_t kShotSound = 509;
constexpr std::uint32_t kSlashHit = 4500;
constexpr std::uint32_t kGroundSlashHit = 5002;
constexpr std::uint32_t kBlowHit = 60002;
constexpr std::uint32_t kBlowSound = 500;
constexpr std::uint8_t kBlowShake = 4;
constexpr float kQuarterTurn = 1.5708F;

struct Uniform {
    explicit Uniform(float k) : v{k, k, k} {}
    float v[3];
};

D3DXVECTOR3 Lifted(const D3DXVECTOR3& p) { return D3DXVECTOR3(p.x, p.y + kGroundLift, p.z); }

// Travels `travel` a frame along `along`: the motion moves against its stored direction.
std::unique_ptr<TMotionHelper> LineMotion(const D3DXVECTOR3& start, const D3DXVECTOR3& along, float travel)
{
    return std::make_unique<TFacingAccelMotion>(start, -along, travel, 0.0F);
}

// The rows of the 2000 and 3000 marks by the code's last digit.
const float kElementColours[7][4] = {
    {0.7F, 0.4F, 0.0F, 1.0F}, {0.0F, 0.7F, 0.3F, 1.0F}, {0.7F, 0.6F, 0.1F, 1.0F}, {0.4F, 0.3F, 0.0F, 1.0F},
    {0.5F, 0.5F, 0.7F, 1.0F}, {0.3F, 0.3F, 0.5F, 1.0F}, {1.0F, 1.0F, 1.0F, 1.0F},
};

// A direction of three draws, made non-negative by the draws themselves: z first, then y, then x.
D3DXVECTOR3 RandomDirection()
{
    const auto z = static_cast<float>(genrand_int32());
    const auto y = static_cast<float>(genrand_int32());
    const auto x = static_cast<float>(genrand_int32());
    return D3DXVECTOR3(x, y, z);
}

void SpinAboutUp(TEffect* effect)
{
    const auto angle = static_cast<float>(genrand_int32());
    if (effect != nullptr) {
        effect->GetFrame()->RotateAxis(kUp, angle, true);
    }
}

}  // namespace

void TArmedCharacter::BasicActionEvent(std::uint16_t code, const TPatternPoints& p)
{
    switch (code) {
    case 1:
        CreateEffect(30, p.Position, kForward, kWhite, kUnit);
        CreateEffect(101, Lifted(p.Position), kForward, kWhite, Uniform(2.2F).v);
        break;
    case 2:
        CreateEffect(102, Lifted(p.Position), kForward, kSlashBlue, Uniform(1.5F).v);
        break;
    case 3: {
        const D3DXVECTOR3 point = p.Position + p.Front;
        const float scale[3] = {0.8F, 1.2F, 0.8F};
        CreateEffect(600, Lifted(point), p.Front, kSlashBlue, scale);
        CreateEffect(904, Lifted(point), p.Front, kSlashBlue, kUnit);
        break;
    }
    case 4: {
        const D3DXVECTOR3 point = p.Position + p.Front;
        CreateEffect(601, Lifted(point), p.Right, kSlashBlue, kSlashScale);
        CreateEffect(904, Lifted(point), p.Front, kSlashBlue, kUnit);
        break;
    }
    case 5:
        // Only the owned animations know their maker.
        if (auto* edge = dynamic_cast<TOwnedAnimEffect*>(CreateEffect(204, Lifted(p.Position), p.Front, kWhite, kUnit))) {
            edge->SetOwnerId(static_cast<std::int32_t>(GetObjectId()));
        }
        break;
    case 6:
    case 7: {
        // 6 leaves from the feet raised by the half height, 7 from the centre; both 2 ahead.
        const D3DXVECTOR3 start = code == 6 ? p.Position + D3DXVECTOR3(2.0F * p.Front.x, m_centerHeight + 0.5F, 2.0F * p.Front.z)
                                            : p.Centre + D3DXVECTOR3(2.0F * p.Front.x, 0.5F, 2.0F * p.Front.z);
        TShot* shot = FireShot(code == 6 ? 450 : 455, kForward, kShotBlue, kUnit, nullptr,
                               LineMotion(start, p.Front, kShotTravel), kShotFrames, code == 6 ? 5000 : 5001);
        AddTrail(shot);
        PlaySound(kShotSound);
        break;
    }
    case 9:
        CreateEffect(102, Lifted(p.Position), kForward, kSlashBlue, Uniform(3.5F).v);
        break;
    default:
        break;
    }
}

void TArmedCharacter::SlashEvent(std::uint16_t code, const TPatternPoints& p)
{
    if (code >= 110) {
        // Slashes left standing on the ground; their hit stays where it was made.
        const float k = code == 110 ? 1.5F : code == 111 ? 3.0F : 4.5F;
        const D3DXVECTOR3 point = p.Position + k * p.Front;
        if (auto* edge = dynamic_cast<TOwnedAnimEffect*>(CreateEffect(212, point, p.Front, kWhite, kUnit))) {
            edge->SetOwnerId(static_cast<std::int32_t>(GetObjectId()));
        }
        AddMeleeHit(kGroundSlashHit, point);
        return;
    }
    D3DXVECTOR3 point = p.Position;
    D3DXVECTOR3 sparkDirection = p.Front;
    switch (code) {
    case 103:
        point += 1.5F * p.Front;
        sparkDirection = 1.5F * p.Front;
        break;
    case 104: point += p.Front + p.Right; break;
    case 105: point += 1.2F * p.Right; break;
    default: {
        // 100, 101, 102, 106, 107: one to five ahead.
        const float k = code == 100 ? 1.0F : code == 101 ? 2.0F : code == 102 ? 3.0F : code == 106 ? 4.0F : 5.0F;
        point += k * p.Front;
        break;
    }
    }
    TEffect* slash = CreateEffect(601, Lifted(point), p.Right, kSlashBlue, kSlashScale);
    CreateEffect(904, Lifted(point), sparkDirection, kSlashBlue, kUnit);
    // The hit rides on the slash and ends with it.
    if (slash != nullptr) {
        TRefPtr<TAttackHit> hit;
        CreateAttackHit(hit, kSlashHit, slash->GetFrame(), nullptr);
    }
}

void TArmedCharacter::GroundBlowEvent(const TPatternPoints& p)
{
    const float violet[4] = {0.4F, 0.4F, 0.8F, 1.0F};
    const float ember[4] = {0.5F, 0.2F, 0.2F, 1.0F};
    const float ring[4] = {0.5F, 0.5F, 1.0F, 1.0F};
    const float smoke[4] = {0.3F, 0.3F, 0.5F, 1.0F};
    const float crater[4] = {0.4F, 0.4F, 0.7F, 1.0F};
    CreateEffect(908, p.Centre, kForward, violet, kUnit);
    CreateEffect(909, p.Centre, kForward, ember, kUnit);
    CreateEffect(115, p.Centre, p.Front, ring, Uniform(2.0F).v);
    CreateEffect(114, p.Centre, p.Front, smoke, Uniform(3.0F).v);
    CreateEffect(107, Lifted(p.Position), kUp, crater, Uniform(3.0F).v);
    AddMeleeHit(kBlowHit, p.Centre);
    TPatternEvent shake;
    shake.ShakeLevel = kBlowShake;
    ShakeForFrame(shake);
    PlaySound(kBlowSound);
}

void TArmedCharacter::StatusEvent(std::uint16_t code, const TPatternPoints& p)
{
    switch (code) {
    case 1000: CreateEffect(31, p.Position, kForward, kDust, kUnit); break;
    case 1001: CreateEffect(34, p.Position, kForward, kDust, kUnit); break;
    case 1010: {
        // A non-negative z alone: the effect always ends up facing +z.
        const D3DXVECTOR3 facing(0.0F, 0.0F, static_cast<float>(genrand_int32()));
        CreateEffect(103, p.Centre, facing, kWhite, Uniform(3.5F).v);
        CreateEffect(903, p.Position, kForward, kSlashBlue, kUnit);
        break;
    }
    case 1011: CreateEffect(104, p.Centre, RandomDirection(), kWhite, kUnit); break;
    case 1012: CreateEffect(105, p.Centre, RandomDirection(), kWhite, kUnit); break;
    case 1013: CreateEffect(106, p.Centre, RandomDirection(), kSlashBlue, Uniform(1.5F).v); break;
    case 1014: SpinAboutUp(CreateEffect(112, p.Centre, kUp, kWhite, Uniform(4.5F).v)); break;
    case 1015: {
        TEffect* ring = CreateEffect(112, p.Centre, kUp, kWhite, Uniform(4.5F).v);
        if (ring != nullptr) {
            ring->GetFrame()->RotateAxis(p.Right, kQuarterTurn, true);
        }
        SpinAboutUp(ring);
        break;
    }
    default:
        break;
    }
}

void TArmedCharacter::ElementMarkEvent(std::uint16_t code, const TPatternPoints& p)
{
    const std::uint32_t row = code % 1000;
    CreateEffect(code < 3000 ? 900 : 901, p.Position, kForward, kElementColours[row], kUnit);
}
