// The common skills played on the generated folder. First as a newcomer meets them: the fire charm
// taken up in the battle map's corner and worn through the equipment screen, a win that teaches its
// first spell, the skill window that sets it into the first gauge slot, and the skill button that
// casts it tapped and held. Then every spell of the six charms in both forms, cast with the skill
// button beside an enemy: what each creates (through the effect manager's create log and live
// list), the MP it takes, the HP it heals and the enemies' HP it takes; before them the light
// charm's eighth skill, the prayer dance, which only plays the spell motion: nothing more in the
// sword's class, a blessing in the hand guard's.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "MainCode/Shot/TShot.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "dx/dx8/3d/TFrame.h"
#include "make-sample-data/SampleData.h"
#include "support/character_probe.h"
#include "support/effect_create_recorder.h"
#include "support/dx_probe.h"
#include "support/field_walk.h"
#include "support/hud_probe.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/map_probe.h"

namespace {

using qmtest::Button;
using qmtest::SceneDriver;
using sample::CharmLayout;

constexpr std::uint32_t kStateAction = 19;

// What one cast showed.
struct Cast {
    std::set<std::uint32_t> created;
    std::vector<std::uint32_t> unknown;  // ids the manager had no prototype for
    std::int32_t mpPaid = 0;
    std::int32_t healed = 0;
    std::int32_t damage = 0;  // over every enemy
    float farthestShot = 0.0F;  // the longest flight of a shot it made
    std::vector<std::int32_t> bolts;  // serials of its thunder bolts and their sparks
    int patternSteps = 0;  // steps that began or ended in the skill's own row (1 tapped, 3 held)
    bool started = false;
    bool ended = false;
};

class SkillsRoad : public qmtest::SampleFieldRoad {
protected:
    void SetUp() override
    {
        SampleFieldRoad::SetUp();
        field_ = qmtest::StartOnBattleMap(driver_);
        ASSERT_NE(field_, nullptr);
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 200));
        init_genrand(71);
    }
    void TearDown() override
    {
        SampleFieldRoad::TearDown();
        driver_.Stop();
        EXPECT_TRUE(driver_.boxes.empty());
    }

    void Key(Button b, int then = 0)
    {
        driver_.Press(b);
        driver_.Steps(1 + then);
    }
    std::vector<TEnemy*> Enemies() const
    {
        std::vector<TEnemy*> out;
        for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->IsAlive()) {
                out.push_back(entry.second.Get());
            }
        }
        return out;
    }
    TEnemy* EnemyOfType(std::uint32_t type) const
    {
        for (TEnemy* e : Enemies()) {
            if (e->GetRelatedId() == type) {
                return e;
            }
        }
        return nullptr;
    }
    static std::uint32_t Held(std::uint32_t id)
    {
        const TItemEntry* entry = TGameData::GetInstance()->FindItem(id);
        return entry != nullptr ? entry->Count : 0;
    }
    bool OpenMenu()
    {
        for (int i = 0; i < 300 && dynamic_cast<TMenuTopLoop*>(driver_.Current()) == nullptr; ++i) {
            driver_.Press(Button::E);
            if (dynamic_cast<TMenuTopLoop*>(driver_.Current()) == nullptr) {
                driver_.Step();
            }
        }
        return dynamic_cast<TMenuTopLoop*>(driver_.Current()) != nullptr;
    }
    bool BackToField(TLoop* menu)
    {
        if (!driver_.StepUntil([&] { return driver_.Current() == menu; }, 60)) {
            return false;
        }
        driver_.Steps(47);
        Key(Button::B);
        return driver_.StepUntil([&] { return driver_.Current() == field_; }, 200);
    }
    // The damage the enemies have taken since the last call, healed at once, so that no enemy
    // falls to the road (the strong one's fall would end the map).
    std::int32_t HealEnemies() const
    {
        std::int32_t damage = 0;
        for (TEnemy* e : Enemies()) {
            damage += e->GetMaxHp() - e->GetHp();
            e->RecoverHp(e->GetMaxHp());
        }
        return damage;
    }
    bool AtRest() const
    {
        const std::uint32_t state = field_->GetPlayer()->GetState();
        return state <= 3;
    }

    // One cast of the skill in gauge slot 0 with the skill button, tapped or held, followed to the
    // end of the hero's action.
    Cast CastSlot(bool held)
    {
        Cast cast;
        TPlayerCharacter* player = field_->GetPlayer();
        TEffectManager* effects = field_->GetEffectManager();
        std::vector<TEffectCreateCall> log;
        qmtest::EffectCreateRecorder creates(effects, &log);
        const std::int32_t mp = player->GetMp();
        const std::int32_t hp = player->GetHp();
        std::map<std::int32_t, D3DXVECTOR3> shots;  // serial -> where its first part was first seen
        std::size_t seen = 0;
        bool inRow = false;
        auto watch = [&] {
            const std::uint32_t row = TCharacterProbe::SubState(*player);
            const bool nowInRow = player->GetState() == kStateAction && (row == 1 || row == 3);
            cast.patternSteps += inRow || nowInRow ? 1 : 0;
            inRow = nowInRow;
            cast.damage += HealEnemies();
            for (; seen < log.size(); ++seen) {
                const TEffectCreateCall& call = log[seen];
                if (call.result == nullptr) {
                    cast.unknown.push_back(call.id);
                    continue;
                }
                cast.created.insert(call.id);
                if (call.id == 121 || call.id == 122) {
                    cast.bolts.push_back(call.serial);
                }
                const TRefPtr<TEffect> live = effects->FindLive(call.serial);
                if (auto* shot = dynamic_cast<TShot*>(live.Get()); shot != nullptr && shot->GetPartCount() > 0) {
                    shots.emplace(call.serial, D3DXVECTOR3(0.0F, 0.0F, 0.0F));
                }
            }
            for (auto& [serial, start] : shots) {
                const TRefPtr<TEffect> live = effects->FindLive(serial);
                auto* shot = dynamic_cast<TShot*>(live.Get());
                if (shot == nullptr) {
                    continue;
                }
                D3DXVECTOR3 at;
                shot->GetPart(0).GetFrameRef()->GetWorldPosition(&at);
                if (start == D3DXVECTOR3(0.0F, 0.0F, 0.0F)) {
                    start = at;
                }
                const D3DXVECTOR3 d = at - start;
                cast.farthestShot = std::max(cast.farthestShot, D3DXVec3Length(&d));
            }
        };
        // Held past the charge time, or let go at once; the hero takes it up a few steps later. A
        // blow that lands first throws the hero out of it: pressed again once he may act again.
        for (int tries = 0; tries < 3 && player->GetState() != kStateAction; ++tries) {
            for (int i = 0; i < 300 && !(AtRest() && player->CanAct()); ++i) {
                driver_.Step();
                watch();
            }
            SceneDriver::Hold(Button::B, true);
            for (int i = 0; i < 40 && player->GetState() != kStateAction; ++i) {
                driver_.Step();
                watch();
                if (!held) {
                    SceneDriver::Hold(Button::B, false);
                }
            }
            // Let go for a step, so that the next try is a new press.
            SceneDriver::Hold(Button::B, false);
            driver_.Step();
            watch();
        }
        cast.started = player->GetState() == kStateAction;
        for (int i = 0; i < 400 && player->GetState() == kStateAction; ++i) {
            driver_.Step();
            watch();
        }
        cast.ended = player->GetState() != kStateAction;
        cast.mpPaid = mp - player->GetMp();
        cast.healed = player->GetHp() - hp;
        creates.Stop();
        return cast;
    }
    // Every spell of the first three charms or of the last three, tapped and held (below).
    void CastSpells(bool lastThree);

    TFieldLoop* field_ = nullptr;
};

