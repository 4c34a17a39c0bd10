// The skill events: two blocks of twins (10xxx and 11xxx, the latter larger and hitting with the
// 3000s) of shots, rains, close strikes, heals, volleys, guards, fangs, star shots and blade storms,
// most closing with one of the seven flourishes at the chest.
#include <cmath>
#include <memory>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/TCurveMotion.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TSpawnPathEffect.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Shot/TArcMotion.h"
#include "MainCode/Shot/TFacingAccelMotion.h"
#include "MainCode/Shot/THomingArcMotion.h"
#include "MainCode/Shot/TOrbitMotion.h"
#include "MainCode/Shot/SkillEventPoints.h"
#include "MainCode/Shot/TShot.h"
#include "MainCode/Shot/TStarShot.h"

namespace {

using namespace skillevent;

const float kGreen[4] = {0.2F, 0.5F, 0.3F, 1.0F};
const float kDarkMist[4] = {0.3F, 0.0F, 0.3F, 1.0F};
const float kHealGlow[4] = {0.8F, 0.8F, 0.5F, 1.0F};
const float kFrost[4] = {0.5F, 0.5F, 1.0F, 1.0F};
const float kFrostRing[4] = {0.3F, 0.3F, 1.0F, 1.0F};

constexpr float kGroundLift = 0.01F;

struct Uniform {
    explicit Uniform(float k) : v{k, k, k} {}
    float v[3];
};

// The accelerating line motions store the direction they move against.
std::unique_ptr<TMotionHelper> FacingLine(const D3DXVECTOR3& start, const D3DXVECTOR3& along, float travel)
{
    return std::make_unique<TFacingAccelMotion>(start, -along, travel, 0.0F);
}

std::unique_ptr<TMotionHelper> Line(const D3DXVECTOR3& start, const D3DXVECTOR3& along, float travel)
{
    return std::make_unique<TAccelMotion>(start, -along, travel, 0.0F);
}

D3DXVECTOR3 LevelHalf(const D3DXVECTOR3& centre, const D3DXVECTOR3& d)
{
    return centre + D3DXVECTOR3(0.5F * d.x, 0.0F, 0.5F * d.z);
}

// Only the star shots take a burst scale and colours.
void DressStar(TEffect* effect)
{
    auto apply = [](auto* star) {
        star->SetStarScale(0.8F, 0.8F, 0.8F);
        star->SetStarColour1(0.4F, 0.0F, 0.6F, 1.0F);
        star->SetStarColour2(0.25F, 0.0F, 0.5F, 1.0F);
    };
    if (auto* n = dynamic_cast<TStarShot<TShotF>*>(effect)) {
        apply(n);
    } else if (auto* m = dynamic_cast<TStarShot<TShotI>*>(effect)) {
        apply(m);
    }
}

struct StraightShot {
    std::uint16_t code;
    std::uint32_t shot;
    bool upright;  // created facing up, parts aimed along -front, plain line motion
    float travel;
    std::int32_t frames;
    std::uint32_t hit;
    int flourish;
};

const StraightShot kStraightShots[] = {
    {10000, 400, false, 0.08F, 40, 2000, 1}, {10002, 400, false, 0.1F, 40, 2002, 1},
    {10006, 401, false, 0.1F, 40, 3002, 1},  {11002, 401, false, 0.1F, 40, 3002, 1},
    {11000, 401, false, 0.08F, 40, 3000, 1}, {10020, 402, true, 0.15F, 30, 2200, 6},
    {10021, 405, true, 0.13F, 20, 2200, 6},  {11020, 403, true, 0.17F, 30, 3200, 6},
    {11021, 406, true, 0.15F, 20, 3200, 6},  {10050, 409, false, 0.04F, 30, 2500, 5},
    {11050, 410, false, 0.04F, 40, 3500, 5},
};

struct Rain {
    std::uint16_t code;
    int count;
    float k;
    float m;
};

const Rain kRains[] = {{10004, 3, 48.0F, 1200.0F}, {10005, 10, 24.0F, 1200.0F}, {11004, 6, 32.0F, 1000.0F},
                       {11005, 12, 18.0F, 1000.0F}};

// Which code a shared body runs as.
std::uint16_t BodyOf(std::uint16_t code)
{
    switch (code) {
    case 10036: return 11033;
    case 10056: return 11053;
    case 10026: return 11023;
    case 11026: return 11025;
    default: return code;
    }
}

}  // namespace

void TArmedCharacter::Flourish(int kind, const TPatternPoints& p, std::int32_t amount)
{
    static const std::uint32_t kEffects[8] = {0, 1, 2, 2, 4, 6, 3, 5};
    static const std::int32_t kSounds[8] = {-1, 502, -1, 509, -1, 501, 508, -1};
    if (kind < 1 || kind > 7) {
        return;
    }
    CreateEffect(kEffects[kind], p.Chest, kForward, kWhite, kUnit);
    if (kSounds[kind] >= 0) {
        PlaySound(static_cast<std::uint32_t>(kSounds[kind]));
    }
    if (kind == 7) {
        Heal(amount);
    }
}

