// The partner's classes played on the generated folder's battle map: her bow picked up behind the
// arrival, then each class she can hold swings its ground combo, uses its weapon's first skill (the
// bow's learned from the first enemy's fall), its charge and a jump attack by the nearest ordinary
// enemy. Each makes its effects and shots and lands its blows, and over all of them every frame
// event of her models fires: the status and element marks, the weapon-skill events and the bow's
// arrows, each made from an effect the catalogue holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/THeroI.h"
#include "MainCode/Character/THeroJ.h"
#include "MainCode/Character/THeroK.h"
#include "MainCode/Character/THeroine08.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Shot/TShot.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "platform/testing/win32.h"
#include "support/character_probe.h"
#include "support/effect_create_recorder.h"
#include "support/map_probe.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::PartnerClasses;
using sample::SampleLayout;

// The action rows (the player's sub-state) each move of a class ends in when its motions have run to their end (the recovery after
// the last swing, skill or charge; the spear's charge, the air step it leaps into, which may land
// before its recovery; an enemy's blow cuts a move short of it).
struct ClassTurn {
    const char* name;
    std::uint32_t weapon;
    std::function<bool(const TPlayerCharacter*)> isClass;
    std::uint32_t comboDone;
    std::uint32_t chargeDone;
    std::uint32_t jumpAttack;  // the row the attack starts while jumping
    std::uint32_t skill;  // 0: none of hers in the folder
    std::uint32_t skillDone;
    bool shoots;
    bool learns;  // learns its skill from the first enemy's ability points before using it
};

constexpr int kJumpKey = 'C';

template <typename T>
bool Is(const TPlayerCharacter* p)
{
    return dynamic_cast<const T*>(p) != nullptr;
}

// What one turn made.
struct TurnCount {
    int effects = 0;
    int shots = 0;
    int damage = 0;
};

