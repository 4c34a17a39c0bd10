// Armed characters on a device: the object fixture plus pattern and weapon files, and a fighter
// that records its reactions, sounds, delivered hits and attack passes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "MainCode/Character/TArmedCharacter.h"
#include "object_fixture.h"
#include "formats/byte_writer.h"
#include "formats/pattern_writer.h"

namespace objtest {

// (attacker id, target id) of every attack pass, in order.
inline std::vector<std::pair<std::uint32_t, std::uint32_t>> g_attackPasses;

struct Reaction {
    std::uint32_t kind = 0;
    std::uint32_t element = 0;
    std::int32_t soundType = 0;
    std::uint32_t knockFlags = 0;
    std::int32_t magnitude = 0;
    std::uint8_t front = 0;
    std::uint8_t longStun = 0;
    float valueA = 0.0F;
    float knockTime = 0.0F;
    float launchSpeed = 0.0F;
    std::int32_t damage = 0;
};

struct Delivery {
    TArmedCharacter* victim;
    std::int32_t value;
    std::int32_t damage;
    std::uint8_t flag;
};

class TestFighter : public TArmedCharacter {
public:
    // Stats: HP 100/100, MP 50/50, STR 10, VIT def, INT 30, MEN men, rates 1.0 .. 6.0 / 4.
    explicit TestFighter(std::int32_t vit = 20, std::int32_t men = 40, std::uint8_t accepts = 1,
                         const std::string& name = "hero")
        : TArmedCharacter(5, 1.0F, 1.5F, 1, 1, -0.02F, accepts, accepts, accepts, 100, 100, 50, 50, 10, vit, 30, men,
                          0.25F, 0.5F, 0.75F, 1.0F, 1.25F, 1.5F, name)
    {
    }
    bool Update() override { return true; }
    bool IsAirborneState() override { return false; }
    void OnHitDelivered(TArmedCharacter* victim, std::int32_t value, std::int32_t damage, std::uint8_t flag) override
    {
        delivered.push_back({victim, value, damage, flag});
    }
    bool IsSpecialActionState() override { return false; }
    bool IsHeld() override { return false; }
    // Hits hang on the body at the record's offset and hit as hard as its placement value.
    void GetAttackParams(const TAttackRecord& record, TAttackPlacement& out) override
    {
        out.Parent = GetFrame();
        out.Position = D3DXVECTOR3(record.Offset[0], record.Offset[1], record.Offset[2]);
        out.BaseDamage = record.Placement;
    }
    void ApplyHitsTo(TGameObject* target) override
    {
        g_attackPasses.emplace_back(GetObjectId(), target->GetObjectId());
        TArmedCharacter::ApplyHitsTo(target);
    }
    void PlaySound(std::uint32_t id) override { sounds.push_back(id); }
    void PlayVoice(std::uint32_t id) override { voices.push_back(id); }
    void OnPatternEvent(const TPatternEvent& frame) override { events.push_back(frame.EventCode); }
    std::uint32_t ReactLight(std::uint32_t e, std::int32_t s, std::uint32_t k, std::int32_t m, std::uint8_t f,
                             float a, float t, std::int32_t d) override
    {
        return Record({1, e, s, k, m, f, 0, a, t, 0.0F, d});
    }
    std::uint32_t ReactLight2(std::uint32_t e, std::int32_t s, std::uint32_t k, std::int32_t m, std::uint8_t f,
                              float a, float t, std::int32_t d) override
    {
        return Record({2, e, s, k, m, f, 0, a, t, 0.0F, d});
    }
    std::uint32_t ReactLaunch(std::uint32_t e, std::int32_t s, std::uint32_t k, std::int32_t m, std::uint8_t f,
                              float a, float t, float l, std::int32_t d) override
    {
        m_reactionMode = kModeLaunched;
        return Record({4, e, s, k, m, f, 0, a, t, l, d});
    }
    std::uint32_t ReactStun(std::uint32_t e, std::int32_t s, std::uint32_t k, std::int32_t m, std::uint8_t ls,
                            std::uint8_t f, float a, float t, std::int32_t d) override
    {
        m_stunMark = 1;
        return Record({8, e, s, k, m, f, ls, a, t, 0.0F, d});
    }
    std::uint32_t ReactHeavy(std::uint32_t e, std::int32_t s, std::uint32_t k, std::int32_t m, std::uint8_t f,
                             float a, float t, std::int32_t d) override
    {
        return Record({16, e, s, k, m, f, 0, a, t, 0.0F, d});
    }

    void Place(float x, float y, float z) { SetPosition(D3DXVECTOR3(x, y, z)); }
    void SetAirHits(std::int32_t n) { m_airHits = n; }
    void SetHp(std::int32_t hp) { m_hp = hp; }
    void SetMp(std::int32_t mp) { m_mp = mp; }
    void SetMode(std::uint32_t mode) { m_reactionMode = mode; }
    void SetStunMark(std::uint8_t mark) { m_stunMark = mark; }
    void SetFlashTime(std::int32_t t) { m_flashTime = t; }
    std::uint8_t JuggleApplied() const { return m_juggleApplied; }

    std::vector<Reaction> reactions;
    std::vector<Delivery> delivered;
    std::vector<std::uint32_t> sounds;
    std::vector<std::uint32_t> voices;
    std::vector<std::uint16_t> events;

private:
    std::uint32_t Record(const Reaction& r)
    {
        reactions.push_back(r);
        TakeDamage(r.damage);
        return 0;
    }
};

// An area whose player is whichever fighter the test names.
class ArmedFixture : public ObjectFixture {
protected:
    void SetUp() override
    {
        ObjectFixture::SetUp();
        g_attackPasses.clear();
        // Pattern and weapon files are written to the test's folder, where the loaders look.
        TPatternInfo::SetDirectory("");
        TWeponState::SetDirectory("");
        WriteAnimatedBody("hero");
        WritePattern({TPatternEvent()});
        WriteWepons("hero");
    }
    // One motion of 32 frames, so that tests can set the motion time.
    void WriteAnimatedBody(const std::string& name)
    {
        qmtest::MeshFile body = qmtest::GroundMesh().WallZ(0, -0.5F, 0.5F, 0, 2).File("body");
        body.animated = true;
        body.morphs.push_back({"motion", std::vector<std::uint32_t>(32, 0), std::vector<float>(32, 1.0F)});
        Load(body, "char04/" + name + ".tob");
    }
    void WritePattern(const std::vector<TPatternEvent>& frames, const std::string& name = "hero")
    {
        qmtest::SaveBytes(name + ".pat", qmtest::BuildPatternFile({frames}));
    }
    void WriteWepons(const std::string& name)
    {
        qmtest::WeponKey key;
        key.firstPosition = D3DXVECTOR3(0.5F, 1.0F, 0.0F);
        key.secondPosition = D3DXVECTOR3(-0.5F, 1.0F, 0.0F);
        qmtest::SaveBytes(name + ".wpm", qmtest::BuildWeponStateFile({key}, {{0}}));
    }
};

}  // namespace objtest
