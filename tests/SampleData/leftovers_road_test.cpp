// The sample's quiet meadow, played: what the other maps never ask for. Its camera follows on a key,
// its crate is drawn with a material index, a spare name record is read past, a purse nobody takes
// fades away after its time, a jump under its shelter stops at the roof, a post's script gives and
// takes items, and the scarecrow its spawner sends (its stored facing flat) looks a random way, then
// calls out as it strikes. Beside it: the title's screens and the pause menu's question left with
// "B", and the pause menu's lists with nothing to offer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TMeshAreaManager.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TMenuConfirm2Loop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "dx/dx8/3d/TMesh8.h"
#include "make-sample-data/SampleData.h"
#include "make-sample-data/SampleSteal.h"
#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"
#include "support/character_probe.h"
#include "support/field_walk.h"
#include "support/frame_probe.h"
#include "support/gamedata_probe.h"
#include "support/title_road.h"
#include "support/map_probe.h"

namespace {

using qmtest::PositionOf;
using sample::LeftoverLayout;

class LeftoverMapRoad : public qmtest::SampleFieldRoad {
protected:
    // The purse's mesh while it lies on the map, else null.
    static TMesh8* PurseMesh(TAreaBase* area)
    {
        TFrame* outer = qmtest::ChildFrame(area->GetSceneFrame(), "outerItem");
        TFrame* inner = outer != nullptr ? qmtest::ChildFrame(outer, "innerItem") : nullptr;
        return inner != nullptr ? inner->FindMesh("Item", false) : nullptr;
    }
    static float Alpha(TMesh8* mesh) { return mesh->GetMaterial(0).GetMaterial().Emissive.a; }
};

TEST_F(LeftoverMapRoad, APurseNobodyTakesFadesAwayTheCameraKeepsItsKeyAndTheSpawnedEnemyLooksAnyWay)
{
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    const std::uint32_t money = data->GetMoney();
    TFieldLoop* field = Enter(LeftoverLayout::kMap, qmtest::FieldLayout::Start(), qmtest::FieldLayout::StartDirection(),
                              qmtest::FieldLayout::StartCamera());
    ASSERT_NE(field, nullptr);
    ASSERT_FALSE(TMapProbe::IsInPhase(*field));
    EXPECT_TRUE(driver_.boxes.empty());
    TAreaBase* area = field->GetArea();

    // The crate is the map's one object mesh; index 10 draws it adding (4000), a kind the distance
    // fade leaves alone.
    TFrame* objects = TMapProbe::SubRoot(*TMapProbe::MeshAreaManager(*area));
    ASSERT_EQ(objects->GetMeshCount(), 1U);
    TMesh8* crate = objects->GetMesh(0);
    for (std::uint32_t i = 0; i < crate->GetMaterialCount(); ++i) {
        EXPECT_EQ(crate->GetMaterial(i).GetMaterialType(), 4000) << "material " << i;
    }

    // The purse bobs where it lies, whole, until its 1000 steps are up; then it fades in 100 steps
    // and goes.
    TMesh8* purse = PurseMesh(area);
    ASSERT_NE(purse, nullptr);
    EXPECT_EQ(Alpha(purse), 1.0F);
    const std::size_t objectsBefore = TMapProbe::Objects(*area).size();
    int waited = -1;
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            ++waited;
            return Alpha(purse) < 1.0F;
        },
        1100));
    EXPECT_EQ(waited, 1001);  // counted from the end of the fade-in: 1000 steps, then the first of the fade
    EXPECT_NEAR(Alpha(purse), 0.99F, 1e-4F);
    driver_.Steps(49);
    EXPECT_NEAR(Alpha(purse), 0.50F, 1e-4F);
    EXPECT_EQ(TMapProbe::Objects(*area).size(), objectsBefore);
    driver_.RecordSounds(true);
    // (StepUntil asks once before its first step.)
    int fading = -1;
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            ++fading;
            return PurseMesh(area) == nullptr;
        },
        60));
    EXPECT_EQ(fading, 51);  // the last 50 steps of the fade, then the one that takes it away
    EXPECT_EQ(TMapProbe::Objects(*area).size(), objectsBefore);
    driver_.Step();
    EXPECT_EQ(TMapProbe::Objects(*area).size(), objectsBefore - 1);
    EXPECT_EQ(data->GetMoney(), money);
    EXPECT_EQ(std::count_if(driver_.sounds.begin(), driver_.sounds.end(),
                            [](const TSoundBankRecord& r) { return r.op == TSoundBankRecord::kPlay && r.id == 217; }),
              0);

    // The key keeps the camera 3.0 over the hero and 6.0 behind it (or 7.8, looking its way).
    const D3DXVECTOR3 hero = PositionOf(field->GetPlayer());
    const D3DXVECTOR3 eye = qmtest::PositionOf(area->GetCamera()->GetFrame());
    EXPECT_NEAR(eye.x, hero.x, 1e-3F);
    EXPECT_NEAR(eye.y, hero.y + 3.0F, 1e-3F);
    const float behind = hero.z - eye.z;
    EXPECT_TRUE(std::fabs(behind - 6.0F) < 1e-3F || std::fabs(behind - 7.8F) < 1e-3F) << behind;

    // The shelter. A jump in the open beside it rises 2.225 (0.18 a step less a pull of 0.007) and
    // comes down. Under the roof (its underside 2.5 up) the same rise stops where the hero's body,
    // 0.7 round a centre 0.7 over its feet, meets the roof: feet 1.1 up, the rise gone at once, so
    // that the next step falls by the pull alone; then it lands as in the open.
    TPlayerCharacter* player = field->GetPlayer();
    struct Jump {
        std::vector<float> heights;  // of each step from the one the button is pressed in
        std::size_t top = 0;
        float riseAtTop = -1.0F;
        bool landed = false;  // back on the ground and standing
    };
    const auto jump = [&](const D3DXVECTOR3& at) {
        player->PlaceAt(at, D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        EXPECT_TRUE(driver_.StepUntil([&] { return player->GetState() == TPlayerCharacter::kStateIdle; }, 60));
        Jump j;
        platform::InjectKey('C', true);
        for (int i = 0; i < 120; ++i) {
            driver_.Step();
            platform::InjectKey('C', false);
            j.heights.push_back(PositionOf(player).y);
            if (j.heights.back() > j.heights[j.top]) {
                j.top = j.heights.size() - 1;
                j.riseAtTop = TCharacterProbe::Velocity(*player).y;
            }
            j.landed = j.heights.back() == 0.0F && player->GetState() == TPlayerCharacter::kStateIdle;
            if (j.landed) {
                break;
            }
        }
        return j;
    };
    const D3DXVECTOR3 roofMin = LeftoverLayout::ShelterMinimum();
    const D3DXVECTOR3 roofMax = LeftoverLayout::ShelterMaximum();
    const Jump open = jump(D3DXVECTOR3(roofMin.x - 2.0F, 0.0F, (roofMin.z + roofMax.z) / 2));
    EXPECT_NEAR(open.heights.at(open.top), 2.225F, 1e-4F);
    EXPECT_TRUE(open.landed);
    const Jump roofed = jump((roofMin + roofMax) * 0.5F);
    ASSERT_GT(roofed.top, 2U);
    EXPECT_EQ(std::vector<float>(roofed.heights.begin(), roofed.heights.begin() + roofed.top),
              std::vector<float>(open.heights.begin(), open.heights.begin() + roofed.top))
        << "the same rise up to the roof";
    EXPECT_NEAR(roofed.heights[roofed.top], 1.1F, 1e-4F);
    EXPECT_EQ(roofed.riseAtTop, 0.0F);
    EXPECT_NEAR(roofed.heights.at(roofed.top + 1), 1.1F - 0.007F, 1e-4F);
    EXPECT_TRUE(roofed.landed);

    // The post, faced with the action button: its script puts three of item 2 in the bag, takes
    // two (told yes) and is refused five (told no).
    ASSERT_EQ(Held(LeftoverLayout::kTradeItem), 0U);
    field->GetPlayer()->PlaceAt(LeftoverLayout::Post() + D3DXVECTOR3(1.0F, 0.0F, 0.0F), D3DXVECTOR3(-1.0F, 0.0F, 0.0F));
    driver_.Steps(2);
    driver_.Press(qmtest::Button::A);
    driver_.Step();
    ASSERT_TRUE(driver_.StepUntil([&] { return data->GetFlag(LeftoverLayout::kRefusedFlag) != 0; }, 60));
    EXPECT_EQ(data->GetFlag(LeftoverLayout::kTakenFlag), 1);
    EXPECT_EQ(Held(LeftoverLayout::kTradeItem), 1U);

    // Near the spawner an enemy comes; its stored facing is flat, so it faces a drawn way.
    TEnemyFactory* enemies = area->GetEnemies();
    ASSERT_EQ(enemies->GetLive().size(), 0U);
    field->GetPlayer()->PlaceAt(LeftoverLayout::Spawner() + D3DXVECTOR3(0.0F, 0.0F, -6.0F),
                                D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    ASSERT_TRUE(driver_.StepUntil([&] { return !enemies->GetLive().empty(); }, 30));
    TEnemy* enemy = enemies->GetLive().begin()->second.Get();
    D3DXVECTOR3 front;
    enemy->GetFront(&front);
    EXPECT_NEAR(front.y, 0.0F, 1e-5F);
    EXPECT_NEAR(std::hypot(front.x, front.z), 1.0F, 1e-4F);
    const D3DXVECTOR3 stored = LeftoverLayout::SpawnerFacing();
    const float along = (front.x * stored.x + front.z * stored.z) / std::hypot(stored.x, stored.z);
    EXPECT_LT(std::fabs(along), 0.999F);

    // It is the scarecrow: it comes at the hero and, as it strikes, calls out in the partner's voice
    // and swishes with her sound, both from the frame of its motion that strikes.
    EXPECT_EQ(enemy->GetRelatedId(), LeftoverLayout::kScarecrowType);
    driver_.RecordSounds(true);
    const TSoundBankRecord call{TSoundBankRecord::kPlay, 1, LeftoverLayout::kScarecrowVoice};
    const TSoundBankRecord swish{TSoundBankRecord::kPlay, 0, LeftoverLayout::kScarecrowSwish};
    const auto played = [&](const TSoundBankRecord& r) {
        return std::find(driver_.sounds.begin(), driver_.sounds.end(), r) != driver_.sounds.end();
    };
    EXPECT_TRUE(driver_.StepUntil([&] { return played(call); }, 400));
    EXPECT_TRUE(played(swish));
}

// The title's two screens left with "B": the load page and the carry-over choice of a new game
// each dim the title back in and give it the screen again.
TEST(LeftoverTitleRoad, TheLoadPageAndTheNewGamesCarryOverChoiceCancelledDimBackToTheTitle)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    for (int item : {1, 0}) {
        SCOPED_TRACE(item == 1 ? "load" : "new game");
        ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
        if (item == 0) {
            driver.Press(qmtest::Button::Up);  // the cursor stayed on "load"
            driver.Step();
        }
        qmtest::ChooseTitleItem(driver, item);
        ASSERT_TRUE(driver.StepUntil(
            [&] {
                TLoop* screen = driver.Current();
                return item == 1 ? dynamic_cast<TSaveLoadLoop*>(screen) != nullptr
                                 : dynamic_cast<TSelectContinueDataLoop*>(screen) != nullptr;
            },
            120));
        driver.Steps(60);
        driver.Press(qmtest::Button::B);
        driver.RecordDraws(true);
        ASSERT_TRUE(driver.StepUntil([&] { return dynamic_cast<TTitleLoop*>(driver.Current()) != nullptr; }, 120));
        // The screen's dim over the title, half black, lightens step by step to nothing.
        std::vector<int> dims;
        for (const TSpriteDrawRecord& d : driver.draws) {
            if (d.kind == TSpriteDrawRecord::kRect && d.w == 640.0F && d.h == 480.0F) {
                dims.push_back(static_cast<int>(d.colors[0] >> 24));
            }
        }
        ASSERT_FALSE(dims.empty());
        EXPECT_EQ(dims.front(), 0x7F);
        EXPECT_LT(dims.back(), 0x10);
        EXPECT_TRUE(std::is_sorted(dims.rbegin(), dims.rend()));
        EXPECT_GE(std::set<int>(dims.begin(), dims.end()).size(), 10U);
        driver.RecordDraws(false);
        EXPECT_EQ(driver.App()->GetSceneCount(), 1);
    }
    EXPECT_TRUE(driver.boxes.empty());
}