// The fire charm from the corner, worn; a win with the sword teaches its first spell (and the
// sword's first skill); the skill window puts the spell into the first slot; the skill button
// casts it: tapped, a small fire ball for 12 MP, held, a larger one for 22.
TEST_F(SkillsRoad, TheFireCharmTeachesItsFirstSpellInAFightAndTheSkillButtonCastsIt)
{
    TGameData* data = TGameData::GetInstance();
    const std::uint32_t charm = CharmLayout::kFirstCharm;
    const D3DXVECTOR3 corner = CharmLayout::Pickup(0);
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            if (Held(charm) > 0) {
                return true;
            }
            qmtest::WalkTowards(field_, corner);
            return false;
        },
        1500));
    qmtest::ReleaseArrows();
    EXPECT_EQ(data->GetPickupFlag(CharmLayout::kFirstFlag), 1) << "the pick-up's flag";

    // The pause menu's equipment screen, the first accessory: the charm.
    ASSERT_TRUE(OpenMenu());
    auto* menu = dynamic_cast<TMenuTopLoop*>(driver_.Current());
    driver_.Steps(57);
    auto* equip = qmtest::OpenEquipment(driver_);
    ASSERT_NE(equip, nullptr);
    Key(Button::Down);
    Key(Button::A, 10);
    ASSERT_TRUE(TMenuProbe::IsInList(*equip));
    int index = -1;
    for (std::size_t i = 0; i < TMenuProbe::List(*equip).size(); ++i) {
        if (TMenuProbe::List(*equip)[i]->Id == charm) {
            index = static_cast<int>(i);
        }
    }
    ASSERT_GE(index, 0);
    for (int i = 0; i < index; ++i) {
        Key(Button::Down);
    }
    Key(Button::A, 10);
    const TPlayerCharacter* wearer = field_->GetPlayer();
    EXPECT_TRUE(wearer->GetEquipItemId('A') == charm || wearer->GetEquipItemId('B') == charm);
    Key(Button::B);
    ASSERT_TRUE(BackToField(menu));

    // The fight with the battle map's first enemy, which has come after the hero.
    bool noticed = false;
    auto firstEnemy = [&] { return EnemyOfType(qmtest::kFieldEnemyType); };
    for (int frames = 0; frames < 2000 && firstEnemy() != nullptr; ++frames) {
        const D3DXVECTOR3 at = qmtest::PositionOf(firstEnemy());
        if (qmtest::FlatDistance(qmtest::PositionOf(field_->GetPlayer()), at) > 1.6F) {
            qmtest::WalkTowards(field_, at);
            SceneDriver::Hold(Button::A, false);
        } else {
            qmtest::ReleaseArrows();
            SceneDriver::Hold(Button::A, frames % 8 < 4);
        }
        driver_.Step();
        for (const TGetRender::Notice& n : THudProbe::Queue(*field_->GetGetRender())) {
            noticed = noticed || (n.kind == TGetRender::kSkill && n.value == 100);
        }
    }
    SceneDriver::ReleaseAll();
    ASSERT_EQ(firstEnemy(), nullptr) << "the first enemy still stands";
    EXPECT_TRUE(noticed) << "the spell's notice";
    std::vector<std::uint32_t> list;
    data->MakeSkillList(list, 0, field_->GetPlayer()->GetWeaponId());
    EXPECT_EQ(list, (std::vector<std::uint32_t>{1, 100}));

    // The skill window: slot 0, the list's second entry.
    ASSERT_TRUE(driver_.StepUntil([&] { return AtRest(); }, 300));
    ASSERT_TRUE(OpenMenu());
    menu = dynamic_cast<TMenuTopLoop*>(driver_.Current());
    driver_.Steps(57);
    auto* skills = qmtest::OpenSkillWindow(driver_, 2);
    ASSERT_NE(skills, nullptr);
    EXPECT_EQ(TMenuProbe::List(*skills), (std::vector<std::uint32_t>{1, 100}));
    Key(Button::Down, 4);
    Key(Button::A, 10);
    EXPECT_EQ(data->GetSkillSlot(0, 0), 100u);
    Key(Button::B, 10);
    ASSERT_TRUE(BackToField(menu));
    ASSERT_TRUE(driver_.StepUntil([&] { return AtRest(); }, 300));
    // The gauge shows the fire spells' icon in the selected first slot.
    EXPECT_EQ(field_->GetSkillGauge()->GetSelection(), 0);
    EXPECT_EQ(TDxProbe::Image(field_->GetSkillGauge()->GetSlotIcons()[0]).GetName(), "skl_icon.ptx/mag00_skl");

    // Tapped, then held: 12 and 22 MP of the hero's (40, or a little more after a level), each a
    // fire ball that flies off.
    TPlayerCharacter* player = field_->GetPlayer();
    const std::int32_t mp = player->GetMp();
    ASSERT_GE(mp, 40);
    const Cast tapped = CastSlot(false);
    EXPECT_TRUE(tapped.started && tapped.ended);
    EXPECT_EQ(tapped.mpPaid, 12);
    EXPECT_TRUE(tapped.created.count(400) && tapped.created.count(1));
    EXPECT_GT(tapped.farthestShot, 1.0F);
    ASSERT_TRUE(driver_.StepUntil([&] { return AtRest(); }, 300));
    const Cast charged = CastSlot(true);
    EXPECT_TRUE(charged.started && charged.ended);
    EXPECT_EQ(charged.mpPaid, 22);
    EXPECT_TRUE(charged.created.count(401) && charged.created.count(1));
    EXPECT_GT(charged.farthestShot, 1.0F);
    EXPECT_EQ(player->GetMp(), mp - 34);
    // Too little MP left for the held form: the refusal, nothing paid.
    ASSERT_LE(player->GetMp(), 22);
    ASSERT_TRUE(driver_.StepUntil([&] { return AtRest(); }, 300));
    const Cast refused = CastSlot(true);
    EXPECT_TRUE(refused.started && refused.ended);
    EXPECT_EQ(refused.mpPaid, 0);
    EXPECT_EQ(refused.created.count(401), 0u);
}

