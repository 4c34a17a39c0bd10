// The blows that do more than stagger, played on the sample folder's battle map: the sword's jump
// attack throws an enemy up, it falls and lands, and the follow-up the hop after the blow brings on
// strikes it again in the air; the enemies no blow staggers only lose HP to both. In the arena
// behind it, the brawler's blows, and the hedge mage's spell and blow from either hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "platform/testing/win32.h"
#include "support/character_probe.h"
#include "support/frame_probe.h"
#include "support/field_walk.h"
#include "support/scene_driver.h"
#include "support/map_probe.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

constexpr int kJumpKey = 'C';

// The hero's: hit, knocked down (front, back), lying (front, back), launched, falling, landed,
// stunned.
constexpr std::uint32_t kHit = 7, kHitBack = 8, kDown = 9, kDownBack = 10, kLying = 11, kLyingBack = 12,
                        kLaunched = 13, kLaunchFall = 14, kLaunchLand = 15, kStunned = 16;
// The enemies' states a launch runs through, and where a knock-down lies.
constexpr std::uint32_t kEnemyLaunched = 11, kEnemyFalling = 12, kEnemyLanding = 13, kEnemyDown = 9;
// The sword class's first air strike and its follow-up.
constexpr std::uint32_t kAirStrikeRow = 35, kFollowUpRow = 37;