// The pause menu's question "back to the title?" answered with "B": a cancel sound, the question
// slides away and the leave window has the keys again; the field plays on below.
// The meadow is walked to: the arena's south-west corner leads there, the meadow's south-east corner
// back, each time onto the other map (the meadow is where the purse lies among no enemies but the
// scarecrow, the arena where the brawler stands).
TEST_F(LeftoverMapRoad, TheArenasCornerLeadsToTheMeadowAndTheMeadowsCornerBack)
{
    const D3DXVECTOR3 arenaGate = (LeftoverLayout::ArenaGateMinimum() + LeftoverLayout::ArenaGateMaximum()) * 0.5F;
    const D3DXVECTOR3 meadowGate = (LeftoverLayout::MeadowGateMinimum() + LeftoverLayout::MeadowGateMaximum()) * 0.5F;
    TFieldLoop* field = Enter(sample::Reactions::kArena, arenaGate + D3DXVECTOR3(0.0F, 0.0F, 3.0F),
                              {0.0F, 0.0F, -1.0F}, arenaGate + D3DXVECTOR3(0.0F, 3.0F, 9.0F));
    ASSERT_NE(field, nullptr);
    const auto settled = [&] { return !TMapProbe::IsInPhase(*field) && field->GetArea() != nullptr; };
    // The meadow: its purse, and no enemy but what its spawner sends.
    const auto inMeadow = [&] {
        if (!settled() || field->GetArea()->GetEnemies() == nullptr || PurseMesh(field->GetArea()) == nullptr) {
            return false;
        }
        const auto& live = field->GetArea()->GetEnemies()->GetLive();
        return std::all_of(live.begin(), live.end(), [](const auto& entry) {
            return entry.second->GetRelatedId() == LeftoverLayout::kScarecrowType;
        });
    };
    const auto inArena = [&] {
        return settled() && field->GetArea()->GetEnemies() != nullptr &&
               EnemyNear(field, sample::Reactions::kBrawlerType, sample::Reactions::Brawler(), 6.0F) != nullptr;
    };
    ASSERT_TRUE(inArena());
    const auto walk = [&](const D3DXVECTOR3& gate, const auto& arrived) {
        return driver_.StepUntil(
            [&] {
                if (arrived()) {
                    return true;
                }
                if (settled()) {
                    field->GetPlayer()->RecoverHp(1000);
                    qmtest::WalkTowards(field, gate);
                }
                return false;
            },
            400);
    };
    ASSERT_TRUE(walk(arenaGate, inMeadow)) << "the arena's corner leads to the meadow";
    qmtest::ReleaseArrows();
    EXPECT_FALSE(inArena());
    ASSERT_TRUE(driver_.StepUntil([&] { return inMeadow() && field->GetPlayer()->CanAct(); }, 200));
    ASSERT_TRUE(walk(meadowGate, inArena)) << "the meadow's corner leads back";
    qmtest::ReleaseArrows();
    EXPECT_FALSE(inMeadow());
    EXPECT_EQ(Field(), field);
}