// One form of a spell as the design gives it: its cost, effects it must create (the routine's or
// the event's own), whether a shot of it flies, the HP it heals.
struct Form {
    std::uint32_t cost;
    std::vector<std::uint32_t> effects;
    bool flies;
    std::int32_t heal;
};
// The forms whose strikes cannot be counted on: the rains (their rocks fly on level at their
// height) and those that strike with 3506, the plain record the weapon skills' blade passes share.
bool MayMiss(std::uint32_t id, bool held)
{
    return id == 104 || id == 105 || id == 155 || (held && (id == 106 || id == 154 || id == 156));
}
struct Spell {
    std::uint32_t id;
    const char* routine;  // of the tapped form / of the held form
    const char* heldRoutine;
    Form tapped;
    Form held;
};

// Every spell of the six charms (of the motion-only ids 107-109 ... 157-159 only 147 is taught, and
// cast before these).
const Spell kSpells[] = {
    {100, "event", "event", {12, {400, 1}, true, 0}, {22, {401, 1}, true, 0}},
    {101, "repeat", "repeat", {20, {407, 1}, true, 0}, {37, {408, 1}, true, 0}},
    {102, "line burst", "line burst", {35, {600, 904}, false, 0}, {65, {600, 904}, false, 0}},
    {103, "event", "event", {50, {400, 1}, true, 0}, {90, {401, 1}, true, 0}},
    {104, "event", "event", {75, {510}, true, 0}, {140, {510}, true, 0}},
    {105, "rain", "rain", {95, {510}, true, 0}, {175, {510}, true, 0}},
    {106, "event", "rain", {65, {401, 1}, true, 0}, {125, {510}, true, 0}},
    {110, "event", "event", {12, {200, 2}, false, 0}, {22, {202, 2}, false, 0}},
    {111, "event", "event", {20, {206, 2}, false, 0}, {37, {206, 208, 2}, false, 0}},
    {112, "event", "event", {35, {50, 107, 2}, false, 0}, {65, {50, 107, 2}, false, 0}},
    {113, "event", "event", {50, {50, 107, 2}, false, 0}, {90, {50, 107, 2}, false, 0}},
    {114, "twin fan", "twin fan", {75, {216, 55}, false, 0}, {140, {218, 55}, false, 0}},
    {115, "homing", "homing", {95, {220, 55}, false, 0}, {175, {222, 55}, false, 0}},
    {116, "event", "homing", {65, {50, 107, 2}, false, 0}, {125, {222, 55}, false, 0}},
    {120, "event", "event", {12, {402, 3}, true, 0}, {22, {403, 3}, true, 0}},
    {121, "repeat", "repeat", {20, {405, 3}, true, 0}, {37, {406, 3}, true, 0}},
    {122, "event", "event", {35, {451}, true, 0}, {65, {452}, true, 0}},
    {123, "event", "event", {50, {600, 53}, false, 0}, {90, {600, 53}, false, 0}},
    {124, "event", "event", {75, {120, 53, 3}, false, 0}, {140, {120, 53, 3}, false, 0}},
    {125, "event", "event", {95, {120, 53, 3}, false, 0}, {175, {120, 53, 3}, false, 0}},
    {126, "event", "event", {65, {600, 53}, false, 0}, {125, {120, 53, 3}, false, 0}},
    {130, "event", "event", {12, {500, 4}, true, 0}, {22, {502, 4}, true, 0}},
    {131, "event", "event", {20, {500, 4}, true, 0}, {37, {502, 4}, true, 0}},
    {132, "event", "event", {35, {500, 4}, true, 0}, {65, {502, 4}, true, 0}},
    {133, "event", "event", {50, {508, 4}, true, 0}, {90, {508, 4}, true, 0}},
    {134, "event", "path fan", {75, {210, 4}, false, 0}, {140, {214}, false, 0}},
    {135, "path burst", "path burst", {95, {214}, false, 0}, {175, {214}, false, 0}},
    {136, "event", "path burst", {65, {508, 4}, true, 0}, {125, {214}, false, 0}},
    {140, "event", "event", {25, {905, 5}, false, 60}, {45, {906, 5}, false, 120}},
    {141, "event", "event", {40, {905, 107, 5}, false, 100}, {75, {906, 107, 5}, false, 200}},
    {142, "event", "event", {70, {905, 107, 103, 5}, false, 180}, {130, {906, 107, 103, 5}, false, 360}},
    {143, "event", "event", {100, {907, 103, 113, 5}, false, 250}, {180, {907, 103, 113, 5}, false, 500}},
    {144, "heal", "heal", {150, {908, 115, 107, 5, 119}, false, 500}, {280, {909, 114, 107, 5, 119}, false, 600}},
    {145, "blessing", "blessing", {190, {908, 910, 115, 107, 5, 103, 119}, false, 800},
     {350, {908, 910, 115, 107, 5, 103, 119}, false, 1000}},
    {146, "event", "blessing", {130, {907, 103, 113, 5}, false, 500}, {250, {908, 910, 115, 5}, false, 1000}},
    {150, "event", "event", {12, {409, 6}, true, 0}, {22, {410, 6}, true, 0}},
    {151, "event", "event", {20, {51, 103, 6}, false, 0}, {37, {51, 103, 6}, false, 0}},
    {152, "line blast", "line blast", {35, {51, 103}, false, 0}, {65, {51, 103}, false, 0}},
    {153, "event", "event", {50, {551, 6}, true, 0}, {90, {552, 6}, true, 0}},
    {154, "line quake", "line quake", {75, {121, 122, 600, 904}, false, 0}, {140, {121, 122, 600, 904}, false, 0}},
    {155, "random quake", "random quake", {95, {121, 122, 600, 904}, false, 0}, {175, {121, 122, 600, 904}, false, 0}},
    {156, "event", "random quake", {65, {552, 6}, true, 0}, {125, {121, 122, 600, 904}, false, 0}},
};

