// The field's step depends on its data, the input, the seeded generators and the step count only:
// not on the clock's reading or on what earlier runs left in memory. Two runs of the same play,
// their clocks started apart, decide every step alike.
#include <algorithm>
#include <iterator>

#include "Field/field_game_fixture.h"
#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "support/field_state_hash.h"

namespace fieldtest {
namespace {

class FieldRepeat : public FieldGame {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
        // Two enemies of each class in a ring around the start, and no spawning.
        std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
        qmtest::FieldMap& battle = maps[0];
        battle.spawners.clear();
        battle.enemies.clear();
        const D3DXVECTOR3 start = qmtest::FieldLayout::Start();
        for (int i = 0; i < 12; ++i) {
            const float angle = static_cast<float>(i) * 0.5236F;
            const D3DXVECTOR3 at(start.x + 4.0F * std::cos(angle), 0.0F, start.z + 4.0F * std::sin(angle));
            battle.enemies.push_back({qmtest::kFieldEnemyClassTypes[i % 6], at, D3DXVECTOR3(0.0F, 0.0F, 0.0F)});
        }
        qmtest::WriteFieldFolder(".", maps);
        qmtest::WriteFieldEnemyTable(".", {std::begin(qmtest::kFieldEnemyClassTypes),
                                           std::end(qmtest::kFieldEnemyClassTypes)});
    }

    // A fresh application with its clock started at clockStart and the generators seeded, then
    // the battle map played: a walk with attacks among the enemies. The state hash of every step.
    std::vector<std::uint64_t> Play(DWORD clockStart, std::uint32_t seed)
    {
        platform::ManualClock::Enable(clockStart);
        EXPECT_TRUE(driver_.Start());
        init_genrand(seed);
        std::vector<std::uint64_t> trace;
        TFieldLoop* field = Ready("battle");
        if (field == nullptr) {
            return trace;
        }
        TAreaBase* area = field->GetArea();
        EXPECT_EQ(area->GetEnemies()->GetLive().size(), 12u);
        constexpr int kSteps = 240;
        for (int step = 0; step < kSteps && CurrentField() == field; ++step) {
            // Forward, right, back and left in turn, attacking every fourth step.
            const int leg = step / 30 % 4;
            Hold(VK_UP, leg == 0);
            Hold(VK_RIGHT, leg == 1);
            Hold(VK_DOWN, leg == 2);
            Hold(VK_LEFT, leg == 3);
            Hold('X', step % 4 == 0);
            Step();
            trace.push_back(qmtest::FieldStateHash(area));
        }
        EXPECT_EQ(trace.size(), static_cast<std::size_t>(kSteps));
        EXPECT_FALSE(IsTimeStopped());
        platform::ResetKeyboardState();
        driver_.Stop();
        return trace;
    }
};

// The first step at which two traces differ; -1 when they agree throughout.
int FirstDifference(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b)
{
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (i >= a.size() || i >= b.size() || a[i] != b[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TEST_F(FieldRepeat, TheSamePlayDecidesEveryStepAlikeWhateverTheClockReads)
{
    const std::vector<std::uint64_t> first = Play(1000, 7);
    ASSERT_FALSE(first.empty());
    // The second run also finds what the first left behind in the process's statics.
    EXPECT_EQ(FirstDifference(first, Play(5'000'017, 7)), -1);
    // The hash sees the enemies' draws: another seed plays differently.
    EXPECT_NE(FirstDifference(first, Play(1000, 8)), -1);
}

}  // namespace
}  // namespace fieldtest
