// The hero's eight classes on the generated folder: on the battle map each swings its ground combo
// and its first weapon skill into the enemies, and what the frames of those motions fire shows in
// the effects the field makes, the shots that fly and the blows the enemies take; together the
// classes fire every event code a player's motion can carry. A weapon of the town's rack, picked
// up and taken up through the pause menu's equipment screen, makes its class.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <typeinfo>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroB.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroE.h"
#include "MainCode/Character/THeroF.h"
#include "MainCode/Character/THeroG.h"
#include "MainCode/Character/THeroH.h"
#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Shot/TShot.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "make-sample-data/SampleData.h"
#include "support/character_probe.h"
#include "support/effect_create_recorder.h"
#include "support/field_walk.h"
#include "support/map_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/menu_probe.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;
using sample::HeroRack;

// What a class is, what its rows are, and which rows end its ground combo and run its first weapon
// skill (the skill 2000 + 100 x the weapon type, tapped).
struct ClassRoad {
    std::uint32_t weapon;
    const std::type_info& type;
    std::uint32_t skill;
    std::uint32_t lastComboRow;
    std::uint32_t skillRow;
};

const ClassRoad kClasses[] = {
    {1100, typeid(THeroA), 2000, 31, 47}, {1101, typeid(THeroB), 2100, 31, 47}, {1102, typeid(THeroC), 2200, 33, 49},
    {1103, typeid(THeroD), 2500, 29, 41}, {1104, typeid(THeroE), 2600, 29, 41}, {1105, typeid(THeroF), 2700, 29, 41},
    {1106, typeid(THeroG), 2800, 33, 49}, {1107, typeid(THeroH), 3000, 29, 46},
};

// The first effect each player event code makes, as an id range (a trail's depends on the weapon's
// element).
struct FirstEffect {
    std::uint16_t firstCode, lastCode;
    std::uint32_t low, high;
};
const FirstEffect kFirstEffects[] = {
    {1, 1, 30, 30},         {2, 2, 102, 102},       {3, 3, 600, 600},       {4, 4, 601, 601},
    {5, 5, 204, 204},       {6, 6, 450, 450},       {7, 7, 455, 455},       {9, 9, 102, 102},
    {10, 11, 111, 111},     {100, 107, 601, 601},   {110, 112, 212, 212},   {200, 200, 908, 908},
    {5000, 5006, 300, 306}, {5100, 5106, 300, 306}, {5200, 5206, 300, 306}, {5500, 5503, 550, 550},
    {7000, 7006, 328, 328}, {7100, 7106, 328, 328}, {7200, 7206, 328, 328}, {8000, 8004, 911, 911},
    {8100, 8100, 912, 912}, {8101, 8101, 913, 913}, {8500, 8500, 512, 512}, {9000, 9000, 456, 456},
    {9500, 9500, 601, 601},
};
// Shots that fly off on their own motion (seen a little way from where they first stood: one that
// meets the enemy at once ends there).
const std::set<std::uint32_t> kFlyingShots = {450, 455, 456, 512, 550};

// Every code a player's motion can fire outside the skills' own: the armed character's basic
// actions and the player's trails, beams, bursts and shots.
std::set<std::uint16_t> EveryCode()
{
    std::set<std::uint16_t> codes = {1, 2, 3, 4, 5, 6, 7, 9, 110, 111, 112, 200, 10, 11, 8100, 8101, 8500, 9000, 9500};
    for (std::uint16_t c = 100; c <= 107; ++c) {
        codes.insert(c);
    }
    for (std::uint16_t base : {5000, 5100, 5200, 7000, 7100, 7200}) {
        for (std::uint16_t d = 0; d <= 6; ++d) {
            codes.insert(static_cast<std::uint16_t>(base + d));
        }
    }
    for (std::uint16_t c = 5500; c <= 5503; ++c) {
        codes.insert(c);
    }
    for (std::uint16_t c = 8000; c <= 8004; ++c) {
        codes.insert(c);
    }
    return codes;
}

bool MadeFirst(std::uint16_t code, std::uint32_t id)
{
    for (const FirstEffect& f : kFirstEffects) {
        if (code >= f.firstCode && code <= f.lastCode) {
            return id >= f.low && id <= f.high;
        }
    }
    return false;
}

class HeroClassesRoad : public ::testing::Test {
protected:
    void TearDown() override { qmtest::SceneDriver::ReleaseAll(); }