class PartnerClassesRoad : public qmtest::SampleFieldRoad {
protected:
    TEffectManager* Effects() const { return field_->GetArea()->GetEffectManager(); }
    // The living enemy of the prey's type, if any.
    TEnemy* Prey() const
    {
        for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() == prey_ && entry.second->IsAlive()) {
                return entry.second.Get();
            }
        }
        return nullptr;
    }
    // The nearest living enemy of the ordinary kinds (not the strong one, the time stopper or the
    // corpse that rises again).
    TEnemy* NearestEnemy() const
    {
        TEnemy* best = nullptr;
        float bestDistance = 1e9F;
        for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
            TEnemy* enemy = entry.second.Get();
            const std::uint32_t type = enemy->GetRelatedId();
            if (!enemy->IsAlive() || type == SampleLayout::kStrongEnemyType || type == 10025 || type == 10011 ||
                (prey_ != kNoPrey && type != prey_)) {
                continue;
            }
            const float d = FlatDistance(PositionOf(enemy), PositionOf(field_->GetPlayer()));
            if (d < bestDistance) {
                best = enemy;
                bestDistance = d;
            }
        }
        return best;
    }
    // Where to head for the point: straight, unless that way passes within reach of the time
    // stopper's blows (whose stop would hold her), then first round its east side.
    D3DXVECTOR3 WayTo(const D3DXVECTOR3& at) const
    {
        const D3DXVECTOR3 from = PositionOf(field_->GetPlayer());
        for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() != SampleLayout::kTimeStopEnemyType || !entry.second->IsAlive()) {
                continue;
            }
            const D3DXVECTOR3 stopper = PositionOf(entry.second.Get());
            D3DXVECTOR3 way = at - from;
            way.y = 0.0F;
            const float length = D3DXVec3Length(&way);
            D3DXVECTOR3 off = stopper - from;
            off.y = 0.0F;
            const float along = length > 0.0F ? std::clamp(D3DXVec3Dot(&off, &way) / length, 0.0F, length) : 0.0F;
            const D3DXVECTOR3 closest = from + way * (length > 0.0F ? along / length : 0.0F);
            if (FlatDistance(closest, stopper) < 3.0F) {
                return stopper + D3DXVECTOR3(5.0F, 0.0F, -1.0F);
            }
        }
        return at;
    }
    // Up to the nearest enemy and facing it; false when none is left or it cannot be reached.
    bool CloseIn()
    {
        bool near = false;
        // Long enough for the way round the stopper.
        for (int i = 0; i < 600 && !near; ++i) {
            TEnemy* enemy = NearestEnemy();
            if (enemy == nullptr) {
                break;
            }
            const D3DXVECTOR3 at = PositionOf(enemy);
            near = FlatDistance(PositionOf(field_->GetPlayer()), at) < 1.6F;
            if (!near) {
                qmtest::WalkTowards(field_, WayTo(at));
                Step(1);
                if (driver_.Current() != field_) {
                    return false;
                }
            }
        }
        qmtest::ReleaseArrows();
        return near;
    }
    // Counts the HP the enemies lose, and reads the effects made in the step while they are still
    // listed.
    void Step(int n)
    {
        for (int i = 0; i < n; ++i) {
            // Kept standing through the enemies' blows, and they through hers: the turns count her
            // strikes, and each class needs someone to strike.
            if (field_->GetPlayer()->GetHp() < field_->GetPlayer()->GetMaxHp()) {
                field_->GetPlayer()->RecoverHp(1000);
            }
            std::map<std::uint32_t, int> before;
            for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
                TEnemy* enemy = entry.second.Get();
                if (enemy->IsAlive() && enemy->GetHp() < enemy->GetMaxHp() / 2 && enemy->GetRelatedId() != prey_) {
                    enemy->RecoverHp(enemy->GetMaxHp());
                }
                before[entry.first] = enemy->GetHp();
            }
            driver_.Steps(1);
            // A row started counts even when a blow ends it on its first frame.
            rows_.insert(TCharacterProbe::SubState(*field_->GetPlayer()));
            if (driver_.Current() != field_) {
                ADD_FAILURE() << "the field ended";
                return;
            }
            const auto& live = field_->GetArea()->GetEnemies()->GetLive();
            for (const auto& [id, hp] : before) {
                const auto it = live.find(id);
                turn_.damage += std::max(0, hp - (it != live.end() ? it->second->GetHp() : 0));
            }
            for (const TEffectCreateCall& call : log_) {
                if (call.result == nullptr) {
                    missing_.insert(call.id);
                    continue;
                }
                ++made_[call.id];
                colours_[call.id].insert({call.colour[0], call.colour[1], call.colour[2], call.colour[3]});
                ++turn_.effects;
                const TRefPtr<TEffect> live = Effects()->FindLive(call.serial);
                turn_.shots += dynamic_cast<TShot*>(live.Get()) != nullptr ? 1 : 0;
            }
            log_.clear();
        }
    }
    void Tap(Button b, int then)
    {
        SceneDriver::Hold(b, true);
        Step(1);
        SceneDriver::Hold(b, false);
        Step(then);
    }
    // Tries the move up to eight times, each from a stand by the enemy, until the row it ends in has
    // run.
    bool Until(std::uint32_t row, const std::function<void()>& move)
    {
        rows_.clear();
        for (int attempt = 0; attempt < 8 && rows_.count(row) == 0; ++attempt) {
            if (!CloseIn()) {
                return false;
            }
            for (int i = 0; i < 60 && field_->GetPlayer()->GetState() > 3; ++i) {
                Step(1);
            }
            move();
        }
        return rows_.count(row) != 0;
    }
    TurnCount Play(const ClassTurn& turn)
    {
        TGameData* data = TGameData::GetInstance();
        // The one playing is stored over its record whenever another is made: her weapon is set
        // while the hero stands in.
        EXPECT_TRUE(field_->ChangePlayer(0));
        data->GetCharacterData(1)->WeaponId = turn.weapon;
        EXPECT_TRUE(field_->ChangePlayer(1)) << turn.name;
        EXPECT_TRUE(turn.isClass(field_->GetPlayer())) << turn.name;
        if (turn.learns) {
            // The first enemy, a level above her, is left to fall: its ability points teach the
            // weapon's first skill.
            prey_ = qmtest::kFieldEnemyType;
            for (int i = 0; i < 40 && Prey() != nullptr && CloseIn(); ++i) {
                for (int k = 0; k < 8; ++k) {
                    Tap(Button::A, 3);
                }
            }
            // Struck down, it lies a moment before it falls.
            for (int i = 0; i < 60 && Prey() != nullptr && Prey()->GetHp() <= 0; ++i) {
                Step(1);
            }
            EXPECT_EQ(Prey(), nullptr) << turn.name;
            prey_ = kNoPrey;
            Step(30);
            std::vector<std::uint32_t> learned;
            data->MakeSkillList(learned, 1, turn.weapon);
            EXPECT_EQ(learned, std::vector<std::uint32_t>{turn.skill}) << turn.name;
        }
        if (turn.skill != 0) {
            data->SetSkillSlot(1, 0, turn.skill);
            field_->RefreshHud();
        }
        field_->GetPlayer()->RecoverHp(1000);
        turn_ = TurnCount();
        // The ground combo: a press while each swing runs queues the next.
        EXPECT_TRUE(Until(turn.comboDone, [&] {
            for (int i = 0; i < 16; ++i) {
                Tap(Button::A, 3);
            }
            Step(30);
        })) << turn.name << " combo";
        if (turn.skill != 0) {
            EXPECT_TRUE(Until(turn.skillDone, [&] { Tap(Button::B, 50); })) << turn.name << " skill";
        }
        // The charge: the attack held past its threshold.
        EXPECT_TRUE(Until(turn.chargeDone, [&] {
            SceneDriver::Hold(Button::A, true);
            Step(25);
            SceneDriver::Hold(Button::A, false);
            Step(50);
        })) << turn.name << " charge";
        // A jump (its key has no button of the driver's) and the attack at the top of it.
        EXPECT_TRUE(Until(turn.jumpAttack, [&] {
            platform::InjectKey(kJumpKey, true);
            Step(1);
            platform::InjectKey(kJumpKey, false);
            Step(6);
            for (int i = 0; i < 4; ++i) {
                Tap(Button::A, 3);
            }
            Step(40);
        })) << turn.name << " jump attack";
        return turn_;
    }

    TFieldLoop* field_ = nullptr;
    std::vector<TEffectCreateCall> log_;
    qmtest::EffectCreateRecorder creates_;
    TurnCount turn_;
    std::map<std::uint32_t, int> made_;
    std::map<std::uint32_t, std::set<std::array<float, 4>>> colours_;
    std::set<std::uint32_t> missing_;
    std::set<std::uint32_t> rows_;
    static constexpr std::uint32_t kNoPrey = 0xFFFFFFFFu;
    std::uint32_t prey_ = kNoPrey;
};