// Corner gates walked into at a shallow slant, as a player heads for a corner from off to its side:
// the hero crosses the gate's box facing more along the fence than into it and ends pressed into the
// corner, and the gate takes him there. The hollow's south-east corner (follow camera) leads back to
// the meadow, the meadow's south-west corner (key camera) on to the hollow.
TEST_F(LeftoverMapRoad, CornerGatesTakeTheHeroWalkedIntoTheCornerAtASlant)
{
    struct Case {
        const char* map;
        D3DXVECTOR3 start;
        D3DXVECTOR3 corner;
        D3DXVECTOR3 arrival;  // beside the way back
        bool toMeadow;
    };
    const Case cases[] = {{sample::StealLayout::kMap, {30.0F, 0.0F, 5.0F}, {40.0F, 0.0F, 0.0F}, {2.0F, 0.0F, 10.0F}, true},
                          {LeftoverLayout::kMap, {9.0F, 0.0F, 4.0F}, {0.0F, 0.0F, 0.0F}, {38.0F, 0.0F, 10.0F}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.map);
        TFieldLoop* field = Enter(c.map, c.start, {0.0F, 0.0F, 1.0F}, c.start + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
        ASSERT_NE(field, nullptr);
        const bool changing = driver_.StepUntil(
            [&] {
                if (TMapProbe::IsInPhase(*field)) {
                    return true;
                }
                qmtest::WalkTowards(field, c.corner);
                return false;
            },
            400);
        qmtest::ReleaseArrows();
        ASSERT_TRUE(changing) << "stopped at " << PositionOf(field->GetPlayer()).x << ", "
                              << PositionOf(field->GetPlayer()).z;
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200));
        EXPECT_LT(qmtest::FlatDistance(PositionOf(field->GetPlayer()), c.arrival), 0.1F);
        // The hollow's thief, or none in the meadow.
        EXPECT_EQ(EnemyNear(field, sample::StealLayout::kThiefType, sample::StealLayout::Thief(), 2.0F) != nullptr,
                  !c.toMeadow);
    }
}