class ReactionsRoad : public qmtest::SampleFieldRoad {
protected:
    TFieldLoop* EnterBeside(const D3DXVECTOR3& enemy, float away)
    {
        TGameData::GetInstance()->Reset();
        const D3DXVECTOR3 at = enemy - D3DXVECTOR3(0.0F, 0.0F, away);
        field_ = Enter(SampleLayout::kBattle, at, {0.0F, 0.0F, 1.0F}, at + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
        return field_;
    }
    TPlayerCharacter* Hero() const { return field_->GetPlayer(); }
    // One step's play beside a striker: the hero healed below half life and, while it stands free,
    // walked up to the striker; answers whether it stands free.
    bool StayBy(TPlayerCharacter* hero, TEnemy* striker)
    {
        if (hero->GetHp() < hero->GetMaxHp() / 2) {
            hero->RecoverHp(1000);
        }
        const bool free = hero->GetState() <= 3;
        if (free && FlatDistance(PositionOf(hero), PositionOf(striker)) > 1.4F) {
            qmtest::WalkTowards(field_, PositionOf(striker));
        } else {
            qmtest::ReleaseArrows();
        }
        return free;
    }
    // Up to the enemy, facing it; false when it could not be reached.
    bool CloseIn(TEnemy* enemy, float reach)
    {
        for (int i = 0; i < 300; ++i) {
            if (FlatDistance(PositionOf(Hero()), PositionOf(enemy)) < reach) {
                qmtest::ReleaseArrows();
                return true;
            }
            qmtest::WalkTowards(field_, PositionOf(enemy));
            Step();
            if (driver_.Current() != field_) {
                return false;
            }
        }
        qmtest::ReleaseArrows();
        return false;
    }
    void Tap(Button b)
    {
        SceneDriver::Hold(b, true);
        Step();
        SceneDriver::Hold(b, false);
        Step();
    }
    void Step()
    {
        if (Hero()->GetHp() < Hero()->GetMaxHp()) {
            Hero()->RecoverHp(1000);
        }
        driver_.Step();
        if (watched_ != nullptr) {
            Watch();
        }
    }
    // What the watched enemy went through.
    void Watch()
    {
        TEnemy* e = watched_;
        const std::uint32_t state = e->GetState();
        const float y = PositionOf(e).y;
        if (states_.empty() || states_.back() != state) {
            states_.push_back(state);
        }
        rise_ = std::max(rise_, y - ground_);
        // A beaten enemy's HP goes on falling a step at a time: those are no blows.
        if (e->GetHp() < hp_ && hp_ > 0) {
            ++hits_;
            // Struck while up in the air: the juggle.
            if (state == kEnemyLaunched || state == kEnemyFalling) {
                ++airHits_;
            }
        }
        hp_ = e->GetHp();
        followUp_ = followUp_ || TCharacterProbe::SubState(*Hero()) == kFollowUpRow;
        airStrike_ = airStrike_ || TCharacterProbe::SubState(*Hero()) == kAirStrikeRow;
    }
    // Jumps, strikes at the top, presses again for the follow-up, and lets it all come down.
    void JumpAttack()
    {
        platform::InjectKey(kJumpKey, true);
        Step();
        platform::InjectKey(kJumpKey, false);
        for (int i = 0; i < 5; ++i) {
            Step();
        }
        Tap(Button::A);
        Tap(Button::A);
        for (int i = 0; i < 90; ++i) {
            Step();
        }
    }
    void StartWatching(TEnemy* enemy)
    {
        watched_ = enemy;
        states_.clear();
        ground_ = PositionOf(enemy).y;
        hp_ = enemy->GetHp();
        rise_ = 0.0F;
        hits_ = airHits_ = 0;
        followUp_ = airStrike_ = false;
    }
    bool Saw(std::vector<std::uint32_t> order) const
    {
        auto at = states_.begin();
        for (std::uint32_t s : order) {
            at = std::find(at, states_.end(), s);
            if (at == states_.end()) {
                return false;
            }
        }
        return true;
    }

    TFieldLoop* field_ = nullptr;
    TEnemy* watched_ = nullptr;
    std::vector<std::uint32_t> states_;
    float ground_ = 0.0F;
    float rise_ = 0.0F;
    std::int32_t hp_ = 0;
    int hits_ = 0;
    int airHits_ = 0;
    bool followUp_ = false;
    bool airStrike_ = false;
};

struct Target {
    const char* name;
    std::uint32_t type;
    D3DXVECTOR3 position;
    bool staggers;
};

// The field's enemy is thrown up, falls and lands, and lies a moment; the follow-up strikes it in
// the air (a juggle). The leaping one and the swarm's shadow, whom no blow staggers, only
// lose HP to both strikes; the time stopper, of their kind, takes the plain swing so.
TEST_F(ReactionsRoad, TheSwordsJumpAttackThrowsAnEnemyUpAndTheFollowUpStrikesItInTheAir)
{
    const std::vector<qmtest::FieldEnemy> others = SampleLayout::ClassEnemies();
    const Target targets[] = {
        {"the field's enemy", qmtest::kFieldEnemyType, SampleLayout::Enemy(), true},
        {"the leaping one", others[0].typeId, others[0].position, false},
        {"the shadow of the swarm", others[3].typeId, others[3].position, false},
    };
    for (const Target& t : targets) {
        ASSERT_NE(EnterBeside(t.position, 2.0F), nullptr) << t.name;
        TEnemy* found = EnemyNear(field_, t.type, t.position, 3.0F);
        ASSERT_NE(found, nullptr) << t.name;
        // Held here too: a blow too many ends it and the field lets it go.
        const TRefPtr<TEnemy> held = field_->GetArea()->GetEnemies()->GetEnemy(found->GetObjectId());
        TEnemy* enemy = held.Get();
        bool done = false;
        for (int attempt = 0; attempt < 8 && !done && enemy->GetHp() > 0; ++attempt) {
            watched_ = nullptr;
            CloseIn(enemy, 1.6F);
            ASSERT_EQ(driver_.Current(), field_) << t.name;
            StartWatching(enemy);
            JumpAttack();
            done = followUp_ && hits_ >= 2 && (!t.staggers || Saw({kEnemyDown}));
        }
        watched_ = nullptr;
        EXPECT_TRUE(airStrike_ && followUp_) << t.name << ": the air strike and the follow-up its hop brings on";
        EXPECT_GE(hits_, 2) << t.name;
        if (t.staggers) {
            EXPECT_TRUE(Saw({kEnemyLaunched, kEnemyFalling, kEnemyLanding, kEnemyDown})) << t.name;
            // Thrown at 0.06 a step against a pull of 0.002 a step: some 0.9 up.
            EXPECT_GT(rise_, 0.6F) << t.name;
            EXPECT_LT(rise_, 1.5F) << t.name;
            EXPECT_GE(airHits_, 1) << t.name << ": struck again in the air";
        } else {
            EXPECT_FALSE(Saw({kEnemyLaunched})) << t.name;
            EXPECT_LT(rise_, 0.1F) << t.name;
        }
    }

    // The time stopper keeps the hero too busy for a jump: the sword's plain swing, which it takes
    // unturned and unstaggered like the others of its kind.
    const D3DXVECTOR3 stopper = others[4].position;
    ASSERT_NE(EnterBeside(stopper, 2.0F), nullptr);
    TEnemy* found = EnemyNear(field_, others[4].typeId, stopper, 3.0F);
    ASSERT_NE(found, nullptr);
    const TRefPtr<TEnemy> held = field_->GetArea()->GetEnemies()->GetEnemy(found->GetObjectId());
    const std::int32_t full = held->GetHp();
    bool staggered = false;
    for (int i = 0; i < 40 && held->GetHp() == full; ++i) {
        CloseIn(held.Get(), 1.6F);
        Tap(Button::A);
        for (int j = 0; j < 20; ++j) {
            Step();
            staggered = staggered || held->GetState() == 5 || held->GetState() == 6;
        }
    }
    EXPECT_LT(held->GetHp(), full) << "the time stopper struck";
    EXPECT_FALSE(staggered);
    EXPECT_TRUE(driver_.boxes.empty());
}

// What one of the brawler's blows did to the hero.
struct Taken {
    int count = 0;
    std::int32_t hp = 0;                // HP the first one took
    std::vector<std::uint32_t> states;  // the states it led through, up to standing again
    int steps = 0;                      // steps in the state it began with
    float height = 0.0F;                // the highest the hero rose
    D3DXVECTOR3 from;                   // where the hero stood, and the brawler
    D3DXVECTOR3 striker;
    D3DXVECTOR3 to;                     // where he stood up
    bool pushed = false;                // the brawler walked into him on the way
};

// The battle map's south-east corner leads to the arena. Beside its brawler, kept in HP and walking
// back when thrown off, the hero takes each of its four blows: a light one, a launch (up, falling,
// landed, lying), a stun of four turns of its motion and a heavy blow that throws him flat and back
// from the brawler. Each takes the brawler's blow times its record's factor (1, 1.5, 0.5 and 2).
TEST_F(ReactionsRoad, TheArenasBrawlerThrowsTheHeroUpStunsHimAndKnocksHimFlat)
{
    using sample::Reactions;
    const D3DXVECTOR3 corner = (Reactions::GateMinimum() + Reactions::GateMaximum()) * 0.5F;
    TGameData::GetInstance()->Reset();
    ASSERT_NE(Enter(SampleLayout::kBattle, corner + D3DXVECTOR3(0.0F, 0.0F, 3.0F), {0.0F, 0.0F, -1.0F},
                    corner + D3DXVECTOR3(0.0F, 3.0F, 9.0F)),
              nullptr);
    TFieldLoop* field = Field();
    ASSERT_NE(field, nullptr);
    // The field stays, its map changes: the arena is where the brawler stands.
    const auto inArena = [&] {
        return !TMapProbe::IsInPhase(*field) && field->GetArea() != nullptr && field->GetArea()->GetEnemies() != nullptr &&
               EnemyNear(field, Reactions::kBrawlerType, Reactions::Brawler(), 3.0F) != nullptr;
    };
    ASSERT_FALSE(inArena());
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            if (inArena()) {
                return true;
            }
            field->GetPlayer()->RecoverHp(1000);
            qmtest::WalkTowards(field, corner);
            return false;
        },
        400))
        << "the corner's gate leads on";
    qmtest::ReleaseArrows();
    field_ = Field();
    TEnemy* striker = EnemyNear(field_, Reactions::kBrawlerType, Reactions::Brawler(), 3.0F);
    ASSERT_NE(striker, nullptr) << "the brawler in the arena";

    // By the reaction mode each blow leaves: light, launched, stunned, heavy.
    const std::uint32_t kModes[] = {10, 100000, 100, 1000000};
    Taken taken[4];
    Taken* current = nullptr;
    std::uint32_t last = Hero()->GetState();
    const auto all = [&] {
        return std::all_of(std::begin(taken), std::end(taken), [](const Taken& t) { return t.count > 0; });
    };
    for (int step = 0; step < 4000 && !(all() && current == nullptr); ++step) {
        TPlayerCharacter* hero = Hero();
        StayBy(hero, striker);
        const std::int32_t hp = hero->GetHp();
        const D3DXVECTOR3 before = PositionOf(hero);
        driver_.Step();
        ASSERT_EQ(driver_.Current(), field_);
        const std::uint32_t state = hero->GetState();
        const bool struck = state == kHit || state == kHitBack || state == kDown || state == kDownBack ||
                            state == kLaunched || state == kStunned;
        if (state != last && struck && current == nullptr) {
            for (int k = 0; k < 4; ++k) {
                if (hero->GetReactionMode() == kModes[k]) {
                    current = &taken[k];
                }
            }
            if (current != nullptr && ++current->count == 1) {
                current->hp = hp - hero->GetHp();
                current->from = before;
                current->striker = PositionOf(striker);
                current->states = {state};
                current->steps = 1;
                current->height = 0.0F;
                current->pushed = false;
            } else {
                current = nullptr;
            }
        } else if (current != nullptr) {
            if (state != current->states.back()) {
                current->states.push_back(state);
            } else if (current->states.size() == 1) {
                ++current->steps;
            }
            current->height = std::max(current->height, PositionOf(hero).y - current->from.y);
            // Bodies that touch are pushed apart along the line of their centres, which lifts a
            // hero in the air further than his throw.
            D3DXVECTOR3 apart = PositionOf(hero) - PositionOf(striker);
            apart.y += hero->GetCenterHeight() - striker->GetCenterHeight();
            current->pushed = current->pushed ||
                              D3DXVec3Length(&apart) < hero->GetCenterHeight() + striker->GetCenterHeight() + 0.01F;
            if (state == 0 || current->states.size() > 8) {
                current->to = PositionOf(hero);
                // A launch the brawler walked into is measured again on the next one.
                if (current == &taken[1] && current->pushed) {
                    current->count = 0;
                }
                current = nullptr;
            }
        }
        last = state;
    }
    qmtest::ReleaseArrows();
    ASSERT_TRUE(all()) << "light " << taken[0].count << ", launch " << taken[1].count << ", stun " << taken[2].count
                       << ", heavy " << taken[3].count;
    const std::int32_t blow = taken[0].hp;
    EXPECT_GT(blow, 0);
    EXPECT_EQ(taken[1].hp, static_cast<std::int32_t>(blow * 1.5)) << "launch";
    EXPECT_EQ(taken[2].hp, static_cast<std::int32_t>(blow * 0.5)) << "stun";
    EXPECT_EQ(taken[3].hp, blow * 2) << "heavy";

    // Light: staggered, then on his feet.
    const std::uint32_t hit = taken[0].states.front();
    EXPECT_TRUE(hit == kHit || hit == kHitBack);
    EXPECT_EQ(taken[0].states, (std::vector<std::uint32_t>{hit, 0}));
    // Launched: up, down, landed, lying, then standing.
    EXPECT_EQ(taken[1].states, (std::vector<std::uint32_t>{kLaunched, kLaunchFall, kLaunchLand, kLying, 0}));
    // Thrown at 0.06 a step against a pull of 0.002 a step: 0.058 + 0.056 + ... + 0 = 0.87 up.
    EXPECT_NEAR(taken[1].height, 0.87F, 0.02F);
    // Stunned: four turns of the eight-frame motion, then standing.
    EXPECT_EQ(taken[2].states, (std::vector<std::uint32_t>{kStunned, 0}));
    EXPECT_EQ(taken[2].steps, 32);
    // Heavy: down on the side struck, lying, then standing; thrown away from the brawler.
    const std::uint32_t down = taken[3].states.front();
    EXPECT_TRUE(down == kDown || down == kDownBack);
    EXPECT_EQ(taken[3].states, (std::vector<std::uint32_t>{down, down == kDown ? kLying : kLyingBack, 0}));
    D3DXVECTOR3 away = taken[3].from - taken[3].striker;
    away.y = 0.0F;
    D3DXVECTOR3 moved = taken[3].to - taken[3].from;
    moved.y = 0.0F;
    // The record's knock time 20 and scale 1 over the eight-frame motion: (7 + 6 + ... + 1) / 20.
    EXPECT_NEAR(D3DXVec3Dot(&moved, &away) / D3DXVec3Length(&away), 1.4F, 0.05F) << "thrown back from the brawler";
    EXPECT_NEAR(D3DXVec3Length(&moved), 1.4F, 0.05F);
    EXPECT_TRUE(driver_.boxes.empty());
}

