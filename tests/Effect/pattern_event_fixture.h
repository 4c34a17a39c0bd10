// The caster of the pattern-event tests in a test area with the attack records the cases name, and
// the call log checked against rows written from the event tables.
#pragma once

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/TCurveMotion.h"
#include "MainCode/Effect/TSpawnPathEffect.h"
#include "MainCode/Effect/TThunderEffect.h"
#include "MainCode/Shot/TArcMotion.h"
#include "MainCode/Shot/TBulletPart.h"
#include "MainCode/Shot/TFollowFrameMotion.h"
#include "MainCode/Shot/TOrbitMotion.h"
#include "MainCode/Shot/TStarShot.h"
#include "MainCode/Map/TAttackTable.h"
#include "effect_area_fixture.h"
#include "formats/bht_writer.h"
#include "support/character_probe.h"
#include "support/effect_probe.h"
#include "support/shot_probe.h"

namespace effecttest {

// The caster stands at P facing F with its right R; half height 1.
inline const D3DXVECTOR3 P(1.0F, 0.5F, 2.0F);
inline const D3DXVECTOR3 F(0.6F, 0.0F, -0.8F);
inline const D3DXVECTOR3 R(-0.8F, 0.0F, -0.6F);
inline const D3DXVECTOR3 C(1.0F, 1.5F, 2.0F);
inline const D3DXVECTOR3 L(0.0F, 0.01F, 0.0F);
inline const D3DXVECTOR3 kZ(0.0F, 0.0F, 1.0F);
inline const D3DXVECTOR3 kY(0.0F, 1.0F, 0.0F);
inline const D3DXVECTOR3 kOrigin(0.0F, 0.0F, 0.0F);

struct Colour {
    float r, g, b, a;
};
inline const Colour kWhite{1, 1, 1, 1};
inline const Colour kBlue{0.4F, 0.4F, 0.8F, 1};

class Caster : public qmtest::EffectTestCharacter {
public:
    using EffectTestCharacter::EffectTestCharacter;
    using TArmedCharacter::AimParts;
    using TArmedCharacter::FireShot;
    using TArmedCharacter::Heal;
    using TArmedCharacter::RandomOffset;
    void SetHp(std::int32_t max, std::int32_t hp)
    {
        m_maxHp = max;
        m_hp = hp;
    }
    void ShakeForFrame(const TPatternEvent& frame) override
    {
        shakes.push_back(frame.ShakeLevel);
        EffectTestCharacter::ShakeForFrame(frame);
    }
    std::vector<std::uint8_t> shakes;
};

// Attack records 11 to 14 are of kinds 0 to 3; the others those the cases name.
inline constexpr std::uint32_t kHitIds[] = {
    4500, 5000,  5001,  5002,  60002, 2000,  2002,  2100,  2102,  2104,  2105,  2108,  2200,  2202,
    2203, 2205,  2206,  2300,  2302,  2304,  2500,  2501,  2503,  2504,  3000,  3002,  3100,  3102,
    3104, 3105,  3200,  3202,  3203,  3205,  3206,  3302,  3304,  3500,  3501,  3503,  3504,  3506,
    50000, 50001, 50003, 50004, 50005};

class PatternEventTest : public EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        qmtest::BhtFile table;
        for (std::uint32_t kind = 0; kind <= 3; ++kind) {
            TAttackRecord r;
            r.Id = 11 + kind;
            r.Kind = kind;
            r.Lifetime = 30;
            table.records.push_back(r);
        }
        for (std::uint32_t id : kHitIds) {
            TAttackRecord r;
            r.Id = id;
            r.Kind = 0;
            r.Lifetime = 1000;
            table.records.push_back(r);
        }
        table.Save((dir_.Path() / "events.bht").string());
        TAttackTable::SetDirectory("");
        TAttackTable::Load("events.bht");
        caster_ = NewCaster("owner");
    }
    void TearDown() override
    {
        caster_->DetachFromField();
        caster_.reset();
        TAttackTable::Clear();
        EffectAreaTest::TearDown();
    }
    std::unique_ptr<Caster> NewCaster(const std::string& name)
    {
        auto c = std::make_unique<Caster>(name);
        c->AttachToField(area_.get());
        c->GetFrame()->SetDirection(-F, kY);
        c->Place(P.x, P.y, P.z);
        return c;
    }
    void Fire(std::uint16_t code)
    {
        TPatternEvent e;
        e.EventCode = code;
        caster_->OnPatternEvent(e);
    }
    // A fresh caster and an empty field.
    void Reset()
    {
        log_.clear();
        caster_->DetachFromField();
        caster_ = NewCaster("owner");
        Manager().Clear();
    }
    // n draws of the seeded generator, seeded again for the code under test.
    static std::vector<std::uint32_t> Draws(std::uint32_t seed, int n, std::uint32_t (*draw)() = genrand_int32)
    {
        init_genrand(seed);
        std::vector<std::uint32_t> d;
        for (int i = 0; i < n; ++i) {
            d.push_back(draw());
        }
        init_genrand(seed);
        return d;
    }
    void Run(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            area_->Update();
        }
    }
    std::vector<std::uint32_t> HitCodes() const
    {
        std::vector<std::uint32_t> codes;
        for (const qmtest::AttackHitCall& h : caster_->AttackHits()) {
            codes.push_back(h.code);
        }
        return codes;
    }
    std::int32_t CasterId() const { return static_cast<std::int32_t>(caster_->GetObjectId()); }

    // The log as the golden shows it. A number has four decimals at most; a frame is the scene, the
    // caster, an effect of the log (#i) or a shot's model (#i.m).
    static std::string Num(float v)
    {
        char s[32];
        std::snprintf(s, sizeof s, "%.4f", std::fabs(v) < 5e-5F ? 0.0F : v);
        std::string t = s;
        t.erase(t.find_last_not_of('0') + 1);
        if (t.back() == '.') {
            t.pop_back();
        }
        return t;
    }
    static std::string Vec(const float* v, int n)
    {
        std::string s = "(";
        for (int i = 0; i < n; ++i) {
            s += (i > 0 ? " " : "") + Num(v[i]);
        }
        return s + ")";
    }
    static std::string Vec(const D3DXVECTOR3& v) { return Vec(&v.x, 3); }
    std::string Ref(const TFrame* f)
    {
        if (f == area_->Scene() || f == caster_->GetFrame()) {
            return f == area_->Scene() ? "scene" : "caster";
        }
        for (std::size_t i = 0; i < log_.size(); ++i) {
            // Only effects still listed are looked at; the others may be gone.
            if (log_[i].result == nullptr || Manager().FindLive(log_[i].serial).Get() != log_[i].result) {
                continue;
            }
            const auto* shot = dynamic_cast<const TShot*>(log_[i].result);
            if (log_[i].result->GetFrame() == f) {
                return "#" + std::to_string(i);
            }
            if (shot != nullptr && shot->GetModelFrame() == f) {
                return "#" + std::to_string(i) + ".m";
            }
        }
        return "?";
    }
    // What the event set on an effect beyond its start: owner, spawn lists, link, flight and motion.
    std::string Detail(TEffect* e)
    {
        std::string s;
        if (auto* owned = dynamic_cast<TOwnedAnimEffect*>(e); owned != nullptr && TEffectProbe::OwnerId(*owned) >= 0) {
            s += TEffectProbe::OwnerId(*owned) == CasterId() ? " own" : " own?";
        }
        if (auto* fang = dynamic_cast<TSpawnPathEffect*>(e)) {
            s += " spawn " + std::to_string(TEffectProbe::SpawnEffectId(*fang)) + "x" +
                 std::to_string(TEffectProbe::SpawnPointCount(*fang)) + " path " +
                 std::to_string(TEffectProbe::PathPointCount(*fang));
        }
        if (auto* bolt = dynamic_cast<TThunderEffect*>(e); bolt != nullptr && TEffectProbe::LinkedSerial(*bolt) >= 0) {
            const TRefPtr<TEffect> linked = Manager().FindLive(TEffectProbe::LinkedSerial(*bolt));
            s += " link " + (linked.Get() != nullptr ? Ref(linked->GetFrame()) : "gone") + " v" +
                 Vec(TEffectProbe::Velocity(*bolt));
        }
        auto* shot = dynamic_cast<TShot*>(e);
        if (shot == nullptr) {
            return s;
        }
        s += " f" + std::to_string(shot->GetFlightFrames());
        if (auto* star = dynamic_cast<TShotN*>(shot)) {
            s += " star" + Vec(TShotProbe::StarScale(*star), 3) + Vec(TShotProbe::StarColour1(*star), 4) +
                 Vec(TShotProbe::StarColour2(*star), 4);
        }
        TMotionHelper* m = TShotProbe::Motion(*shot);
        if (auto* arc = dynamic_cast<TCurveMotionBase*>(m)) {
            s += std::string(dynamic_cast<TArcMotion*>(m) != nullptr ? " arc " : " curve ") +
                 Num(TCharacterProbe::StepSize(*arc));
            for (int i = 0; i < 4; ++i) {
                s += Vec(TCharacterProbe::Point(*arc, i));
            }
        } else if (auto* orbit = dynamic_cast<TOrbitMotion*>(m)) {
            s += " orbit " + Num(TShotProbe::Angle(*orbit)) + " " + Num(TShotProbe::AngularStep(*orbit)) + " r" +
                 Num(TShotProbe::Radius(*orbit)) + Vec(TShotProbe::Centre(*orbit)) + "^" +
                 Ref(TShotProbe::Orbited(*orbit));
        } else if (auto* fall = dynamic_cast<TAccelMotion*>(m)) {
            s += " accel " + Num(TCharacterProbe::Speed(*fall)) + Vec(TCharacterProbe::Position(*fall));
        } else if (auto* follow = dynamic_cast<TFollowFrameMotion*>(m)) {
            s += " follow ^" + Ref(TCharacterProbe::Held(*follow).Get());
        }
        return s;
    }
    std::string Calls(std::size_t from = 0)
    {
        std::string s;
        for (std::size_t i = from; i < log_.size(); ++i) {
            const TEffectCreateCall& c = log_[i];
            s += (i > from ? " | " : "") + std::to_string(c.id) + " p" + Vec(c.position) + " d" + Vec(c.direction);
            if (c.colour[0] != 1 || c.colour[1] != 1 || c.colour[2] != 1 || c.colour[3] != 1) {
                s += " c" + Vec(c.colour, 4);
            }
            if (c.scale[0] != 1 || c.scale[1] != 1 || c.scale[2] != 1) {
                s += " s" + Vec(c.scale, 3);
            }
            if (c.parent != area_->Scene() || c.area != area_.get()) {
                s += " ^" + Ref(c.parent);
            }
            s += c.result == nullptr ? " null" : Detail(c.result);
        }
        return s;
    }
    // Hits with where they hang, sounds, shakes and hit points, each only when there are any.
    std::string Outcome(std::size_t hitsFrom = 0, std::size_t soundsFrom = 0)
    {
        std::string s;
        const std::vector<qmtest::AttackHitCall> hits = caster_->AttackHits();
        for (std::size_t i = hitsFrom; i < hits.size(); ++i) {
            s += (i == hitsFrom ? " || hit " : ", ") + std::to_string(hits[i].code) + Vec(hits[i].position) + "^" +
                 Ref(hits[i].parent);
        }
        for (std::size_t i = soundsFrom; i < caster_->sounds.size(); ++i) {
            s += (i == soundsFrom ? " || sound " : " ") + std::to_string(caster_->sounds[i]);
        }
        for (std::size_t i = 0; i < caster_->shakes.size(); ++i) {
            s += (i == 0 ? " || shake " : " ") + std::to_string(caster_->shakes[i]);
        }
        return s;
    }

    std::unique_ptr<Caster> caster_;
};

}  // namespace effecttest