TEST_F(LeftoverMapRoad, ThePauseMenusTitleQuestionCancelledGivesTheLeaveWindowBack)
{
    TFieldLoop* field = qmtest::StartOnBattleMap(driver_);
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200));
    driver_.Press(qmtest::Button::E);
    ASSERT_NE(dynamic_cast<TMenuTopLoop*>(driver_.Current()), nullptr);
    driver_.Steps(57);
    driver_.Press(qmtest::Button::Up);  // the last item: leave the game
    driver_.Step();
    driver_.Press(qmtest::Button::A);
    driver_.Steps(46);
    auto* leave = dynamic_cast<TMenuConfirm2Loop*>(driver_.Current());
    ASSERT_NE(leave, nullptr);
    driver_.Steps(21);
    for (int i = 0; i < 2; ++i) {
        driver_.Press(qmtest::Button::Up);  // to "back to the title"
        driver_.Step();
    }
    driver_.Press(qmtest::Button::A);
    driver_.Steps(21);
    ASSERT_NE(dynamic_cast<TYesNoLoop*>(driver_.Current()), nullptr);
    driver_.Steps(11);
    const int scenes = driver_.App()->GetSceneCount();
    driver_.RecordSounds(true);
    driver_.Press(qmtest::Button::B);
    int closing = -1;
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            ++closing;
            return driver_.Current() == leave;
        },
        60));
    EXPECT_GT(closing, 1);
    EXPECT_EQ(driver_.App()->GetSceneCount(), scenes - 1);
    EXPECT_EQ(std::count(driver_.sounds.begin(), driver_.sounds.end(), TSoundBankRecord{TSoundBankRecord::kPlay, 0, 606}), 1);
    EXPECT_TRUE(driver_.boxes.empty());
}