    // The application up on the generated folder, a new game's data.
    TGameData* Start()
    {
        qmtest::CopySampleFolder(dir_.Path());
        EXPECT_TRUE(driver_.Start());
        driver_.Steps(8);
        TGameData* data = TGameData::GetInstance();
        data->Reset();
        return data;
    }
    void Key(Button b, int then = 0)
    {
        driver_.Press(b);
        driver_.Steps(1 + then);
    }

    qmtest::TempDir dir_;
    qmtest::SceneDriver driver_{dir_.Path()};
    TFieldLoop* field_ = nullptr;
};

// What one class did on its turn, counted step by step from what the game shows.
struct Turn {
    std::set<std::uint16_t> codes;      // fired, each seen making its first effect in that step
    std::set<std::uint32_t> rows;       // action rows run
    std::set<std::uint32_t> effects;    // ids made
    int shotsFlown = 0;                 // flying shots seen on their way
    int damage = 0;                     // taken by the enemies meanwhile
};

class Watch {
public:
    explicit Watch(qmtest::SceneDriver& driver) : driver_(driver) {}
    ~Watch() { End(); }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    // A turn on this field, counted from now.
    void Begin(TFieldLoop* field)
    {
        field_ = field;
        log_.clear();
        creates_.Start(field_->GetEffectManager(), &log_);
        turn_ = Turn();
        seen_.clear();
        shots_.clear();
        lastCode_ = 0;
        Enemies([&](TEnemy* e) { seen_[e] = e->GetDamageTaken(); });
    }
    void End()
    {
        if (field_ != nullptr) {
            creates_.Stop();
            field_ = nullptr;
        }
    }
    // Until the field's scene ends (a defeat, or a map change from a script).
    bool OnField() const { return field_ != nullptr; }
    // One step; the frame of the player's motion that the step fires is the one it stands on now.
    void Step()
    {
        if (field_ == nullptr) {
            return;
        }
        TPlayerCharacter* player = field_->GetPlayer();
        // Kept on his feet: the road is about his blows, not the enemies'.
        if (player->GetHp() > 0 && player->GetHp() < player->GetMaxHp() / 2) {
            player->RecoverHp(player->GetMaxHp());
        }
        const TMesh8* mesh = player->GetBodyMesh();
        const TPatternEvent* frame =
            TCharacterProbe::PatternInfo(*player).GetFrame(mesh->GetMorphIndex(), mesh->GetMorphTime());
        const std::uint16_t code = frame != nullptr ? frame->EventCode : 0;
        const bool rising = code != 0 && code != lastCode_;
        lastCode_ = code;
        const std::size_t from = log_.size();
        driver_.Step();
        if (driver_.Current() != field_) {
            field_ = nullptr;
            return;
        }
        bool made = false;
        for (std::size_t i = from; i < log_.size(); ++i) {
            const TEffectCreateCall& call = log_[i];
            unmade_ += call.result == nullptr ? 1 : 0;
            turn_.effects.insert(call.id);
            made = made || (rising && MadeFirst(code, call.id));
            if (call.result != nullptr && kFlyingShots.count(call.id) != 0) {
                shots_[call.serial] = Where(call.result);
            }
        }
        if (made) {
            turn_.codes.insert(code);
            all_.insert(code);
        }
        if (player->GetState() == 19) {
            turn_.rows.insert(TCharacterProbe::SubState(*player));
        }
        for (auto it = shots_.begin(); it != shots_.end();) {
            const TRefPtr<TEffect> shot = field_->GetEffectManager()->FindLive(it->first);
            if (shot.Get() == nullptr) {
                it = shots_.erase(it);
            } else if (D3DXVECTOR3 d = Where(shot.Get()) - it->second; D3DXVec3Length(&d) > 0.25F) {
                ++turn_.shotsFlown;
                it = shots_.erase(it);
            } else {
                ++it;
            }
        }
        Enemies([&](TEnemy* e) {
            const auto was = seen_.find(e);
            if (was == seen_.end()) {
                seen_[e] = e->GetDamageTaken();
            } else if (e->GetDamageTaken() > was->second) {
                turn_.damage += e->GetDamageTaken() - was->second;
                was->second = e->GetDamageTaken();
            }
        });
    }
    void Steps(int n)
    {
        for (int i = 0; i < n; ++i) {
            Step();
        }
    }
    const Turn& GetTurn() const { return turn_; }
    const std::set<std::uint16_t>& All() const { return all_; }
    int Unmade() const { return unmade_; }

private:
    // A shot's head is where it flies.
    static D3DXVECTOR3 Where(const TEffect* effect)
    {
        const auto* shot = dynamic_cast<const TShot*>(effect);
        D3DXVECTOR3 p;
        (shot != nullptr ? shot->GetModelFrame() : effect->GetFrame())->GetWorldPosition(&p);
        return p;
    }
    void Enemies(const std::function<void(TEnemy*)>& each) const
    {
        for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
            each(entry.second.Get());
        }
    }

    qmtest::SceneDriver& driver_;
    TFieldLoop* field_ = nullptr;
    std::vector<TEffectCreateCall> log_;
    qmtest::EffectCreateRecorder creates_;
    std::uint16_t lastCode_ = 0;
    Turn turn_;
    std::set<std::uint16_t> all_;
    int unmade_ = 0;
    std::map<TEnemy*, std::int32_t> seen_;
    std::map<std::int32_t, D3DXVECTOR3> shots_;
};

