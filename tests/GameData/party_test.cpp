// Inventory, item ring, skills and ability points of the party.
#include "game_data_fixture.h"

#include <algorithm>

namespace {

TWeponRecord Wepon(std::uint32_t id, std::uint32_t firstSkill)
{
    TWeponRecord r;
    r.Id = id;
    for (std::uint32_t k = 0; k < 10; ++k) {
        r.Skill[k] = firstSkill + k;
    }
    return r;
}

class PartyTest : public gamedatatest::GameDataTest {
protected:
    void WriteTables() override
    {
        std::vector<TSkillRecord> skills;
        for (std::uint32_t id : {2000u, 2001u, 2002u, 2003u, 2004u, 2005u, 2006u, 2007u, 2008u, 2009u, 1141u, 1203u}) {
            skills.emplace_back().Id = id;
        }
        for (std::uint32_t id = 3000; id <= 3009; ++id) {
            skills.emplace_back().Id = id;
        }
        Save("skill.tbl", qmtest::BuildGameTable(skills));

        // The equipment tables are loaded by the start-up, not by the database.
        Save("wepon.tbl", qmtest::BuildGameTable(std::vector<TWeponRecord>{Wepon(1000, 2000), Wepon(1199, 3000)}));
        TWeponTable::Load(dir_.File("wepon.tbl"));
        TAccessoryRecord ring;
        ring.Id = 2199;
        ring.Skill[0] = 1141;
        ring.Skill[1] = 1203;
        Save("accessory.tbl", qmtest::BuildGameTable(std::vector<TAccessoryRecord>{ring}));
        TAccessoryTable::Load(dir_.File("accessory.tbl"));
    }

    std::uint8_t CountOf(std::uint32_t id)
    {
        const TItemEntry* e = data_->FindItem(id);
        return e != nullptr ? e->Count : 0;
    }
};

TEST_F(PartyTest, CountsStayWithin0To99)
{
    EXPECT_TRUE(data_->AddItem(7, 60));
    EXPECT_FALSE(data_->AddItem(7, 50));
    EXPECT_EQ(CountOf(7), 99);
    data_->RemoveItem(7, 39);
    EXPECT_FALSE(data_->TryAddItem(7, 50));
    EXPECT_EQ(CountOf(7), 60);
    // A new entry is capped too, never cut to a byte.
    EXPECT_TRUE(data_->AddItem(9, 300));
    EXPECT_EQ(CountOf(9), 99);

    // Using more than held fails; removing reports whether the entry is gone.
    data_->AddItem(5, 5);
    EXPECT_FALSE(data_->UseItem(5, 6));
    EXPECT_EQ(CountOf(5), 5);
    EXPECT_FALSE(data_->RemoveItem(5, 2));
    EXPECT_TRUE(data_->UseItem(5, 3));
    EXPECT_EQ(data_->FindItem(5), nullptr);
    data_->AddItem(5, 5);
    EXPECT_TRUE(data_->RemoveItem(5, 200));
    EXPECT_EQ(data_->FindItem(5), nullptr);
}

TEST_F(PartyTest, RingSlotsHoldItemsAndGiveThemBack)
{
    // After a new game item 1 lies in ring slot 1 only.
    EXPECT_EQ(data_->FindItem(1), data_->GetRingSlot(1));
    EXPECT_FALSE(data_->AddItem(1, 2));
    EXPECT_EQ(data_->GetRingSlot(1)->Count, 7);
    data_->AddItem(5, 4);
    data_->AddRingItem(1, 5);
    EXPECT_EQ(std::make_pair(data_->GetRingSlot(1)->Id, int{data_->GetRingSlot(1)->Count}), std::make_pair(5u, 4));
    ASSERT_NE(data_->FindItem(1), nullptr);  // back in the inventory
    EXPECT_EQ(data_->GetItemKindCount(), 1);

    // An item not held, or a slot past the ring, changes nothing.
    data_->AddRingItem(2, 77);
    data_->AddRingItem(8, 1);
    data_->ClearRingItem(8);
    EXPECT_EQ(data_->GetRingSlot(2)->Id, 0u);
    EXPECT_EQ(CountOf(1), 7);
    EXPECT_EQ(data_->GetItemKindCount(), 1);

    data_->ClearRingItem(1);
    EXPECT_EQ(data_->GetRingSlot(1)->Id, 0u);
    EXPECT_EQ(CountOf(5), 4);
    EXPECT_EQ(data_->GetItemKindCount(), 2);
}

TEST_F(PartyTest, AbilityPointsOpenOneSkillPerHundred)
{
    std::vector<std::uint32_t> learned;
    data_->AddWeponAbp(0, 1000, 99, learned);
    EXPECT_TRUE(learned.empty());
    data_->AddWeponAbp(0, 1000, 851, learned);  // 950
    EXPECT_EQ(learned, (std::vector<std::uint32_t>{2000, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008}));

    // A sum past 16 bits saturates instead of wrapping to a few points.
    learned.clear();
    data_->AddWeponAbp(1, 1199, 65500, learned);
    data_->AddWeponAbp(1, 1199, 100, learned);
    EXPECT_EQ(data_->GetCharacterData(1)->WeponPoints[199], 1000);
    EXPECT_EQ(learned.size(), 10u);

    // Accessories: the same with the accessory's list, skills already known are skipped.
    learned.clear();
    data_->LearnSkill(1, 1141);
    data_->AddAccessoryAbp(1, 2199, 250, learned);
    EXPECT_EQ(data_->GetCharacterData(1)->AccessoryPoints[199], 250);
    EXPECT_EQ(learned, std::vector<std::uint32_t>{1203});

    // Ids outside the arrays, or a character past the party, are ignored.
    learned.clear();
    for (std::uint32_t id : {0u, 999u, 1200u, 1999u, 2200u, 0xFFFFFFFFu}) {
        data_->AddWeponAbp(2, id, 1000, learned);
        data_->AddAccessoryAbp(2, id, 1000, learned);
    }
    data_->AddWeponAbp(8, 1000, 1000, learned);
    EXPECT_TRUE(learned.empty());
    const auto zero = [](auto p) { return p == 0; };
    for (std::uint32_t i = 2; i < 8; ++i) {
        const TCharacterRecord* r = data_->GetCharacterData(i);
        EXPECT_TRUE(std::all_of(std::begin(r->WeponPoints), std::end(r->WeponPoints), zero) &&
                    std::all_of(std::begin(r->AccessoryPoints), std::end(r->AccessoryPoints), zero)) << i;
    }
}

}  // namespace
