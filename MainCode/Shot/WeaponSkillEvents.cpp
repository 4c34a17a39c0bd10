// The weapon-skill events 50000 to 50028 (50021 is the enemies' own): the weapon's fire bolt, falling
// rubble, the wind fans, dark marks, the rock rain, ice fields, the whirl, fangs in rows and the blade
// passes, whose bolt holds its hit and its sparks in place until the hit is spent.
#include <cmath>
#include <memory>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Effect/TThunderEffect.h"
#include "MainCode/Shot/TFacingAccelMotion.h"
#include "MainCode/Shot/SkillEventPoints.h"
#include "MainCode/Shot/TFollowFrameMotion.h"
#include "MainCode/Shot/TShot.h"

namespace {

using namespace skillevent;


constexpr std::uint32_t kBladeSound = 507;

}  // namespace

void TArmedCharacter::BladePass(const D3DXVECTOR3& point, const TPatternPoints& p, bool withSlash)
{
    TEffect* effect = CreateEffect(121, point, p.Front, kWhite, kUnit);
    if (effect != nullptr) {
        // The bolt lives as long as its hit; its sparks hang under it.
        auto* bolt = dynamic_cast<TThunderEffect*>(effect);
        {
            TRefPtr<TAttackHit> hit;
            CreateAttackHit(hit, 3506, effect->GetFrame(), nullptr);
            if (bolt != nullptr) {
                bolt->SetWatched(hit);
            }
        }
        const D3DXVECTOR3 sparksAt = Raised(point, 0.3F);
        TEffect* sparks = m_effectManager->Create(122, &sparksAt, &p.Front, effect->GetFrame(), m_area, kWhite, kUnit);
        if (bolt != nullptr) {
            if (auto* jitter = dynamic_cast<TJitterParticleEffect*>(sparks)) {
                bolt->SetLinkedParticles(jitter);
            }
            bolt->SetVelocity(&kOrigin);
        }
    }
    if (withSlash) {
        const float scale[3] = {0.6F, 0.6F, 0.6F};
        CreateEffect(600, point, kForward, kDark, scale);
    }
    CreateEffect(904, point, kForward, kDark, kUnit);
}

void TArmedCharacter::RandomBladePass(const TPatternPoints& p, bool withSlash)
{
    const std::uint32_t d1 = genrand_int31();
    const std::uint32_t d2 = genrand_int31();
    BladePass(p.Position + D3DXVECTOR3(Sign(d1) + Spread(d1, 30.0F), 0.0F, Sign(d2) + Spread(d2, 30.0F)), p,
              withSlash);
}

