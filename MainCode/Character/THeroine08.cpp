// THeroine08's tables (75 action rows, skills 3100 to 3107, charge action 29) and her arrows.
#include "MainCode/Character/THeroine08.h"

#include <array>
#include <bit>
#include <memory>
#include <span>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/THeroRows.h"
#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Shot/TShot.h"

namespace {

using namespace herorows;

constexpr std::uint32_t kRowCount = 75;

const std::array<THeroRow, kRowCount> kRows = [] {
    std::array<THeroRow, kRowCount> r{};
    for (std::uint32_t i = 0; i < 25; ++i) {
        r[i] = g_heroCommonRows[i];
    }
    r[25] = Combo(37, 27, 29, 26);
    r[26] = Recover(38);
    r[27] = Combo(39, 27, 29, 28);
    r[28] = Recover(38);
    r[29] = {48, K::SkillChain, 0, 0, 30};
    r[30] = Recover(49);
    r[31] = Falling(40, 33, 35, 32);
    r[32] = AirRecovery(41);
    r[33] = Falling(42, 33, 35, 34);
    r[34] = AirRecovery(41);
    r[35] = {43, K::HoverSkillChain, 0, 0, 36};
    r[36] = AirRecovery(44);
    r[37] = Fixed(45, 29, 38);
    r[38] = Recover(46);
    r[39] = Fixed(47, 29, 40);
    r[40] = Recover(46);
    r[41] = Chain(50, 41, 43, 42);
    r[42] = Recover(38);
    r[43] = Chain(51, 41, 43, 44);
    r[44] = Recover(38);
    r[45] = Chain(52, 45, 47, 46);
    r[46] = Recover(38);
    r[47] = Chain(53, 45, 47, 48);
    r[48] = Recover(38);
    r[49] = Leap(54, 50);
    r[50] = AirCombo(55, 31, 35, 49, 52, 51);
    r[51] = RecoverAirborne(56);
    r[52] = Leap(57, 53);
    r[53] = AirCombo(58, 31, 35, 49, 52, 54);
    r[54] = RecoverAirborne(56);
    r[55] = Chain(59, 55, 57, 56);
    r[56] = Recover(60);
    r[57] = Chain(61, 55, 57, 58);
    r[58] = Recover(60);
    r[59] = Hover(62, 35, 60);
    r[60] = AirRecovery(44);
    r[61] = Hover(63, 35, 62);
    r[62] = AirRecovery(44);
    r[63] = Chain(64, 63, 65, 64);
    r[64] = Recover(38);
    r[65] = Chain(65, 63, 65, 66);
    r[66] = Recover(38);
    r[67] = Hover(66, 35, 68);
    r[68] = AirRecovery(41);
    r[69] = Hover(67, 35, 70);
    r[70] = AirRecovery(41);
    r[71] = Chain(68, 71, 73, 72);
    r[72] = Recover(38);
    r[73] = Chain(68, 71, 73, 74);
    r[74] = Recover(38);
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3],
    g_heroCommonSkills[4], {3100, 41, 43},        {3101, 45, 47},        {3102, 49, 52},
    {3103, 55, 57},        {3104, 59, 61},        {3105, 63, 65},        {3106, 67, 69},
    {3107, 71, 73},
};

const std::uint32_t kAirActions[] = {59, 61, 67, 69};

// Three in the command queue: two attacks wait for the running action. The follow-up flag is
// there but nothing of this class sets it, and a jump shot clears nothing.
const THeroClassDef kDef = {
    11,
    3,
    true,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    kAirActions,
    static_cast<std::uint32_t>(std::size(kAirActions)),
    29,
    {25, 37, 31, 29, 39, 35, false},
    THeroHitLanded::RingsOnly,
    THeroSkillHold::Shared,
};

const D3DXVECTOR3 kOrigin(0.0F, 0.0F, 0.0F);
const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);
const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
const float kUnit[3] = {1.0F, 1.0F, 1.0F};
constexpr float kDegree = 0.017453292F;

constexpr std::uint32_t kArrowShot = 1100;
constexpr std::uint32_t kTrailShot = 56;
constexpr std::int32_t kTrailFrames = 50;
constexpr float kHitRadius = 0.5F;
constexpr std::int32_t kHitInterval = 5;
constexpr float kHitScale = 120.0F;

// One arrow straight ahead, or a fan in this order.
const float kSingle[] = {0.0F};
const float kFanOfThree[] = {0.0F, 30.0F, -30.0F};
const float kFanOfFive[] = {0.0F, 15.0F, -15.0F, 30.0F, -30.0F};

struct TArrowEvent {
    std::uint16_t Code;
    float Speed;
    std::int32_t Life;
    float FirstValue;
    float SecondValue;
    std::int32_t ExtraFlags;
    std::int32_t HitTag;
    std::span<const float> Angles;
    bool Yaw;  // the fan turns by yaw, else by pitch
};

const TArrowEvent kArrowEvents[] = {
    {6100, 0.15F, 40, 0.7F, 0.7F, 0, -1, kSingle, false},
    {6101, 0.25F, 30, 0.8F, 0.7F, 0, -1, kSingle, false},
    {6102, 0.25F, 30, 0.8F, 0.7F, 0, -1, kSingle, false},
    {6103, 0.15F, 40, 0.4F, 0.7F, 0, -1, kSingle, false},
    {6104, 0.15F, 40, 0.25F, 0.7F, 0, -1, kSingle, false},
    {6105, 0.15F, 40, 0.4F, 1.0F, 32, -1, kFanOfThree, false},
    {6106, 0.15F, 40, 0.4F, 1.0F, 32, -1, kFanOfFive, false},
    {6107, 0.15F, 40, 0.4F, 1.0F, 32, -1, kFanOfThree, true},
    {6108, 0.15F, 40, 0.4F, 1.0F, 32, -1, kFanOfFive, true},
    {6109, 0.15F, 40, 1.5F, 1.0F, 520, 0, kSingle, false},
    {6110, 0.15F, 40, 1.5F, 1.0F, 520, 1, kSingle, false},
};