// Every spell, tapped and held, from the first gauge slot beside the strong enemy. The hero is
// made sturdy and deep in MP for the road (its record raised and the player rebuilt, as a change
// of character does), is kept from harm, and has its MP filled before each cast; the enemies are
// healed step by step, their damage counted, so that none falls to the road.
// The follow-ups a spell's strikes make when they land on the enemy, by the landing codes their
// records carry: the returning orb 411/412 (1000/1001, and 1016/1017 with the flag clear), the
// bursts 702/703 (1002/1003), 704/705 (1006/1007), 708 (1008/1009) and 706/707 (1014/1015), the
// blows at the weapon 800/801 (1004/1005) and 806 (1012/1013), the seekers 453/454 (1010/1011,
// 1022/1023) and the fans 802/803 (1020/1021).
struct FollowUp {
    std::uint32_t spell;
    std::vector<std::uint32_t> tapped;
    std::vector<std::uint32_t> held;
};
const FollowUp kFollowUps[] = {
    {100, {411}, {412}},      {101, {411}, {412}},      {102, {702}, {703}}, {103, {800}, {801}},
    {110, {704}, {705}},      {111, {453, 708}, {454}}, {112, {706, 806}, {707}},
    {113, {411}, {412}},      {122, {802}, {803}},      {123, {454}, {454}},
};