// The pause menu's three list screens on a new game, each once with nothing to offer ("ＮＯ ＩＴＥＭ",
// "ＮＯ ＳＫＩＬＬ" shown, "B" closes the list) and the ring and skill screens once taking a slot's
// content off ("はずす", the list's first entry): the item back in the bag, the skill back among
// the learned ones.
class LeftoverMenuRoad : public LeftoverMapRoad {
protected:
    void Key(qmtest::Button b, int then = 0)
    {
        driver_.Press(b);
        driver_.Steps(1 + then);
    }
    // Whether the next step draws the text sprite of that name.
    bool Draws(const std::string& name)
    {
        driver_.RecordDraws(true);
        driver_.Step();
        const bool drawn = std::any_of(driver_.draws.begin(), driver_.draws.end(),
                                       [&](const TSpriteDrawRecord& d) { return d.texture == name; });
        driver_.RecordDraws(false);
        return drawn;
    }
};

TEST_F(LeftoverMenuRoad, EmptyListsShowTheirWordAndARingItemAndASkillAreTakenOff)
{
    TFieldLoop* field = qmtest::StartOnBattleMap(driver_);
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200));
    TGameData* data = TGameData::GetInstance();
    // A skill learned and set into slot 1, as the skill window of another road does it.
    const std::uint32_t skill = TWeponTable::Get(field->GetPlayer()->GetWeaponId()).Skill[0];
    ASSERT_NE(skill, 0U);
    data->LearnSkill(0, skill);
    data->SetSkillSlot(0, 1, skill);
    ASSERT_EQ(data->GetSkillSlot(0, 0), 0U);
    // A new game: ring position 2 empty, position 1 five of item 1, nothing in the bag.
    ASSERT_EQ(data->GetRingSlot(2)->Id, 0U);
    const TItemEntry ringed = *data->GetRingSlot(1);
    ASSERT_NE(ringed.Id, 0U);
    const std::uint32_t bagged = Held(ringed.Id);

    driver_.Press(qmtest::Button::E);
    auto* menu = dynamic_cast<TMenuTopLoop*>(driver_.Current());
    ASSERT_NE(menu, nullptr);
    driver_.Steps(57);

    // The ring screen: position 2 offers nothing from an empty bag; position 1's list starts with
    // "はずす".
    Key(qmtest::Button::A, 46);
    ASSERT_NE(dynamic_cast<TItemRingLoop*>(driver_.Current()), nullptr);
    driver_.Steps(10);
    EXPECT_FALSE(Draws("tEmpty"));
    Key(qmtest::Button::Down, 10);
    Key(qmtest::Button::Down, 10);
    Key(qmtest::Button::A, 10);
    EXPECT_TRUE(Draws("tEmpty"));
    Key(qmtest::Button::B, 10);
    EXPECT_FALSE(Draws("tEmpty"));
    Key(qmtest::Button::Up, 10);
    Key(qmtest::Button::A, 10);
    EXPECT_FALSE(Draws("tEmpty"));
    Key(qmtest::Button::A, 10);
    EXPECT_EQ(data->GetRingSlot(1)->Id, 0U);
    EXPECT_EQ(Held(ringed.Id), bagged + ringed.Count);
    Key(qmtest::Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == menu; }, 30));

    // Equipment: no accessory in the bag for the first accessory slot.
    driver_.Steps(47);
    ASSERT_NE(qmtest::OpenEquipment(driver_), nullptr);
    Key(qmtest::Button::Down);
    Key(qmtest::Button::A, 10);
    EXPECT_TRUE(Draws("tEmpty"));
    Key(qmtest::Button::B, 10);
    EXPECT_FALSE(Draws("tEmpty"));
    Key(qmtest::Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == menu; }, 30));

    // Skills: slot 0 has nothing to take (the one skill sits in slot 1); slot 1's "はずす".
    driver_.Steps(47);
    Key(qmtest::Button::Down);
    Key(qmtest::Button::A, 46);
    ASSERT_NE(dynamic_cast<TSkillLoop*>(driver_.Current()), nullptr);
    driver_.Steps(10);
    Key(qmtest::Button::A, 10);
    EXPECT_TRUE(Draws("tEmpty"));
    Key(qmtest::Button::B, 10);
    EXPECT_FALSE(Draws("tEmpty"));
    Key(qmtest::Button::Right);
    Key(qmtest::Button::A, 10);
    driver_.RecordSounds(true);
    Key(qmtest::Button::A, 10);
    EXPECT_EQ(data->GetSkillSlot(0, 1), 0U);
    std::vector<std::uint32_t> learned;
    data->MakeSkillList(learned, 0, field->GetPlayer()->GetWeaponId());
    EXPECT_EQ(learned, std::vector<std::uint32_t>{skill});
    EXPECT_EQ(std::count(driver_.sounds.begin(), driver_.sounds.end(), TSoundBankRecord{TSoundBankRecord::kPlay, 0, 606}), 1);
    EXPECT_TRUE(driver_.boxes.empty());
}

}  // namespace
