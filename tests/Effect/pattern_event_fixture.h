// The caster of the pattern-event tests in a test area with the attack records the cases name, and
// the call log checked against rows written from the event tables.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Shot/TBulletPart.h"
#include "MainCode/Map/TAttackTable.h"
#include "effect_area_fixture.h"
#include "formats/bht_writer.h"

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

struct Want {
    std::uint32_t id;
    D3DXVECTOR3 at;
    D3DXVECTOR3 direction = kZ;
    Colour colour = kWhite;
    D3DXVECTOR3 scale{1, 1, 1};
    bool underScene = true;  // false: hung under another effect, checked by the test
};

struct Event {
    std::uint16_t code;
    std::vector<Want> log;
    std::vector<std::uint32_t> hits;
    std::vector<D3DXVECTOR3> hitsAt = {};  // the first hits' positions
    std::vector<std::uint32_t> sounds = {};
    bool owned = false;
    TFrame* hitParent = nullptr;  // checked when given
};

class Caster : public qmtest::EffectTestCharacter {
public:
    using EffectTestCharacter::EffectTestCharacter;
    using TArmedCharacter::AimParts;
    using TArmedCharacter::FireShot;
    using TArmedCharacter::Heal;
    using TArmedCharacter::RandomOffset;
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
        // The catalogue hands out atlas cells from these counters: start them as a fresh run does,
        // so that the picture does not depend on the tests run before.
        TParticleEffect::ResetAtlasCounter();
        TBulletPartA::ResetBuildCounter();
        TBulletPartB::ResetBuildCounter();
        TBulletPartC::ResetBuildCounter();
        TBulletPartH::ResetBuildCounter();
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
    void ExpectLog(const std::vector<Want>& wants)
    {
        ASSERT_EQ(log_.size(), wants.size());
        for (std::size_t i = 0; i < wants.size(); ++i) {
            const TEffectCreateCall& c = log_[i];
            const Want& w = wants[i];
            SCOPED_TRACE("call " + std::to_string(i) + " id " + std::to_string(w.id));
            EXPECT_EQ(c.id, w.id);
            ExpectNear(c.position, w.at);
            ExpectNear(c.direction, w.direction);
            for (int k = 0; k < 4; ++k) {
                EXPECT_FLOAT_EQ(c.colour[k], (&w.colour.r)[k]) << "colour " << k;
                EXPECT_FLOAT_EQ(c.scale[k % 3], (&w.scale.x)[k % 3]) << "scale " << k % 3;
            }
            if (w.underScene) {
                EXPECT_EQ(c.parent, area_->Scene());
            }
            EXPECT_EQ(c.area, area_.get());
            EXPECT_NE(c.result, nullptr);
        }
    }
    // One code fired on a fresh caster: its log, its hits (where given, where they stand and hang),
    // its sounds, and whether the first effect learnt the caster as its owner.
    void ExpectEvent(const Event& e)
    {
        SCOPED_TRACE(e.code);
        Reset();
        Fire(e.code);
        ExpectLog(e.log);
        const std::vector<qmtest::AttackHitCall> hits = caster_->AttackHits();
        ASSERT_EQ(hits.size(), e.hits.size());
        for (std::size_t i = 0; i < hits.size(); ++i) {
            EXPECT_EQ(hits[i].code, e.hits[i]) << "hit " << i;
            if (i < e.hitsAt.size()) {
                ExpectNear(hits[i].position, e.hitsAt[i]);
            }
            if (e.hitParent != nullptr) {
                EXPECT_EQ(hits[i].parent, e.hitParent) << "hit " << i;
            }
        }
        EXPECT_EQ(caster_->sounds, e.sounds);
        if (e.owned) {
            auto* owned = dynamic_cast<TOwnedAnimEffect*>(log_.at(0).result);
            ASSERT_NE(owned, nullptr);
            EXPECT_EQ(owned->GetOwnerId(), CasterId());
        }
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

    std::unique_ptr<Caster> caster_;
};

}  // namespace effecttest