// The prayer dance (147, motion only) cast in a class: what the status shows of the timed bonus
// afterwards (STR, VIT, INT, MEN), the HP it heals, and whether the blessing's sparkle (103) rose.
struct Dance {
    std::uint32_t weapon;
    bool held;
    std::int32_t bonus[4];
    std::int32_t heal;
    bool sparkle;
};
// The sword's spell motions carry nothing; the hand guard's (1107) bless: the lesser blessing
// tapped, the greater held.
const Dance kDances[] = {
    {1000, false, {0, 0, 0, 0}, 0, false},
    {1000, true, {0, 0, 0, 0}, 0, false},
    {1107, false, {10, 0, 10, 0}, 500, true},
    {1107, true, {20, 10, 20, 10}, 1000, true},
};

// In two halves, each a test of its own: the prayer dance and the landing follow-ups with the
// first three charms, the heals, the thunder bolts and the queued held form with the last three.
TEST_F(SkillsRoad, EverySpellOfTheFirstThreeCharmsTappedAndHeldCreatesPaysAndStrikes)
{
    CastSpells(false);
}

TEST_F(SkillsRoad, EverySpellOfTheLastThreeCharmsTappedAndHeldCreatesPaysHealsAndStrikes)
{
    CastSpells(true);
}

void SkillsRoad::CastSpells(bool lastThree)
{
    TGameData* data = TGameData::GetInstance();
    TCharacterRecord* record = data->GetCharacterData(0);
    const std::uint32_t sword = record->WeaponId;
    // The hero's record is written back when the partner is made, so it is raised (and its weapon
    // changed) in between.
    TPlayerCharacter* player = nullptr;
    const auto rebuild = [&](std::uint32_t weapon) {
        ASSERT_TRUE(field_->ChangePlayer(1));
        record->LifeMax = record->Life = 4000;
        record->MpMax = record->Mp = 2000;
        record->WeaponId = weapon;
        ASSERT_TRUE(field_->ChangePlayer(0));
        player = field_->GetPlayer();
        TCharacterProbe::SetHitImmunity(*player, 1);
    };

    // The prayer dance first, as before the spells of the whole road.
    if (!lastThree) {
        // The light charm's points: its seven spells by 799, the prayer dance at 800.
        const std::uint32_t lightCharm = CharmLayout::kFirstCharm + 4;
        std::vector<std::uint32_t> learned;
        data->AddAccessoryAbp(0, lightCharm, 799, learned);
        EXPECT_EQ(learned, (std::vector<std::uint32_t>{140, 141, 142, 143, 144, 145, 146}));
        learned.clear();
        data->AddAccessoryAbp(0, lightCharm, 1, learned);
        EXPECT_EQ(learned, std::vector<std::uint32_t>{147});
        // Cast from the first slot it only plays the spell motion, a step a frame to the end of its
        // eight, and is free.
        for (const Dance& dance : kDances) {
            SCOPED_TRACE(std::to_string(dance.weapon) + (dance.held ? " held" : " tapped"));
            if (player == nullptr || player->GetWeaponId() != dance.weapon) {
                rebuild(dance.weapon);
                if (HasFatalFailure()) {
                    return;
                }
            }
            ASSERT_TRUE(driver_.StepUntil([&] { return AtRest(); }, 300));
            data->SetSkillSlot(0, 0, 147);
            TCharacterProbe::ConsumeHp(*player, player->GetHp() - 100);
            const Cast cast = CastSlot(dance.held);
            EXPECT_TRUE(cast.started && cast.ended);
            EXPECT_EQ(cast.patternSteps, 8);
            EXPECT_EQ(cast.mpPaid, 0);
            EXPECT_EQ(cast.healed, dance.heal);
            EXPECT_EQ(cast.created.count(103), dance.sparkle ? 1u : 0u);
            EXPECT_EQ((std::vector<std::int32_t>{player->GetStrBonus(), player->GetVitBonus(), player->GetIntBonus(),
                                                 player->GetMenBonus()}),
                      std::vector<std::int32_t>(std::begin(dance.bonus), std::end(dance.bonus)));
        }
    }
    // The spells below in the sword's class, without the blessing.
    rebuild(sword);
    ASSERT_FALSE(HasFatalFailure());
    data->GetTimedFlags(0)->Reset();
    TEnemy* target = EnemyOfType(sample::SampleLayout::kStrongEnemyType);
    ASSERT_NE(target, nullptr);
    // The first enemy brought within its notice, to fight beside it: the strong one shrugs off the
    // weakest spells.
    TEnemy* first = EnemyOfType(qmtest::kFieldEnemyType);
    ASSERT_NE(first, nullptr);
    first->GetFrame()->SetPosition(qmtest::PositionOf(player) + D3DXVECTOR3(0.0F, 0.0F, -5.0F));
    // It is beside the hero by the time the first half's spells are cast; the second half waits for it.
    if (lastThree) {
        ASSERT_TRUE(driver_.StepUntil(
            [&] { return qmtest::FlatDistance(qmtest::PositionOf(first), qmtest::PositionOf(player)) < 2.0F; }, 600));
    }

    std::set<std::string> routines;
    std::vector<std::int32_t> bolts;
    int followUps = 0;
    for (const Spell& spell : std::span(kSpells).subspan(lastThree ? 21 : 0, 21)) {
        for (bool held : {false, true}) {
            const Form& form = held ? spell.held : spell.tapped;
            const char* routine = held ? spell.heldRoutine : spell.routine;
            SCOPED_TRACE(std::to_string(spell.id) + (held ? " held" : " tapped"));
            routines.insert(routine);
            ASSERT_TRUE(driver_.StepUntil([&] { return AtRest(); }, 300));
            data->SetSkillSlot(0, 0, spell.id);
            player->RecoverMp(100000);
            if (form.heal > 0) {
                TCharacterProbe::ConsumeHp(*player, player->GetHp() - 100);
            }
            HealEnemies();
            // The strong enemy a step and a half ahead.
            D3DXVECTOR3 front;
            player->GetFront(&front);
            target->GetFrame()->SetPosition(qmtest::PositionOf(player) + 1.5F * front);
            const Cast cast = CastSlot(held);
            bolts.insert(bolts.end(), cast.bolts.begin(), cast.bolts.end());
            EXPECT_TRUE(cast.started && cast.ended);
            EXPECT_TRUE(cast.unknown.empty()) << "an effect id without prototype: " << cast.unknown.front();
            EXPECT_EQ(cast.mpPaid, static_cast<std::int32_t>(form.cost));
            for (std::uint32_t id : form.effects) {
                EXPECT_EQ(cast.created.count(id), 1u) << "effect " << id;
            }
            for (const FollowUp& f : kFollowUps) {
                for (std::uint32_t id : f.spell == spell.id ? (held ? f.held : f.tapped) : std::vector<std::uint32_t>{}) {
                    EXPECT_EQ(cast.created.count(id), 1u) << "landing follow-up " << id;
                    ++followUps;
                }
            }
            if (form.flies) {
                EXPECT_GT(cast.farthestShot, 0.5F);
            }
            EXPECT_EQ(cast.healed, form.heal);
            if (form.heal == 0) {
                if (!MayMiss(spell.id, held)) {
                    EXPECT_GT(cast.damage, 0) << "struck nothing";
                }
            }
        }
    }
    // A held press during a running spell queues the held form, which follows at once: the ice
    // fan tapped (fifty steps of waves), the button held through its charge meanwhile.
    if (lastThree) {
        ASSERT_TRUE(driver_.StepUntil([&] { return AtRest(); }, 300));
        data->SetSkillSlot(0, 0, 114);
        player->RecoverMp(100000);
        const std::int32_t mp = player->GetMp();
        std::vector<TEffectCreateCall> log;
        qmtest::EffectCreateRecorder creates(field_->GetEffectManager(), &log);
        SceneDriver::Hold(Button::B, true);
        driver_.Step();
        SceneDriver::Hold(Button::B, false);
        ASSERT_TRUE(driver_.StepUntil([&] { return player->GetState() == kStateAction; }, 10));
        SceneDriver::Hold(Button::B, true);
        bool chained = false;
        for (int i = 0; i < 300 && player->GetState() == kStateAction; ++i) {
            driver_.Step();
            HealEnemies();
            chained = chained || TCharacterProbe::SubState(*player) == 3;
            if (i == 30) {
                SceneDriver::Hold(Button::B, false);
            }
        }
        SceneDriver::Hold(Button::B, false);
        creates.Stop();
        EXPECT_TRUE(chained);
        EXPECT_EQ(mp - player->GetMp(), 75 + 140);
        std::set<std::uint32_t> fans;
        for (const TEffectCreateCall& call : log) {
            if (call.id == 216 || call.id == 218) {
                fans.insert(call.id);
            }
        }
        EXPECT_EQ(fans, (std::set<std::uint32_t>{216, 218}));
    }
    EXPECT_EQ(followUps, lastThree ? 0 : 22);
    // The thunder bolts end with their strikes, and their sparks fade with them.
    EXPECT_EQ(bolts.empty(), !lastThree);
    driver_.Steps(30);
    for (std::int32_t serial : bolts) {
        EXPECT_EQ(field_->GetEffectManager()->FindLive(serial).Get(), nullptr) << "bolt or sparks " << serial;
    }
    // Every routine of the common skills ran in both forms, over the two halves.
    if (lastThree) {
        EXPECT_EQ(routines, (std::set<std::string>{"event", "line blast", "line quake", "random quake", "path fan",
                                                    "path burst", "heal", "blessing"}));
    } else {
        EXPECT_EQ(routines, (std::set<std::string>{"event", "repeat", "line burst", "twin fan", "homing", "rain"}));
    }
}

}  // namespace
