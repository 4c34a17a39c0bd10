// Inventory, item ring, skills and ability points of the party.
#include "game_data_fixture.h"

#include <algorithm>

namespace {

TItemRecord Item(std::uint32_t id, std::uint8_t kind, std::uint8_t noSell, std::uint32_t sellPrice)
{
    TItemRecord r;
    r.Id = id;
    r.Kind = kind;
    r.NoSell = noSell;
    r.SellPrice = sellPrice;
    return r;
}

TWeponRecord Wepon(std::uint32_t id, std::int32_t type, std::uint32_t firstSkill)
{
    TWeponRecord r;
    r.Id = id;
    r.Type = type;
    for (std::uint32_t k = 0; k < 10; ++k) {
        r.Skill[k] = firstSkill + k;
    }
    return r;
}

std::vector<std::uint32_t> Ids(const std::vector<TRefPtr<TItemEntry>>& entries)
{
    std::vector<std::uint32_t> ids;
    for (const auto& e : entries) {
        ids.push_back(e->Id);
    }
    return ids;
}

class PartyTest : public gamedatatest::GameDataTest {
protected:
    void WriteTables() override
    {
        Save("item.tbl", qmtest::BuildGameTable(std::vector<TItemRecord>{
                             Item(3, 0, 1, 50), Item(4, 0, 0, 0), Item(5, 0, 0, 20), Item(6, 0, 0, 20),
                             Item(1001, 1, 0, 100), Item(1002, 1, 0, 100), Item(2001, 2, 0, 100)}));
        // Group 0 (2000..2014) fits every weapon; 500 only type 3, 501 only type 0, 502 (past the
        // weapon-bound types) all; passive 1199 lies outside the six ids of its sub-kind, 1145 is active.
        std::vector<TSkillRecord> skills;
        const std::uint32_t defs[][3] = {{500, 7, 0},     {501, 4, 0},     {502, 16, 0},    {1141, 3, 15},
                                         {1144, 2, 15},   {1203, 2, 21},   {1311, 3, 23},   {1199, 2, 15},
                                         {1145, 1, 15}};
        for (std::uint32_t id = 2000; id <= 2014; ++id) {
            skills.emplace_back().Id = id;
        }
        for (std::uint32_t id = 3000; id <= 3009; ++id) {
            skills.emplace_back().Id = id;
            skills.back().Type = 1;
        }
        for (const auto& d : defs) {
            skills.emplace_back().Id = d[0];
            skills.back().Type = static_cast<std::uint8_t>(d[1]);
            skills.back().SubKind = static_cast<std::uint8_t>(d[2]);
        }
        Save("skill.tbl", qmtest::BuildGameTable(skills));

        // The equipment tables are loaded by the start-up, not by the database.
        Save("wepon.tbl", qmtest::BuildGameTable(std::vector<TWeponRecord>{
                              Wepon(1000, 0, 2000), Wepon(1001, 3, 2005), Wepon(1199, 1, 3000),
                              Wepon(1200, 0, 3000)}));
        TWeponTable::Load(dir_.File("wepon.tbl"));
        TAccessoryRecord ring;
        ring.Id = 2199;
        ring.Skill[0] = 1141;
        ring.Skill[1] = 1203;
        TAccessoryRecord beyond = ring;
        beyond.Id = 2200;
        Save("accessory.tbl", qmtest::BuildGameTable(std::vector<TAccessoryRecord>{ring, beyond}));
        TAccessoryTable::Load(dir_.File("accessory.tbl"));
    }

    std::uint8_t CountOf(std::uint32_t id)
    {
        const TItemEntry* e = data_->FindItem(id);
        return e != nullptr ? e->Count : 0;
    }

    const std::list<std::uint32_t>& Learned(std::uint32_t i) { return data_->GetCharacterData(i)->LearnedSkills; }