// Turns v by degrees about the axis, when there is a turn at all.
void TurnAbout(D3DXVECTOR3& v, const D3DXVECTOR3& axis, float degrees)
{
    if (degrees == 0.0F) {
        return;
    }
    D3DXMATRIX turn;
    D3DXMatrixRotationAxis(&turn, &axis, degrees * kDegree);
    D3DXVec3TransformCoord(&v, &v, &turn);
}

}  // namespace

THeroine08::THeroine08(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "heroine08", kDef), m_arrowMesh(TMesh8::Load("effect/arw00.msh"))
{
}

void THeroine08::OnPatternEvent(const TPatternEvent& frame)
{
    TPlayerCharacter::OnPatternEvent(frame);
    const std::uint16_t code = frame.EventCode;
    TFrame* right = m_rightWeapon.Get();
    if (code == 6000 || code == 6001) {
        D3DXVECTOR3 at;
        right->GetWorldPosition(&at);
        RaiseEffect(code == 6000 ? 1000 : 1001, at, kUp, right, kWhite, kUnit);
        return;
    }
    if (code == 6500) {
        for (int i = 0; i < 2; ++i) {
            const auto pitch = static_cast<float>(static_cast<std::int32_t>(genrand_int32() % 60) - 30);
            FireArrow(0.2F, 50, 1.0F, 1.0F, 0.0F, pitch, 1, kHitScale, 0, kTrailedTag, false);
        }
        return;
    }
    for (const TArrowEvent& e : kArrowEvents) {
        if (e.Code != code) {
            continue;
        }
        for (const float angle : e.Angles) {
            FireArrow(e.Speed, e.Life, e.FirstValue, e.SecondValue, e.Yaw ? angle : 0.0F, e.Yaw ? 0.0F : angle,
                      e.ExtraFlags, kHitScale, 0, e.HitTag, false);
        }
        return;
    }
}

void THeroine08::FireArrow(float speed, std::int32_t life, float firstValue, float secondValue, float yaw,
                           float pitch, std::int32_t extraFlags, float hitScale, std::uint32_t thirdValue,
                           std::int32_t hitTag, bool magic)
{
    // The bow is held in the left hand; its record gives the element, the sound type and the attack.
    const TWepon* bow = m_leftWepon.Get();
    std::uint32_t power = 0;
    std::uint32_t flags = 0;
    if (magic) {
        power = static_cast<std::uint32_t>(2 * GetInt());
        flags = 0x181;
    } else {
        power = static_cast<std::uint32_t>(GetRaisedStr()) + (bow != nullptr ? bow->Attack : 0);
        flags = 0x81;
    }

    TFrame* right = m_rightWeapon.Get();
    D3DXVECTOR3 from;
    D3DXVECTOR3 direction;
    D3DXVECTOR3 axis;
    right->GetWorldPosition(&from);
    right->GetWorldAxis(&direction, 3);
    TurnAbout(direction, *right->GetWorldAxis(&axis, 2), yaw);
    TurnAbout(direction, *right->GetWorldAxis(&axis, 1), pitch);

    auto* arrow = dynamic_cast<TShot*>(RaiseEffect(kArrowShot, kOrigin, kUp, m_referenceFrame, kWhite, kUnit));
    if (arrow == nullptr) {
        return;
    }
    D3DXVECTOR3 unit;
    D3DXVec3Normalize(&unit, &direction);
    arrow->SetMotion(std::make_unique<TAccelMotion>(from, unit, speed, 0.0F));
    arrow->SetFlightFrames(life);

    TAttackHitParams params;
    params.Interval = kHitInterval;
    params.Flags = flags | static_cast<std::uint32_t>(extraFlags);
    params.Element = bow != nullptr ? bow->Element : 0;
    params.Param3 = 0;
    params.SoundType = bow != nullptr ? bow->Type : 0;
    params.CancelMask = 0;
    params.BaseDamage = power;
    params.DamageFactor = firstValue;
    params.Radius = kHitRadius;
    params.ValueA = secondValue;
    params.KnockTime = secondValue * hitScale;
    // The word rides in the launch speed's place bit for bit.
    params.LaunchSpeed = std::bit_cast<float>(thirdValue);
    params.Param8 = hitTag == kTrailedTag ? -1 : hitTag;
    const auto lifetime = static_cast<std::uint32_t>(life) + static_cast<std::uint32_t>(arrow->GetPartCount()) - 1;
    TRefPtr<TAttackHit> hit(new TAttackHitTimedHeld(GetObjectId(), arrow->GetModelFrame(), kOrigin,
                                                    static_cast<std::uint32_t>(life), lifetime, params));
    arrow->SetAttackHit(hit);
    m_hits.push_back(hit);

    TFrame* head = arrow->GetModelFrame();
    head->AddMesh(m_arrowMesh);
    head->SetDirection(direction, kUp);

    if (hitTag != kTrailedTag) {
        return;
    }
    auto* trail = dynamic_cast<TShot*>(RaiseEffect(kTrailShot, kOrigin, kUp, m_referenceFrame, kWhite, kUnit));
    if (trail != nullptr) {
        trail->SetFlightFrames(kTrailFrames);
        trail->SetMotion(std::make_unique<THeldRandomOffsetMotion>(arrow->GetPart(0).GetFrameRef(), kOrigin, kOrigin,
                                                                   200.0F, 300.0F, 200.0F));
    }
}