// The no-weapon skill's windows (rows 17 and 19) turn a blow aside: the staff's hero, beside the
// arena's brawler, takes that skill up again and again until a blow falls in its window. That blow
// takes no HP and throws the hero into his class's charge row (31) at once instead of a stagger.
// Then, in the arena's far corner, the hedge mage's swing: a spell of its INT against his MEN from
// its left hand and a blow of its STR against his VIT from its right, each landing where that hand
// is held.
TEST_F(ReactionsRoad, ABlowInTheNoWeaponSkillsWindowIsCounteredAndTheMagesHandsCastAndStrike)
{
    using sample::Reactions;
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    const D3DXVECTOR3 at = Reactions::Brawler() - D3DXVECTOR3(0.0F, 0.0F, 1.2F);
    field_ = Enter(Reactions::kArena, at, {0.0F, 0.0F, 1.0F}, at + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
    ASSERT_NE(field_, nullptr);
    // The staff's class, with the no-weapon skill in the gauge's first slot.
    ASSERT_TRUE(field_->ChangePlayer(1));
    data->GetCharacterData(0)->WeaponId = 1103;
    ASSERT_TRUE(field_->ChangePlayer(0));
    data->SetSkillSlot(0, 0, 4);
    field_->RefreshHud();
    TEnemy* striker = EnemyNear(field_, Reactions::kBrawlerType, Reactions::Brawler(), 3.0F);
    ASSERT_NE(striker, nullptr);

    constexpr std::uint32_t kAction = 19, kChargeRow = 31;
    int countered = 0, windows = 0;
    for (int step = 0; step < 3000 && countered < 2; ++step) {
        TPlayerCharacter* hero = Hero();
        const bool free = StayBy(hero, striker);
        // The skill button pressed for one step whenever the hero stands free.
        SceneDriver::Hold(Button::B, free && step % 2 == 0);
        const std::uint32_t row = hero->GetState() == kAction ? TCharacterProbe::SubState(*hero) : 0;
        const std::int32_t hp = hero->GetHp();
        driver_.Step();
        ASSERT_EQ(driver_.Current(), field_);
        windows += row == 17 || row == 19 ? 1 : 0;
        if ((row == 17 || row == 19) && hero->GetState() == kAction && TCharacterProbe::SubState(*hero) == kChargeRow) {
            ++countered;
            EXPECT_EQ(hero->GetHp(), hp) << "a countered blow takes no life";
        }
    }
    SceneDriver::Hold(Button::B, false);
    qmtest::ReleaseArrows();
    EXPECT_GT(windows, 0) << "the skill opened its window";
    EXPECT_EQ(countered, 2);

    // Set down in front of the hedge mage in the arena's far corner, the hero takes its swing: the
    // spell from its left hand, then the blow from its right, each where that hand is held.
    using sample::EnemyArts;
    ASSERT_TRUE(driver_.StepUntil([&] { return Hero()->GetState() <= 3; }, 200));
    TEnemy* mage = EnemyNear(field_, EnemyArts::kMageType, EnemyArts::Mage(), 3.0F);
    ASSERT_NE(mage, nullptr) << "the mage in the arena";
    Hero()->GetFrame()->SetPosition(PositionOf(mage) - D3DXVECTOR3(0.0F, 0.0F, 1.3F));
    // His guard as the folder gives him: 100, a copper bracelet and a guarding ring (each 2
    // against blows, 1 against spells).
    ASSERT_EQ(Hero()->GetVit(), 104);
    ASSERT_EQ(Hero()->GetMen(), 102);
    struct Landed {
        std::int32_t hp = -1;
        D3DXVECTOR3 at;
    };
    Landed spell, blow;
    // The mage's live hits that have struck the hero already.
    std::vector<const TAttackHit*> struck;
    for (int step = 0; step < 600 && (spell.hp < 0 || blow.hp < 0); ++step) {
        StayBy(Hero(), mage);
        const std::int32_t hp = Hero()->GetHp();
        driver_.Step();
        ASSERT_EQ(driver_.Current(), field_);
        const std::list<TRefPtr<TAttackHit>>& hits = TCharacterProbe::Hits(*mage);
        std::erase_if(struck, [&](const TAttackHit* h) {
            return std::none_of(hits.begin(), hits.end(), [h](const TRefPtr<TAttackHit>& live) { return live.Get() == h; });
        });
        for (const TRefPtr<TAttackHit>& hit : hits) {
            if (!hit->IsInHitList(Hero()) || std::find(struck.begin(), struck.end(), hit.Get()) != struck.end()) {
                continue;
            }
            struck.push_back(hit.Get());
            Landed& landed = (hit->GetFlags() & 0x100) != 0 ? spell : blow;
            landed.hp = hp - Hero()->GetHp();
            TMapProbe::Frame(*hit)->GetPositionRelativeTo(mage->GetFrame(), &landed.at);
        }
    }
    qmtest::ReleaseArrows();
    ASSERT_GE(spell.hp, 0) << "the spell landed";
    ASSERT_GE(blow.hp, 0) << "the blow landed";
    // INT 140 against MEN 102: (140 - 102) + 14. STR 120 against VIT 104: (120 - 104) + 12.
    EXPECT_EQ(spell.hp, 52);
    EXPECT_EQ(blow.hp, 28);
    // Half a step along each hand: the left one out at (0.45, 0.9, -0.35), the right one lower on
    // the other side at (-0.45, 0.5, -0.35); the mage faces its own -z.
    qmtest::ExpectNear(spell.at, D3DXVECTOR3(0.45F, 0.9F, -0.85F));
    qmtest::ExpectNear(blow.at, D3DXVECTOR3(-0.45F, 0.5F, -0.85F));
    EXPECT_TRUE(driver_.boxes.empty());
}

}  // namespace