TEST_F(PartnerClassesRoad, EachClassSwingsShootsAndLandsAndEveryFrameEventFires)
{
    field_ = qmtest::StartOnBattleMap(driver_);
    ASSERT_NE(field_, nullptr);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 200));
    TGameData* data = TGameData::GetInstance();

    // The bow lies last in the row behind the arrival: walked to, it is in the bag.
    const D3DXVECTOR3 bow = PartnerClasses::Pickup(3);
    bool picked = false;
    for (int i = 0; i < 600 && !picked && driver_.Current() == field_; ++i) {
        const TItemEntry* held = data->FindItem(PartnerClasses::kBow);
        picked = held != nullptr && held->Count > 0;
        qmtest::WalkTowards(field_, bow);
        Step(1);
    }
    ASSERT_TRUE(picked);
    qmtest::ReleaseArrows();

    creates_.Start(Effects(), &log_);
    const std::array<ClassTurn, 6> turns = {{
        {"sword", 1000, Is<THeroA>, 32, 34, 35, 0, 0, false, false},
        {"axe", 1003, Is<THeroC>, 34, 36, 37, 0, 0, false, false},
        {"spear", PartnerClasses::kSpear, Is<THeroI>, 34, 36, 38, 2300, 51, true, false},
        {"glaive", PartnerClasses::kGlaive, Is<THeroJ>, 34, 36, 37, 2400, 50, true, false},
        {"claws", PartnerClasses::kClaws, Is<THeroK>, 30, 32, 33, 2900, 42, true, false},
        {"bow", PartnerClasses::kBow, Is<THeroine08>, 28, 30, 31, 3100, 42, true, true},
    }};
    for (const ClassTurn& turn : turns) {
        const TurnCount count = Play(turn);
        EXPECT_GT(count.effects, 0) << turn.name;
        if (turn.shoots) {
            EXPECT_GT(count.shots, 0) << turn.name;
        }
        EXPECT_GT(count.damage, 0) << turn.name;
    }
    creates_.Stop();


    // Every effect asked for is one of the catalogue's.
    EXPECT_TRUE(missing_.empty()) << "first missing effect " << (missing_.empty() ? 0 : *missing_.begin());
    // The effects each frame event makes, at least as often as the events of her models make them.
    struct Made {
        std::uint32_t id;
        int times;
        const char* by;
    };
    const Made kMade[] = {
        {31, 1, "1000"},       {34, 1, "1001"},          {103, 1, "1010"},      {903, 1, "1010"},
        {104, 1, "1011"},      {105, 1, "1012"},         {106, 1, "1013"},      {112, 2, "1014 1015"},
        {404, 2, "50000"},     {504, 5, "50001"},        {327, 5, "50001"},     {402, 4, "50002"},
        {403, 3, "50003"},     {51, 3, "50004-50006"},   {510, 1, "50007"},     {218, 8, "50008-50015"},
        {55, 8, "50008-50015"}, {123, 1, "50016"},       {53, 1, "50016"},      {214, 5, "50017-50020"},
        {121, 7, "50022-50027"}, {122, 7, "50022-50027"}, {600, 5, "50022-50026"}, {224, 1, "50028"},
        {1000, 1, "6000"},     {1001, 1, "6001"},        {1100, 25, "6100-6110 6500"}, {56, 2, "6500"},
        // The rings of blows that landed with hit codes 4 and 5.
        {700, 1, "a combo's blow"}, {701, 1, "a skill's or charge's blow"},
    };
    for (const Made& m : kMade) {
        EXPECT_GE(made_[m.id], m.times) << "effect " << m.id << " of events " << m.by;
    }
    // The element marks: one colour for each of the seven rows, six for the second kind.
    EXPECT_GE(colours_[900].size(), 7u) << "events 2000-2006";
    EXPECT_GE(colours_[901].size(), 6u) << "events 3000-3005";
    // The hits the events and the swing make are the folder's own records.
    for (std::uint32_t id : {1200u, 1201u, 1202u, 50000u, 50001u, 2200u, 3200u, 50003u, 50004u, 50005u, 3304u, 3506u}) {
        EXPECT_EQ(TAttackTable::Get(id).Id, id) << "hit " << id;
    }
    EXPECT_TRUE(driver_.boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "ErrorLog.txt"));
}

}  // namespace