std::uint32_t TArmedCharacter::FindEnemies(const D3DXVECTOR3& centre, float radius, std::uint32_t* ids,
                                           std::uint32_t max) const
{
    TEnemyFactory* factory = m_area != nullptr ? m_area->GetEnemyFactory() : nullptr;
    if (factory == nullptr) {
        return 0;
    }
    factory->FindEnemiesInRange(centre, radius, ids, max);
    // A full array carries no -1 behind its last id.
    std::uint32_t n = 0;
    while (n < max && ids[n] != 0xFFFFFFFFU) {
        ++n;
    }
    return n;
}

void TArmedCharacter::EarthFang(std::uint32_t effectId, std::uint32_t hitId, const D3DXVECTOR3& point,
                                const D3DXVECTOR3& direction)
{
    TEffect* effect = CreateEffect(effectId, point, direction, kWhite, Uniform(2.0F).v);
    if (auto* fang = dynamic_cast<TSpawnPathEffect*>(effect)) {
        fang->SetOwnerId(static_cast<std::int32_t>(GetObjectId()));
        fang->SetSpawnEffectId(54);
        const std::pair<float, D3DXVECTOR3> spawns[] = {{2.0F, D3DXVECTOR3(0.0F, 0.2F, 0.3F)},
                                                        {4.0F, D3DXVECTOR3(-0.5F, 0.1F, 0.0F)},
                                                        {6.0F, D3DXVECTOR3(0.5F, 0.2F, 0.0F)},
                                                        {8.0F, D3DXVECTOR3(0.0F, 0.3F, 0.5F)}};
        for (const auto& [time, offset] : spawns) {
            fang->AddSpawnPoint(time, &offset);
        }
        const D3DXVECTOR3 paths[] = {D3DXVECTOR3(0.0F, 1.0F, 0.5F), D3DXVECTOR3(0.5F, 0.5F, 0.3F),
                                     D3DXVECTOR3(-0.3F, 0.7F, 0.2F)};
        const D3DXVECTOR3 one(1.0F, 1.0F, 1.0F);
        for (const D3DXVECTOR3& offset : paths) {
            fang->AddPathPoint(54, &offset, &one, kWhite);
        }
    }
    AddMeleeHit(hitId, point);
}

