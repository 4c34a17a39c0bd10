// The fixed tables of the database at both ends and for each kind of entry: passive-skill bonuses,
// skill groups, skill slots and the save points of each chapter.
#include "game_data_fixture.h"

#include <utility>

namespace {

TSkillRecord Passive(std::uint32_t id, std::uint8_t type, std::uint8_t subKind)
{
    TSkillRecord r;
    r.Id = id;
    r.Type = type;
    r.SubKind = subKind;
    return r;
}

struct BonusCase {
    std::uint8_t subKind;
    std::uint32_t base;
    std::uint32_t firstFactor;
    std::uint32_t lastFactor;
    float first;  // the bonus at place 0
    float last;   // and at place 5
};

// Sub-kinds 11..24 in order: one factor each, but the all-element one raises factors 4..9.
const BonusCase kBonuses[] = {
    {11, 1100, 0, 0, 0.02f, 0.12f},   {12, 1110, 1, 1, 0.02f, 0.12f},   {13, 1120, 2, 2, 0.02f, 0.12f},
    {14, 1130, 3, 3, 0.02f, 0.12f},   {15, 1140, 4, 4, 0.05f, 0.30f},   {16, 1150, 5, 5, 0.05f, 0.30f},
    {17, 1160, 6, 6, 0.05f, 0.30f},   {18, 1170, 7, 7, 0.05f, 0.30f},   {19, 1180, 8, 8, 0.05f, 0.30f},
    {20, 1190, 9, 9, 0.05f, 0.30f},   {21, 1200, 4, 9, 0.02f, 0.15f},   {22, 1300, 10, 10, 0.05f, 0.30f},
    {23, 1310, 11, 11, 0.30f, 1.00f}, {24, 1320, 12, 12, 0.05f, 0.30f},
};

class TableBoundsTest : public gamedatatest::GameDataTest {
protected:
    void WriteTables() override
    {
        std::vector<TSkillRecord> skills;
        for (const BonusCase& c : kBonuses) {
            for (std::uint32_t place = 0; place <= 6; ++place) {
                skills.push_back(Passive(c.base + place, place % 2 == 0 ? 2 : 3, c.subKind));
            }
        }
        skills.push_back(Passive(1400, 2, 10));  // sub-kinds just outside 11..24
        skills.push_back(Passive(1401, 3, 25));
        skills.push_back(Passive(1402, 1, 11));  // an active skill of a passive sub-kind
        skills.push_back(Passive(1403, 4, 11));
        for (std::uint32_t id : {2000u, 2014u, 3100u, 3106u}) {
            skills.push_back(Passive(id, 0, 0));
        }
        Save("skill.tbl", qmtest::BuildGameTable(skills));
    }

    // The factors with only this skill in slot 0 of hero 0.
    std::vector<float> FactorsWith(std::uint32_t id)
    {
        data_->SetSkillSlot(0, 0, id);
        std::vector<float> factors;
        for (std::uint32_t f = 0; f < TGameData::kSkillFactors; ++f) {
            factors.push_back(data_->GetSkillFactor(f));
        }
        return factors;
    }
};

TEST_F(TableBoundsTest, EveryPassiveSubKindRaisesItsFactorsAtBothEndsOfItsSixIds)
{
    for (const BonusCase& c : kBonuses) {
        for (const auto& [place, value] : {std::pair{0u, c.first}, std::pair{5u, c.last}}) {
            const std::vector<float> factors = FactorsWith(c.base + place);
            for (std::uint32_t f = 0; f < TGameData::kSkillFactors; ++f) {
                const bool raised = f >= c.firstFactor && f <= c.lastFactor;
                EXPECT_EQ(factors[f], raised ? value : 0.0f)
                    << "sub-kind " << int{c.subKind} << " place " << place << " factor " << f;
            }
        }
        // The seventh id past the base gives nothing.
        EXPECT_EQ(FactorsWith(c.base + 6), std::vector<float>(TGameData::kSkillFactors, 0.0f)) << int{c.subKind};
    }
    for (std::uint32_t id : {1400u, 1401u, 1402u, 1403u}) {
        EXPECT_EQ(FactorsWith(id), std::vector<float>(TGameData::kSkillFactors, 0.0f)) << id;
    }
    EXPECT_EQ(data_->GetSkillFactor(TGameData::kSkillFactors), 0.0f);

    // The strongest of two slotted skills of one factor holds.
    data_->SetSkillSlot(0, 4, 1105);
    data_->SetSkillSlot(0, 0, 1101);
    EXPECT_EQ(data_->GetSkillFactor(0), 0.12f);
    // A slot past the five is ignored.
    data_->SetSkillSlot(0, 5, 1145);
    EXPECT_EQ(data_->GetSkillSlot(0, 5), 0u);
    EXPECT_EQ(data_->GetSkillFactor(4), 0.0f);
    EXPECT_EQ(data_->GetSkillSlot(0, 4), 1105u);
}

TEST_F(TableBoundsTest, TheFirstAndLastSkillGroupsSetTheirFlagsWhenWhole)
{
    for (std::uint32_t id = 2000; id < 2014; ++id) {
        data_->LearnSkill(0, id);
    }
    for (std::uint32_t id = 3100; id < 3106; ++id) {
        data_->LearnSkill(1, id);
    }
    const auto flags = [this] {
        return std::vector<int>{data_->GetFlag(1000), data_->GetFlag(1011), data_->GetFlag(1012)};
    };
    EXPECT_EQ(flags(), (std::vector<int>{0, 0, 0}));
    data_->LearnSkill(0, 2014);
    EXPECT_EQ(flags(), (std::vector<int>{1, 0, 0}));
    data_->LearnSkill(1, 3106);
    EXPECT_EQ(flags(), (std::vector<int>{1, 1, 0}));
}

TEST(SavePointTable, EachChapterOwnsItsSavePointsUpToBothEnds)
{
    const std::pair<std::uint32_t, std::uint32_t> ranges[7] = {{0xFFFFFFFFu, 0xFFFFFFFFu}, {0, 2},   {3, 6},
                                                               {7, 10},    {11, 20}, {21, 30}, {31, 40}};
    for (std::int32_t chapter = 0; chapter < 7; ++chapter) {
        const auto [first, last] = ranges[chapter];
        EXPECT_TRUE(TGameData::IsSavePointOfChapter(first, chapter)) << chapter;
        EXPECT_TRUE(TGameData::IsSavePointOfChapter(last, chapter)) << chapter;
        EXPECT_FALSE(TGameData::IsSavePointOfChapter(last + 1, chapter)) << chapter;
        if (first != 0) {
            EXPECT_FALSE(TGameData::IsSavePointOfChapter(first - 1, chapter)) << chapter;
        }
        if (chapter >= 1) {
            EXPECT_EQ(TGameData::GetChapterOfSavePoint(first), chapter);
            EXPECT_EQ(TGameData::GetChapterOfSavePoint(last), chapter);
            EXPECT_TRUE(TGameData::IsCarryOverSave(chapter, last));
        }
    }
    EXPECT_FALSE(TGameData::IsSavePointOfChapter(0, -1));
    EXPECT_FALSE(TGameData::IsSavePointOfChapter(0, 7));
    EXPECT_EQ(TGameData::GetChapterOfSavePoint(41), -1);
    EXPECT_EQ(TGameData::GetChapterOfSavePoint(0xFFFFFFFFu), -1);
    EXPECT_FALSE(TGameData::IsCarryOverSave(0, 0xFFFFFFFFu));
    EXPECT_FALSE(TGameData::IsCarryOverSave(7, 31));
}

}  // namespace
