// Skills in a fight: a hero whose motions last long enough for the skills' motion times, in an area
// with a recording effect manager and the generator seeded with 5489; the hero records the pattern
// events it receives before handling them, and can be told to ignore action numbers it lacks.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "MainCode/Shot/TShot.h"
#include "combat_fixture.h"

namespace skilltest {

constexpr std::uint32_t kSkillFrames = 16;

class SkillHero : public playertest::TestHero {
public:
    using TestHero::TestHero;
    using TPlayerCharacter::PatternAction;
    void SetStateDirect(std::uint32_t state, std::uint32_t subState)
    {
        m_state = state;
        m_subState = subState;
    }
    void SetCurrent(PatternAction action) { m_currentPatternAction = action; }
    std::uint32_t Fired() const { return m_actionFired; }
    std::uint32_t FrameCounter() const { return m_actionSlotA; }
    std::uint32_t WaveCounter() const { return m_actionSlotB; }
    void SetCounters(std::uint32_t fired, std::uint32_t frames, std::uint32_t waves)
    {
        m_actionFired = fired;
        m_actionSlotA = frames;
        m_actionSlotB = waves;
    }
    void OnPatternEvent(const TPatternEvent& frame) override
    {
        events.push_back(frame.EventCode);
        TPlayerCharacter::OnPatternEvent(frame);
    }
    // A hero whose action table ends at `actions` ignores higher numbers.
    void SetSubState(std::uint32_t action) override
    {
        if (action >= actions) {
            return;
        }
        TestHero::SetSubState(action);
    }
    bool IsChainBlocked(std::uint32_t action) override
    {
        return std::find(blocked.begin(), blocked.end(), action) != blocked.end();
    }
    float MotionTime() const { return m_bodyMesh->GetMorphTime(); }
    void SetMotionTime(float t) { m_bodyMesh->SetMorphTime(t); }
    void DropWeapons()
    {
        m_leftWepon = TRefPtr<TWepon>();
        m_rightWepon = TRefPtr<TWepon>();
    }

    std::vector<std::uint16_t> events;
    std::uint32_t actions = 0xFFFFFFFFu;
    std::vector<std::uint32_t> blocked;
};

class SkillFixture : public combattest::CombatFixture {
protected:
    void SetUp() override
    {
        CombatFixture::SetUp();
        WriteLongHeroModel("hero01");
    }

    // Every motion lasts kSkillFrames frames.
    void WriteLongHeroModel(const std::string& name)
    {
        qmtest::MeshFile body = qmtest::GroundMesh().WallZ(0, -0.5F, 0.5F, 0, 2).File("body");
        body.animated = true;
        std::vector<std::vector<TPatternEvent>> patterns;
        for (std::uint32_t i = 0; i < playertest::kMotions; ++i) {
            body.morphs.push_back({"m" + std::to_string(i), std::vector<std::uint32_t>(kSkillFrames, 0),
                                   std::vector<float>(kSkillFrames, 1.0F)});
            patterns.emplace_back(kSkillFrames, TPatternEvent());
        }
        Load(body, "char04/" + name + ".tob");
        qmtest::SaveBytes(name + ".pat", qmtest::BuildPatternFile(patterns));
        WriteWepons(name);
    }

    // The hero with weapon 1000 of that element and length, in the area, with plenty of MP.
    std::unique_ptr<SkillHero> MakeSkillHero(std::uint32_t element = 1, float length = 1.0F)
    {
        TWeponTable::Get(1000).Element = element;
        TWeponTable::Get(1000).TrailLength = length;
        std::unique_ptr<SkillHero> hero = MakeHeroOf<SkillHero>(0, 0);
        hero->AttachToField(area_.get());
        area_->RegisterObject(hero.get());
        hero->SetMp(1000);
        hero->SetStateDirect(TPlayerCharacter::kStateIdle, 0);
        created_.clear();
        sounds_.clear();
        return hero;
    }

    // Calls the action once a frame until it answers false (at most `limit` frames); the frames taken.
    static std::uint32_t RunToEnd(SkillHero& hero, SkillHero::PatternAction action, std::uint32_t limit = 1000)
    {
        std::uint32_t frames = 0;
        while (frames < limit) {
            ++frames;
            if (!(hero.*action)()) {
                break;
            }
        }
        return frames;
    }

    // One line per created effect: id, position, direction, colour, scale and the parent's name.
    std::string DumpCreated() const
    {
        std::string out;
        char line[512];
        for (const TEffectCreateCall& c : created_) {
            std::snprintf(line, sizeof line,
                          "%u pos(%.4f %.4f %.4f) dir(%.4f %.4f %.4f) rgba(%.3f %.3f %.3f %.3f) scale(%.3f %.3f %.3f) "
                          "under %s%s\n",
                          c.id, c.position.x, c.position.y, c.position.z, c.direction.x, c.direction.y, c.direction.z,
                          c.colour[0], c.colour[1], c.colour[2], c.colour[3], c.scale[0], c.scale[1], c.scale[2],
                          c.parent != nullptr ? c.parent->GetName().c_str() : "-", c.result != nullptr ? "" : " (none)");
            out += line;
        }
        return out;
    }

    std::vector<std::uint32_t> Sounds() const { return Played(0); }
};

}  // namespace skilltest