    void LearnAll(std::uint32_t i, std::initializer_list<std::uint32_t> ids)
    {
        for (std::uint32_t id : ids) {
            ASSERT_TRUE(data_->LearnSkill(i, id)) << id;
        }
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
    EXPECT_TRUE(data_->TryAddItem(7, 39));
    EXPECT_EQ(CountOf(7), 99);
    // A new entry is capped too, never cut to a byte.
    EXPECT_TRUE(data_->AddItem(9, 300));
    EXPECT_EQ(CountOf(9), 99);
    EXPECT_FALSE(data_->AddItem(9, 0xFFFFFFFFu));
    EXPECT_EQ(CountOf(9), 99);
    EXPECT_TRUE(data_->TryAddItem(8, 3));
    EXPECT_FALSE(data_->TryAddItem(8, 0xFFFFFFFFu));
    EXPECT_EQ(CountOf(8), 3);
    EXPECT_EQ(data_->GetItemKindCount(), 3);

    // Using more than held fails; removing reports whether the entry is gone.
    data_->AddItem(5, 5);
    EXPECT_FALSE(data_->UseItem(5, 6));
    EXPECT_EQ(CountOf(5), 5);
    EXPECT_FALSE(data_->RemoveItem(5, 2));
    EXPECT_EQ(CountOf(5), 3);
    EXPECT_TRUE(data_->UseItem(5, 3));
    EXPECT_EQ(data_->FindItem(5), nullptr);
    data_->AddItem(5, 5);
    EXPECT_TRUE(data_->RemoveItem(5, 200));
    EXPECT_EQ(data_->FindItem(5), nullptr);
    EXPECT_FALSE(data_->RemoveItem(5, 1));
    EXPECT_FALSE(data_->UseItem(5, 0));
}

TEST_F(PartyTest, RingSlotsHoldItemsAndGiveThemBack)
{
    // After a new game item 1 lies in ring slot 1 only.
    EXPECT_EQ(data_->FindItem(1), data_->GetRingSlot(1));
    EXPECT_FALSE(data_->AddItem(1, 2));
    EXPECT_EQ(data_->GetRingSlot(1)->Count, 7);

    data_->AddItem(5, 4);
    data_->AddRingItem(1, 5);
    EXPECT_EQ(data_->GetRingSlot(1)->Id, 5u);
    EXPECT_EQ(data_->GetRingSlot(1)->Count, 4);
    ASSERT_NE(data_->FindItem(1), nullptr);  // back in the inventory
    EXPECT_EQ(data_->FindItem(1)->Count, 7);
    EXPECT_EQ(data_->GetItemKindCount(), 1);

    // Within the ring: slot 1 to slot 3 leaves slot 1 empty; into its own slot again changes nothing.
    data_->AddRingItem(3, 5);
    data_->AddRingItem(3, 5);
    EXPECT_EQ(data_->GetRingSlot(1)->Id, 0u);
    EXPECT_EQ(data_->GetRingSlot(3)->Id, 5u);
    EXPECT_EQ(data_->GetRingSlot(3)->Count, 4);
    EXPECT_EQ(CountOf(5), 4);

    // An item not held, or a slot past the ring, changes nothing.
    data_->AddRingItem(2, 77);
    data_->AddRingItem(8, 1);
    data_->ClearRingItem(8);
    EXPECT_EQ(data_->GetRingSlot(2)->Id, 0u);
    EXPECT_EQ(CountOf(1), 7);
    EXPECT_EQ(data_->GetItemKindCount(), 1);

    data_->ClearRingItem(3);
    EXPECT_EQ(data_->GetRingSlot(3)->Id, 0u);
    EXPECT_EQ(CountOf(5), 4);
    EXPECT_EQ(data_->GetItemKindCount(), 2);

    // Slot 0 is not searched; an item used up from the ring clears every slot 1..7 holding it.
    data_->AddItem(6, 2);
    data_->AddRingItem(0, 6);
    EXPECT_EQ(data_->FindItem(6), nullptr);
    EXPECT_TRUE(data_->AddItem(6, 1));  // a new inventory entry
    EXPECT_EQ(data_->GetRingSlot(0)->Count, 2);
    data_->AddRingItem(4, 1);
    EXPECT_TRUE(data_->UseItem(1, 7));
    EXPECT_EQ(data_->GetRingSlot(4)->Id, 0u);
    EXPECT_EQ(data_->GetRingSlot(4)->Count, 0);
    data_->RemoveItemEntry(6);  // the inventory entry goes first
    EXPECT_EQ(data_->GetRingSlot(0)->Id, 6u);
}

TEST_F(PartyTest, ShopAndEquipmentListsAreFilteredAndSorted)
{
    data_->ClearRingItem(1);
    for (std::uint32_t id : {2001u, 6u, 4u, 3u, 1001u, 5u, 1002u}) {
        data_->AddItem(id, 1);
    }
    data_->AddItem(99, 0);  // nothing held
    std::vector<TRefPtr<TItemEntry>> list;
    data_->MakeItemList(list);
    // 3 may not be sold, 4 sells for nothing, 1 and 99 have no record (price 0).
    EXPECT_EQ(Ids(list), (std::vector<std::uint32_t>{5, 6, 1001, 1002, 2001}));
    data_->MakeItemListOfKind(list, 1);
    EXPECT_EQ(Ids(list), (std::vector<std::uint32_t>{1001, 1002}));
    data_->MakeItemListOfKind(list, 2);
    EXPECT_EQ(Ids(list), (std::vector<std::uint32_t>{2001}));
}

TEST_F(PartyTest, AbilityPointsOpenOneSkillPerHundred)
{
    std::vector<std::uint32_t> learned;
    data_->AddWeponAbp(0, 1000, 99, learned);
    EXPECT_TRUE(learned.empty());
    data_->AddWeponAbp(0, 1000, 851, learned);  // 950
    EXPECT_EQ(learned, (std::vector<std::uint32_t>{2000, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008}));
    learned.clear();
    data_->AddWeponAbp(0, 1000, 100, learned);
    data_->AddWeponAbp(0, 1000, 500, learned);
    EXPECT_EQ(data_->GetCharacterData(0)->WeponPoints[0], 1000);
    EXPECT_EQ(learned, std::vector<std::uint32_t>{2009});

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
    EXPECT_TRUE(Learned(2).empty());
    for (std::uint32_t i = 2; i < 8; ++i) {
        const TCharacterRecord* r = data_->GetCharacterData(i);
        EXPECT_TRUE(std::all_of(std::begin(r->WeponPoints), std::end(r->WeponPoints), [](auto p) { return p == 0; }));
        EXPECT_TRUE(
            std::all_of(std::begin(r->AccessoryPoints), std::end(r->AccessoryPoints), [](auto p) { return p == 0; }));
    }
}

TEST_F(PartyTest, SkillsMoveBetweenLearnedListAndSlots)
{
    EXPECT_FALSE(data_->LearnSkill(0, 0));
    LearnAll(0, {500, 501, 502, 3000});
    EXPECT_FALSE(data_->LearnSkill(0, 501));
    EXPECT_FALSE(data_->LearnSkill(8, 501));

    data_->SetSkillSlot(0, 0, 501);
    data_->SetSkillSlot(0, 1, 500);
    data_->SetSkillSlot(0, 2, 502);
    EXPECT_EQ(data_->GetSkillSlot(0, 0), 501u);
    EXPECT_EQ(Learned(0), (std::list<std::uint32_t>{3000}));
    EXPECT_FALSE(data_->LearnSkill(0, 500));  // set in a slot

    // Replacing a slot gives the old skill back.
    data_->SetSkillSlot(0, 2, 3000);
    EXPECT_EQ(Learned(0), (std::list<std::uint32_t>{502}));
    data_->ClearSkillSlot(0, 2);
    EXPECT_EQ(data_->GetSkillSlot(0, 2), 0u);
    EXPECT_EQ(Learned(0), (std::list<std::uint32_t>{502, 3000}));

    // A weapon of type 3: the type-0 skill goes back, the type-3 one stays.
    data_->RemoveUnfitSkills(0, 1001);
    EXPECT_EQ(data_->GetSkillSlot(0, 0), 0u);
    EXPECT_EQ(data_->GetSkillSlot(0, 1), 500u);
    EXPECT_EQ(Learned(0).back(), 501u);

    std::vector<std::uint32_t> list;
    data_->MakeSkillList(list, 0, 1000);
    EXPECT_EQ(list, (std::vector<std::uint32_t>{501, 502, 3000}));
    data_->MakeSkillList(list, 0, 1001);
    EXPECT_EQ(list, (std::vector<std::uint32_t>{502, 3000}));

    // Slots and characters past the arrays.
    data_->SetSkillSlot(0, 5, 502);
    data_->SetSkillSlot(9, 0, 502);
    EXPECT_EQ(data_->GetSkillSlot(0, 5), 0u);
    EXPECT_EQ(data_->GetSkillSlot(9, 0), 0u);
    EXPECT_EQ(Learned(0).front(), 502u);
}

TEST_F(PartyTest, PassiveSkillsInSlotsSetTheLargestFactor)
{
    LearnAll(1, {1141, 1144, 1203, 1311, 1199, 1145});
    data_->SetSkillSlot(1, 0, 1141);
    data_->SetSkillSlot(1, 1, 1144);
    EXPECT_FLOAT_EQ(data_->GetSkillFactor(4), 0.25f);
    data_->SetSkillSlot(1, 2, 1203);  // every element 0.10
    data_->SetSkillSlot(1, 3, 1311);
    EXPECT_FLOAT_EQ(data_->GetSkillFactor(4), 0.25f);
    for (std::uint32_t f = 5; f <= 9; ++f) {
        EXPECT_FLOAT_EQ(data_->GetSkillFactor(f), 0.10f) << f;
    }
    EXPECT_FLOAT_EQ(data_->GetSkillFactor(11), 0.40f);
    EXPECT_FLOAT_EQ(data_->GetSkillFactor(0), 0.0f);

    // Bad table rows and active skills give nothing; the factors follow the slots.
    data_->SetSkillSlot(1, 0, 1199);
    data_->SetSkillSlot(1, 1, 1145);
    EXPECT_FLOAT_EQ(data_->GetSkillFactor(4), 0.10f);
    data_->UpdateSkillBonuses(0);  // a character without passive skills
    EXPECT_FLOAT_EQ(data_->GetSkillFactor(4), 0.0f);
    EXPECT_FLOAT_EQ(data_->GetSkillFactor(11), 0.0f);
}

TEST_F(PartyTest, LearningAWholeSkillGroupSetsItsFlag)
{
    for (std::uint32_t id = 2000; id < 2014; ++id) {
        data_->LearnSkill(0, id);
        data_->LearnSkill(2, id);
    }
    data_->SetSkillSlot(0, 0, 2003);
    EXPECT_EQ(data_->GetFlag(1000), 0);
    data_->LearnSkill(2, 2014);  // only characters 0 and 1 count
    EXPECT_EQ(data_->GetFlag(1000), 0);
    data_->LearnSkill(0, 2014);
    EXPECT_EQ(data_->GetFlag(1000), 1);
    EXPECT_EQ(data_->GetFlag(1001), 0);

    // Never cleared here, never raised past 1.
    data_->SetFlag(1000, 5);
    data_->ClearSkillSlot(0, 0);
    EXPECT_EQ(data_->GetFlag(1000), 5);
}

}  // namespace
