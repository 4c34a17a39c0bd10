// THeroA on a body whose motions last chosen numbers of frames, stepped by the hero trace.
#pragma once

#include <memory>
#include <vector>

#include "MainCode/Character/THeroA.h"
#include "MainCode/GameData/TSkillTable.h"
#include "player_fixture.h"
#include "support/hero_trace.h"

namespace herotest {

constexpr std::uint32_t kAttack = kButtonA;
constexpr std::uint32_t kSkill = kButtonB;
constexpr std::uint32_t kJump = kButtonC;

// Motions of THeroA's rows, by the frames they last: the combo hits are long enough to queue or
// hold during, the leap and its air step short.
inline std::vector<std::uint32_t> TraceMotionFrames()
{
    std::vector<std::uint32_t> frames(120, 4);
    frames[19] = 10;  // row 1
    frames[21] = 10;  // row 3
    frames[37] = 30;  // row 25
    for (std::uint32_t m : {39u, 41u, 43u}) {
        frames[m] = 12;  // rows 27, 29, 31
    }
    for (std::uint32_t m : {45u, 47u, 49u}) {
        frames[m] = 6;  // rows 35, 37, 39
    }
    frames[56] = 6;   // row 33
    frames[51] = 3;   // row 41
    frames[65] = 5;   // row 59
    frames[66] = 8;   // row 60
    frames[71] = 3;   // row 65
    frames[83] = 10;  // row 69
    frames[58] = 12;  // row 47
    return frames;
}

class TestHeroA : public THeroA {
public:
    using THeroA::THeroA;
    using THero::RunAction;
    void SetFollowUpFlag(std::uint8_t on) { m_followUp = on; }
    std::pair<std::size_t, std::size_t> MapSizes() const { return {m_tapMap.size(), m_holdMap.size()}; }
};

class HeroFixture : public playertest::PlayerFixture {
protected:
    void SetUp() override
    {
        PlayerFixture::SetUp();
        qmtest::SaveHeroTraceModel("char04/", "hero01", TraceMotionFrames());
    }

    void TearDown() override
    {
        TSkillTable::Clear();
        PlayerFixture::TearDown();
    }

    std::unique_ptr<TestHeroA> MakeA()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1000;
        return std::make_unique<TestHeroA>(links_, 0, *record, "hero01");
    }

    // Skill `id` of that type in the gauge's selected slot.
    void SlotSkill(std::uint32_t id, std::uint8_t type)
    {
        TSkillTable::Get(id).Type = type;
        data_->GetCharacterData(0)->SkillSlot[0] = id;
        gauge_->SetSelection(0);
    }

    // Pressed for one frame.
    static void Tap(qmtest::HeroTrace& t, std::uint32_t button)
    {
        t.Hold(button);
        t.Step();
        t.Release(button);
    }

    // The skill button held until the hold has fired, then released.
    static void HoldSkill(qmtest::HeroTrace& t)
    {
        t.Hold(kSkill);
        t.Step(qmtest::HeroTrace::kAttackDelay + THero::kHoldFrames + 1);
        t.Release(kSkill);
        t.Step();
    }
};

}  // namespace herotest