void TArmedCharacter::WeaponSkillEvent(std::uint16_t code, const TPatternPoints& p)
{
    const auto owner = static_cast<std::int32_t>(GetObjectId());
    if (code >= 50008 && code <= 50015) {
        const D3DXVECTOR3 point = p.Position + static_cast<float>(code - 50008) * p.Front;
        SetOwner(CreateEffect(218, point, p.Front, kWhite, kUnit), owner);
        CreateEffect(55, point, p.Front, kWhite, kUnit);
        AddMeleeHit(50004, Raised(point, 0.3F));
        PlaySound(504);
        return;
    }
    if (code >= 50022 && code <= 50026) {
        BladePass(p.Position + static_cast<float>(code - 50022) * p.Front, p);
        PlaySound(kBladeSound);
        return;
    }
    switch (code) {
    case 50000: {
        FireShot(404, kForward, kWhite, kUnit, nullptr,
                 std::make_unique<TFacingAccelMotion>(p.Weapon, -p.Front, 0.15F, 0.0F), 40, 50000);
        CreateEffect(21, p.Weapon, kForward, kWhite, kUnit);
        PlaySound(402);
        break;
    }
    case 50001:
        for (int i = 0; i < 5; ++i) {
            std::uint32_t d[6];
            for (std::uint32_t& draw : d) {
                draw = genrand_int31();
            }
            const float x = static_cast<float>(static_cast<std::int32_t>(d[2] & 127) - 64) * 0.125F + Sign(d[0]);
            const float z = static_cast<float>(static_cast<std::int32_t>(d[3] & 127) - 64) * 0.125F + Sign(d[1]);
            const float h = static_cast<float>(d[4] & 127) / 48.0F + 3.0F;
            const float v = static_cast<float>(d[5] & 127) / 1200.0F + 0.1F;
            const auto frames = static_cast<std::int32_t>(h / v);
            // Falls v a frame and lands 0.4 below the feet when the flight ends.
            TShot* shot = FireShot(504, kUp, kWhite, kUnit, nullptr,
                                   std::make_unique<TAccelMotion>(p.Position + D3DXVECTOR3(x, h - 0.4F, z), kUp, v, 0.0F),
                                   frames, 50001);
            if (shot == nullptr) {
                continue;
            }
            auto* dust = dynamic_cast<TShot*>(CreateEffect(327, kOrigin, kUp, kWhite, kUnit));
            if (dust != nullptr) {
                dust->SetFlightFrames(frames);
                dust->SetMotion(std::make_unique<TFollowFrameMotion>(shot->GetPart(0).GetFrameRef(),
                                                                     D3DXVECTOR3(0.0F, 0.3F, 0.0F), kOrigin, 200.0F,
                                                                     300.0F, 200.0F));
            }
        }
        break;
    case 50002:
    case 50003: {
        const bool wide = code == 50002;
        D3DXVECTOR3 d = TurnAboutUp(p.Front, (wide ? 45.0F : -60.0F) * kDegree);
        for (int i = 0; i < (wide ? 4 : 3); ++i) {
            d = TurnAboutUp(d, (wide ? 90.0F : 30.0F) * kDegree);
            const D3DXVECTOR3 aim = -d;
            FireShot(wide ? 402 : 403, kUp, kWhite, kUnit, &aim,
                     std::make_unique<TAccelMotion>(p.Centre + D3DXVECTOR3(0.5F * d.x, 0.0F, 0.5F * d.z), -d, 0.1F,
                                                    0.0F),
                     30, wide ? 2200 : 3200);
        }
        Flourish(6, p);
        break;
    }
    case 50004:
    case 50005:
    case 50006: {
        TEffect* mark = CreateEffect(51, p.Centre + static_cast<float>(code - 50003) * p.Front, kForward, kDark, kUnit);
        if (mark != nullptr) {
            TRefPtr<TAttackHit> hit;
            CreateAttackHit(hit, 50003, mark->GetFrame(), nullptr);
        }
        break;
    }
    case 50007: {
        const std::uint32_t d1 = genrand_int31();
        const std::uint32_t d2 = genrand_int31();
        const std::uint32_t d3 = genrand_int31();
        const std::uint32_t d4 = genrand_int31();
        LaunchEffectAction(D3DXVECTOR3(Sign(d1) + Spread(d1, 30.0F), 0.0F, Sign(d2) + Spread(d2, 30.0F)),
                           static_cast<float>(d3 & 127) / 30.0F + 5.0F, static_cast<float>(d4 & 127) / 1000.0F + 0.1F);
        break;
    }
    case 50016: {
        const float scale[3] = {2.0F, 2.0F, 2.0F};
        CreateEffect(123, Raised(p.Position, 0.02F), p.Front, kWhite, scale);
        CreateEffect(53, p.Position, p.Front, kWhite, kUnit);
        AddMeleeHit(50005, Raised(p.Position, 0.5F));
        PlaySound(508);
        break;
    }
    case 50017:
    case 50018:
    case 50019: {
        const float k = code == 50017 ? 1.0F : code == 50018 ? 3.0F : 5.0F;
        EarthFang(214, 3304, p.Position + k * p.Front, p.Front);
        break;
    }
    case 50020:
        for (float degrees : {45.0F, -45.0F}) {
            const D3DXVECTOR3 d = TurnAboutUp(p.Front, degrees * kDegree);
            EarthFang(214, 3304, p.Position + 2.0F * d, p.Front);
        }
        break;
    case 50027:
        for (int i = 0; i < 2; ++i) {
            RandomBladePass(p, false);
            PlaySound(kBladeSound);
        }
        break;
    case 50028: {
        const float scale[3] = {1.5F, 1.5F, 1.5F};
        SetOwner(CreateEffect(224, Raised(p.Position, 0.01F), p.Front, kWhite, scale), owner);
        break;
    }
    default:
        break;
    }
}