// The nearest live enemy out of the strong one's notice (8), whose blow would end the game.
TEnemy* Nearest(TFieldLoop* field)
{
    TEnemy* best = nullptr;
    const D3DXVECTOR3 at = qmtest::PositionOf(field->GetPlayer());
    for (const auto& entry : field->GetArea()->GetEnemies()->GetLive()) {
        TEnemy* e = entry.second.Get();
        if (!e->IsAlive() ||
            qmtest::FlatDistance(qmtest::PositionOf(e), sample::SampleLayout::StrongEnemy()) < 11.0F) {
            continue;
        }
        if (best == nullptr ||
            qmtest::FlatDistance(qmtest::PositionOf(e), at) < qmtest::FlatDistance(qmtest::PositionOf(best), at)) {
            best = e;
        }
    }
    return best;
}

TEST_F(HeroClassesRoad, EachClassSwingsItsComboAndSkillIntoTheEnemies)
{
    TGameData* data = Start();
    ASSERT_FALSE(HasFailure());
    Watch watch(driver_);
    for (const ClassRoad& road : kClasses) {
        // Each class arrives on the battle map afresh, its enemies where they stand at an arrival,
        // in its weapon with its skill set.
        data->SetSkillSlot(0, 0, road.skill);
        // Up to the nearest enemy, then the combo with a tap every few frames, then the skill once
        // the hero stands again; from a new arrival while anything of it is missing (a blow taken
        // cuts a combo).
        bool done = false;
        for (int attempt = 0; attempt < 3 && !done; ++attempt) {
            watch.End();
            data->GetCharacterData(0)->WeaponId = road.weapon;
            // Deep enough in life that no single blow (the strong enemy's among them) ends the road.
            data->GetCharacterData(0)->LifeMax = data->GetCharacterData(0)->Life = 4000;
            field_ = TFieldLoop::CreateAtPosition(driver_.App(), sample::SampleLayout::kBattle,
                                                  sample::SampleLayout::BattleArrival(),
                                                  qmtest::FieldLayout::StartDirection(), qmtest::FieldLayout::StartCamera());
            ASSERT_NE(field_, nullptr);
            driver_.App()->PushScene(field_);
            driver_.App()->PopScenesTo(1);
            ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 200));
            ASSERT_EQ(typeid(*field_->GetPlayer()), road.type) << road.weapon;
            ASSERT_EQ(field_->GetSkillGauge()->GetSelection(), 0);
            watch.Begin(field_);
            for (int i = 0; i < 300 && watch.OnField(); ++i) {
                TEnemy* enemy = Nearest(field_);
                ASSERT_NE(enemy, nullptr);
                if (qmtest::FlatDistance(qmtest::PositionOf(field_->GetPlayer()), qmtest::PositionOf(enemy)) < 1.3F) {
                    break;
                }
                qmtest::WalkTowards(field_, qmtest::PositionOf(enemy));
                watch.Step();
            }
            qmtest::ReleaseArrows();
            for (int i = 0; i < 18; ++i) {
                qmtest::SceneDriver::Hold(Button::A, true);
                watch.Step();
                qmtest::SceneDriver::Hold(Button::A, false);
                watch.Steps(3);
            }
            for (int i = 0; i < 60 && watch.OnField() && field_->GetPlayer()->GetState() != 0; ++i) {
                watch.Step();
            }
            qmtest::SceneDriver::Hold(Button::B, true);
            watch.Step();
            qmtest::SceneDriver::Hold(Button::B, false);
            watch.Steps(30);
            ASSERT_TRUE(watch.OnField()) << road.weapon << ": the battle map stays";
            const Turn& t = watch.GetTurn();
            // Each ran to its end when its recovery (the next row) came.
            done = t.rows.count(road.lastComboRow + 1) != 0 && t.rows.count(road.skillRow + 1) != 0 && t.damage > 0 &&
                   t.shotsFlown > 0;
        }
        const Turn& t = watch.GetTurn();
        EXPECT_TRUE(t.rows.count(road.lastComboRow + 1)) << road.weapon << " combo to its end";
        EXPECT_TRUE(t.rows.count(road.skillRow + 1)) << road.weapon << " skill to its end";
        // What the codes strike with is in the field's attack table.
        for (std::uint32_t hit : {4500u, 5000u, 5001u, 5002u, 5005u, 60002u}) {
            EXPECT_TRUE(TMapProbe::HasAttack(hit)) << hit;
        }
        EXPECT_GT(t.damage, 0) << road.weapon;
        EXPECT_GT(t.shotsFlown, 0) << road.weapon;
        EXPECT_GE(t.codes.size(), 10u) << road.weapon;
    }
    std::vector<std::uint16_t> missing;
    for (std::uint16_t code : EveryCode()) {
        if (watch.All().count(code) == 0) {
            missing.push_back(code);
        }
    }
    EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
    EXPECT_EQ(watch.Unmade(), 0) << "every effect made has its prototype";
    EXPECT_TRUE(driver_.boxes.empty());
    EXPECT_FALSE(fs::exists(dir_.Path() / "ErrorLog.txt"));
}