void TArmedCharacter::SkillEvent(std::uint16_t eventCode, const TPatternPoints& p)
{
    const std::uint16_t code = BodyOf(eventCode);
    const auto owner = static_cast<std::int32_t>(GetObjectId());
    const bool twin = code >= 11000;

    for (const StraightShot& s : kStraightShots) {
        if (s.code != code) {
            continue;
        }
        const D3DXVECTOR3 aim = -p.Front;
        const D3DXVECTOR3 start = LevelHalf(p.Centre, p.Front);
        FireShot(s.shot, s.upright ? kUp : kForward, kWhite, kUnit, s.upright ? &aim : nullptr,
                 s.upright ? Line(start, p.Front, s.travel) : FacingLine(start, p.Front, s.travel), s.frames, s.hit);
        Flourish(s.flourish, p);
        return;
    }
    for (const Rain& r : kRains) {
        if (r.code != code) {
            continue;
        }
        for (int i = 0; i < r.count; ++i) {
            const std::uint32_t d1 = genrand_int31();
            const std::uint32_t d2 = genrand_int31();
            const std::uint32_t d3 = genrand_int31();
            const std::uint32_t d4 = genrand_int31();
            const float x = Spread(d1, r.k) + Sign(d1);
            const float z = Spread(d2, r.k) + Sign(d2);
            const float height = static_cast<float>(d3 & 127) / r.k + 3.0F;
            const float speed = static_cast<float>(d4 & 127) / r.m + 0.1F;
            LaunchEffectAction(D3DXVECTOR3(x, 0.0F, z), height, speed);
        }
        return;
    }

    switch (code) {
    case 10001:
    case 11001: {
        const std::uint32_t d = genrand_int32();
        float angle = static_cast<float>(d % 50) * kDegree;
        if ((d & 1) == 0) {
            angle = -angle;
        }
        const D3DXVECTOR3 start = LevelHalf(p.Centre, TurnAboutUp(p.Front, angle));
        FireShot(twin ? 408 : 407, kForward, kWhite, kUnit, nullptr, FacingLine(start, p.Front, 0.06F), 20,
                 twin ? 3000 : 2000);
        Flourish(1, p);
        break;
    }
    case 10022:
    case 11022: {
        const D3DXVECTOR3 start = p.Centre + D3DXVECTOR3(2.0F * p.Front.x, 0.5F, 2.0F * p.Front.z);
        TShot* shot = FireShot(twin ? 452 : 451, kForward, kGreen, kUnit, nullptr,
                               FacingLine(start, p.Front, twin ? 0.18F : 0.15F), 100, twin ? 3202 : 2202);
        AddTrail(shot);
        PlaySound(508);
        break;
    }
    case 10010:
    case 11010: {
        const D3DXVECTOR3 point = p.Position + p.Front;
        SetOwner(CreateEffect(twin ? 202 : 200, point, p.Front, kWhite, Uniform(twin ? 1.0F : 0.7F).v), owner);
        AddMeleeHit(twin ? 3100 : 2100, point);
        Flourish(2, p);
        break;
    }
    case 10011:
        for (float angle : {1.0F, -1.0F}) {
            const D3DXVECTOR3 d = TurnAboutUp(p.Front, angle);
            const D3DXVECTOR3 point = p.Position + d;
            SetOwner(CreateEffect(206, point, d, kWhite, Uniform(0.5F).v), owner);
            AddMeleeHit(2102, point);
        }
        Flourish(2, p);
        break;
    case 11011: {
        struct Strike {
            float angle;
            std::uint32_t effect;
            float distance;
        };
        for (const Strike& s : {Strike{0.785F, 206, 1.0F}, Strike{0.0F, 208, 2.0F}, Strike{-0.785F, 206, 1.0F}}) {
            const D3DXVECTOR3 d = s.distance * TurnAboutUp(p.Front, s.angle);
            const D3DXVECTOR3 point = p.Position + d;
            SetOwner(CreateEffect(s.effect, point, d, kWhite, Uniform(0.8F).v), owner);
            AddMeleeHit(3102, point);
        }
        Flourish(2, p);
        break;
    }
    case 10012:
    case 10013:
    case 10016:
    case 11012:
    case 11013: {
        const bool large = code == 10016 || twin;
        for (int i = 0; i < (large ? 4 : 3); ++i) {
            CreateEffect(50, Raised(p.Position, 0.3F * static_cast<float>(i)), kForward, kFrost, kUnit);
        }
        CreateEffect(107, Raised(p.Position, kGroundLift), kUp, kFrostRing, Uniform(large ? 2.5F : 2.0F).v);
        AddMeleeHit(static_cast<std::uint32_t>(code) - 7908U, Raised(p.Position, m_centerHeight));
        Flourish(3, p);
        break;
    }
    case 10023:
    case 11023:
        CreateEffect(600, p.Position + p.Front, p.Front, kGreen, Uniform(twin ? 2.0F : 1.5F).v);
        CreateEffect(53, p.Position, p.Front, kWhite, kUnit);
        AddMeleeHit(static_cast<std::uint32_t>(code) - 7820U, p.Position + p.Front);
        PlaySound(500);
        break;
    case 10024:
    case 11024: {
        const D3DXVECTOR3 point = p.Position + 1.5F * p.Front;
        CreateEffect(120, Raised(point, 0.02F), p.Front, kWhite, Uniform(twin ? 1.5F : 1.0F).v);
        CreateEffect(53, point, p.Front, kWhite, kUnit);
        AddMeleeHit(static_cast<std::uint32_t>(code) - 7819U, Raised(point, 0.5F));
        Flourish(6, p);
        break;
    }
    case 10025:
    case 11025:
        CreateEffect(120, Raised(p.Position, 0.02F), p.Front, kWhite, Uniform(twin ? 2.0F : 1.5F).v);
        CreateEffect(53, p.Position, p.Front, kWhite, kUnit);
        AddMeleeHit(static_cast<std::uint32_t>(code) - 7819U, Raised(p.Position, 0.5F));
        Flourish(6, p);
        break;
    case 10051: {
        CreateEffect(51, p.Position, kForward, kDark, kUnit);
        const D3DXVECTOR3 spin(0.0F, 0.0F, static_cast<float>(genrand_int32()));
        CreateEffect(103, Raised(p.Position, m_centerHeight), spin, kDarkMist, Uniform(1.5F).v);
        AddMeleeHit(2501, Raised(p.Position, m_centerHeight));
        Flourish(5, p);
        break;
    }
    case 11051:
        for (int i = 0; i < 4; ++i) {
            const D3DXVECTOR3 at = Raised(p.Position, 0.3F * static_cast<float>(i));
            CreateEffect(51, at, kForward, kDark, kUnit);
            const D3DXVECTOR3 spin(0.0F, 0.0F, static_cast<float>(genrand_int32()));
            CreateEffect(103, Raised(at, m_centerHeight), spin, kDarkMist, Uniform(2.5F).v);
        }
        AddMeleeHit(3501, Raised(p.Position, m_centerHeight));
        Flourish(5, p);
        break;
    case 10040:
    case 10041:
    case 10042:
    case 11040:
    case 11041:
    case 11042: {
        const int level = code % 10;
        CreateEffect(twin ? 906 : 905, p.Position, kForward, kHealGlow, kUnit);
        if (level >= 1) {
            const float tall[3] = {1.0F, twin ? 3.0F : 2.0F, 1.0F};
            CreateEffect(107, Raised(p.Position, kGroundLift), kUp, kHealGlow, tall);
        }
        if (level == 2) {
            const D3DXVECTOR3 spin(0.0F, 0.0F, static_cast<float>(genrand_int32()));
            CreateEffect(103, p.Centre, spin, kHealGlow, Uniform(twin ? 2.5F : 1.5F).v);
        }
        static const std::int32_t kAmounts[2][3] = {{60, 100, 180}, {120, 200, 360}};
        Flourish(7, p, kAmounts[twin ? 1 : 0][level]);
        break;
    }
    case 10030:
    case 10031:
    case 11030:
    case 11031: {
        // From the lifted centre to 3 ahead, the side shots bulging out mirror-wise.
        const D3DXVECTOR3 start = Raised(p.Centre, 0.3F);
        const D3DXVECTOR3 end = start + 3.0F * p.Front;
        for (float side : {0.0F, 1.0F, -1.0F}) {
            const float scale[3] = {0.3F, 0.3F, 0.3F};
            FireShot(twin ? 502 : 500, kUp, kWhite, scale, nullptr,
                     std::make_unique<TArcMotion>(0.02F, D3DXVECTOR3(2.0F * side, 2.0F, 2.0F), start, end), 50, 2300);
        }
        Flourish(4, p);
        break;
    }
    case 10032:
    case 11032: {
        constexpr std::uint32_t kMost = 5;
        std::uint32_t ids[kMost];
        const std::uint32_t found = FindEnemies(p.Centre, twin ? 10.0F : 5.0F, ids, twin ? 5 : 2);
        for (std::uint32_t i = 0; i < found; ++i) {
            const D3DXVECTOR3 bulge(RandomOffset(0.0625F, false), 2.5F, -0.2F);
            FireShot(twin ? 502 : 500, kUp, kWhite, kUnit, nullptr,
                     std::make_unique<THomingArcMotion>(0.02F, 0.7F, 0, bulge, p.Centre,
                                                        static_cast<std::int32_t>(ids[i]), m_area),
                     50, 2300);
        }
        Flourish(4, p);
        break;
    }
    case 10033:
    case 11033: {
        const int n = twin ? 4 : 3;
        const float step = twin ? -5.0F : 5.0F;
        for (int i = 1; i <= n; ++i) {
            const float start = static_cast<float>(i * 360 / n) * kDegree;
            FireShot(508, kUp, kWhite, kUnit, nullptr,
                     std::make_unique<TOrbitMotion>(D3DXVECTOR3(0.0F, m_centerHeight, 0.0F), start, 0.2F, step, 0.01F,
                                                    twin ? 1.2F : 0.8F, GetFrameRef(), kOrigin),
                     twin ? 480 : 240, twin ? 3302 : 2302);
        }
        PlaySound(twin ? 508 : 506);
        Flourish(4, p);
        break;
    }
    case 10034:
    case 11034:
        for (float degrees : {0.0F, 45.0F, -45.0F}) {
            const D3DXVECTOR3 d = TurnAboutUp(p.Front, degrees * kDegree);
            EarthFang(twin ? 214 : 210, static_cast<std::uint32_t>(code) - 7730U, p.Position + 2.0F * d, d);
        }
        Flourish(4, p);
        break;
    case 10053:
    case 11053: {
        const int n = twin ? 5 : 3;
        for (int i = 0; i < n; ++i) {
            const D3DXVECTOR3 offset = TurnAboutUp(2.0F * p.Front, static_cast<float>(i * 360 / n) * kDegree);
            TShot* shot = FireShot(twin ? 552 : 551, kForward, kWhite, kUnit, nullptr,
                                   std::make_unique<TCurveMotion>(0.02F, D3DXVECTOR3(0.0F, 2.0F, 0.0F), p.Centre,
                                                                  p.Position + offset),
                                   50, twin ? 3503 : 2503);
            DressStar(shot);
        }
        CreateEffect(6, p.Chest, kForward, kWhite, kUnit);
        PlaySound(509);
        break;
    }
    case 10055:
    case 11055:
        for (int i = 0; i < (twin ? 4 : 3); ++i) {
            RandomBladePass(p);
        }
        PlaySound(507);
        break;
    default:
        break;
    }
}