// The rack's last weapon, the hand guard, picked up in the town and taken up in the equipment
// screen in place of the sword: the hero plays on in the guard's class, which its skill fits.
TEST_F(HeroClassesRoad, ARackWeaponPickedUpAndTakenUpMakesItsClass)
{
    TGameData* data = Start();
    ASSERT_FALSE(HasFailure());
    const std::uint32_t guard = HeroRack::kFirstWeapon + HeroRack::kCount - 1;
    const D3DXVECTOR3 rack = HeroRack::Pickup(HeroRack::kCount - 1);
    // In the town, a few steps north of the rack's east end.
    field_ = TFieldLoop::CreateAtPosition(driver_.App(), sample::SampleLayout::kTown, rack + D3DXVECTOR3(0.0F, -0.4F, 5.0F),
                                          {0.0F, 0.0F, -1.0F}, rack + D3DXVECTOR3(0.0F, 2.6F, 10.0F));
    ASSERT_NE(field_, nullptr);
    driver_.App()->PushScene(field_);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 100));
    const auto held = [&] {
        const TItemEntry* entry = data->FindItem(guard);
        return entry != nullptr ? entry->Count : 0u;
    };
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            qmtest::WalkTowards(field_, rack);
            return held() > 0;
        },
        300));
    qmtest::ReleaseArrows();
    EXPECT_EQ(data->GetPickupFlag(207), 1) << "taken for good";
    driver_.Steps(5);

    // The pause menu, its second item: equipment, the weapon row, the guard in the list.
    const qmtest::EquipmentOpen open = qmtest::TakeUpWeapon(driver_, guard);
    TMenuTopLoop* menu = open.menu;
    TEquipLoop* equip = open.equip;
    ASSERT_NE(equip, nullptr) << "the guard in the weapon list";
    EXPECT_EQ(field_->GetPlayer()->GetWeaponId(), guard);
    EXPECT_NE(dynamic_cast<THeroH*>(field_->GetPlayer()), nullptr) << "the guard's class";
    EXPECT_EQ(TMenuProbe::WeaponType(*equip), 10);
    Key(Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == menu; }, 40));
    driver_.Steps(47);
    Key(Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == field_; }, 200));
    // The guard teaches its class's first skill at 100 ability points.
    std::vector<std::uint32_t> learned;
    data->AddWeponAbp(0, guard, 100, learned);
    EXPECT_EQ(learned, std::vector<std::uint32_t>{3000});
    EXPECT_TRUE(driver_.boxes.empty());
    EXPECT_FALSE(fs::exists(dir_.Path() / "ErrorLog.txt"));
}

}  // namespace
