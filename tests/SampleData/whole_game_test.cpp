// The whole game on the generated folder in one run, as a player plays it from the title back to
// the title: the maker's logo, new game and a fresh start, the opening events (the first read
// through, the second skipped), the town, the gate to the battle map and a fight up a level; back
// in the town a word with the elder, the shops, the inn and a draught from the item ring; at the
// save point the pause menu's skill and status windows and a save; the leave window back to the
// title, the load of that save, a walk into the strong enemy, game over, the title again, and
// Escape ending the program. Played twice: both runs give the same pictures and the same save.
#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TFieldPhase.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Menu/TBuyShopLoop.h"
#include "MainCode/Menu/TInnLoop.h"
#include "MainCode/Menu/TMenuConfirm2Loop.h"
#include "MainCode/Menu/TMenuSaveLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "MainCode/Menu/TStatusLoop.h"
#include "MainCode/Menu/TSellShopLoop.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TDieLoop.h"
#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "TCommon/Crc32.h"
#include "TCommon/TByteReader.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "formats/save_writer.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/character_probe.h"
#include "support/field_walk.h"
#include "support/golden.h"
#include "support/hud_probe.h"
#include "support/main_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/title_road.h"
#include "support/menu_probe.h"
#include "support/scene_probe.h"
#include "support/map_probe.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;

constexpr float kReach = 1.6F;  // close enough to swing at an enemy or speak to a villager

// The message window waits for a button.
bool WindowWaits()
{
    TMessageWindow* window = qmtest::MessageWindow();
    return window != nullptr && window->IsWaitingForButton();
}

std::uint32_t Held(std::uint32_t id)
{
    const TItemEntry* entry = TGameData::GetInstance()->FindItem(id);
    return entry != nullptr ? entry->Count : 0;
}

// The little-endian word at a place of a save body (0 past its end).
std::uint32_t U32At(const std::vector<std::uint8_t>& body, std::size_t at)
{
    TByteReader in(body);
    std::uint32_t value = 0;
    return in.Seek(at) && in.U32(value) ? value : 0;
}

// What the game holds while the title stands: what a road that came back to it must not have
// left behind.
struct TitleHoldings {
    bool scripts = false;
    std::map<std::uint32_t, std::vector<std::pair<std::uint32_t, std::uint32_t>>> uses;  // by bank
    std::vector<std::string> textures;

    static TitleHoldings Now(const SceneDriver& driver)
    {
        TitleHoldings h;
        h.scripts = TScriptProcessManager::Get() != nullptr;
        for (std::uint32_t bank : {0u, 1u, 2u}) {
            h.uses[bank] = driver.SoundUses(bank);
        }
        // The screen capture the pause menu and the change share stays made once it is.
        for (const std::string& name : driver.CachedTextures()) {
            if (name != "QM_ScreenCaptureTex") {
                h.textures.push_back(name);
            }
        }
        return h;
    }
    bool operator==(const TitleHoldings&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TitleHoldings& h)
{
    out << "scripts " << h.scripts << ";";
    for (const auto& [bank, uses] : h.uses) {
        out << " bank " << bank << ":";
        for (const auto& [id, count] : uses) {
            out << " " << id << "x" << count;
        }
    }
    out << "; textures:";
    for (const std::string& name : h.textures) {
        out << " " << name;
    }
    return out;
}

// The party as the save holds it.
struct Party {
    std::uint32_t level = 0;
    std::uint32_t experience = 0;
    std::int32_t hp = 0;
    std::uint32_t money = 0;
    std::uint32_t potions = 0;
    std::int32_t savePoint = 0;
    std::uint32_t ringDraughts = 0;  // item 1 in ring slot 1
    std::uint32_t skillInSlot1 = 0;
    bool operator==(const Party&) const = default;

    static Party Of(TPlayerCharacter* player)
    {
        TGameData* data = TGameData::GetInstance();
        return {player->GetLevel(),   player->GetExperience(),   player->GetHp(),
                data->GetMoney(),     Held(3),                   data->GetSavePoint(),
                data->GetRingSlot(1)->Count, data->GetSkillSlot(0, 1)};
    }
};

std::ostream& operator<<(std::ostream& out, const Party& p)
{
    return out << "level " << p.level << " exp " << p.experience << " hp " << p.hp << " money " << p.money
               << " potions " << p.potions << " save point " << p.savePoint << " ring " << p.ringDraughts
               << " skill slot 1 " << p.skillInSlot1;
}

// What a run leaves to compare with another: its pictures and its save.
struct Outcome {
    std::vector<std::uint32_t> pictures;
    std::vector<std::uint8_t> save;
    int steps = 0;
    bool done = false;
};

class Road {
public:
    Road(SceneDriver& driver, const fs::path& folder, bool goldens)
        : driver_(driver), folder_(folder), goldens_(goldens)
    {
    }

    // The whole road; false where it could not go on.
    bool Play()
    {
        return Title() && NewGame() && Events() && FirstFight() && Town() && Save() && Leave() && Load() &&
               Defeat(false) && Quit();
    }
    // F4 and "yes" back to the title over the hub mid-fade, over event 300, and over game over.
    bool PlayF4()
    {
        if (!Title() || !NewGame()) {
            return false;
        }
        auto* hub = Until<TChangeLoop>(10);
        if (!Require(hub != nullptr, "no change after new game")) {
            return false;
        }
        StepUntil([&] { return Current<TChangeLoop>() == nullptr || TMainProbe::Counter(TSceneProbe::Quad(*hub)) == 50; },
                  200);
        if (!BackByF4("the hub mid-fade") || !NewGame()) {
            return false;
        }
        if (!Require(Until<TEvent04_00Loop>(300) != nullptr, "no event 300")) {
            return false;
        }
        Steps(100);
        if (!BackByF4("event 300") || !NewGame()) {
            return false;
        }
        // Both opening events cut short by cancel held, then into the strong enemy.
        SceneDriver::Hold(Button::B, true);
        const bool field = Until<TFieldLoop>(1000) != nullptr;
        SceneDriver::Hold(Button::B, false);
        if (!Require(field, "no field after the opening events")) {
            return false;
        }
        StepUntil([&] { return !TMapProbe::IsInPhase(*Field()); }, 300);
        // North on the path first, clear of the way on ahead.
        if (!Require(WalkTo([] { return sample::SampleLayout::TownPathCorner(); }), "could not reach the path's corner")) {
            return false;
        }
        return Defeat(true) && Quit();
    }

    Outcome outcome;

private:
    template <typename Scene>
    Scene* Current() const
    {
        return dynamic_cast<Scene*>(driver_.Current());
    }
    TFieldLoop* Field() const { return Current<TFieldLoop>(); }
    bool Step()
    {
        ++outcome.steps;
        return driver_.Step();
    }
    void Steps(int n)
    {
        for (int i = 0; i < n; ++i) {
            Step();
        }
    }
    // Steps until done() holds, at most limit steps; whether it came.
    bool StepUntil(const std::function<bool()>& done, int limit)
    {
        for (int i = 0; i < limit; ++i) {
            if (done()) {
                return true;
            }
            Step();
        }
        return done();
    }
    template <typename Scene>
    Scene* Until(int limit = 600)
    {
        StepUntil([&] { return Current<Scene>() != nullptr; }, limit);
        return Current<Scene>();
    }
    // A press, then a step with nothing down, so the next press is new.
    void Tap(Button b)
    {
        driver_.Press(b);
        ++outcome.steps;
        Step();
    }
    void Press(Button b)
    {
        driver_.Press(b);
        ++outcome.steps;
    }
    bool Require(bool condition, const std::string& what)
    {
        if (!condition) {
            ADD_FAILURE() << what << " (step " << outcome.steps << ")";
        }
        return condition;
    }
    // The screen now, against its golden on the first run; every run keeps its checksum.
    void Picture(const std::string& name)
    {
        const platform::RgbaImage image = SceneDriver::Screen();
        outcome.pictures.push_back(Crc32(image.pixels.data(), static_cast<std::int32_t>(image.pixels.size())));
        if (goldens_) {
            EXPECT_TRUE(qmtest::MatchesGolden(image, name));
        }
    }
    // Walks until within reach of where(); false when the field went, a phase began or it took
    // too long.
    bool WalkTo(const std::function<D3DXVECTOR3()>& where, float reach = kReach)
    {
        const bool there = StepUntil(
            [&] {
                TFieldLoop* field = Field();
                if (field == nullptr || TMapProbe::IsInPhase(*field)) {
                    return true;
                }
                if (FlatDistance(PositionOf(field->GetPlayer()), where()) <= reach) {
                    return true;
                }
                qmtest::WalkTowards(field, where());
                return false;
            },
            1500);
        qmtest::ReleaseArrows();
        return there && Field() != nullptr && !TMapProbe::IsInPhase(*Field());
    }
    // To the front of a gate, into it, through the map change, to the next map's first picture;
    // the area reached.
    TAreaBase* ThroughGate(const D3DXVECTOR3& front)
    {
        const D3DXVECTOR3 beyond = sample::SampleLayout::Beyond(front);
        WalkTo([&] { return front; }, 0.5F);
        StepUntil(
            [&] {
                TFieldLoop* field = Field();
                if (field == nullptr || TMapProbe::IsInPhase(*field)) {
                    return true;
                }
                qmtest::WalkTowards(field, beyond);
                return false;
            },
            1500);
        qmtest::ReleaseArrows();
        if (Field() == nullptr || !TMapProbe::IsInPhase(*Field())) {
            return nullptr;
        }
        if (auto* change = dynamic_cast<TMapChangePhase*>(TMapProbe::Phase(*Field()))) {
            changedTo_.push_back(TMapProbe::MapData(*change).GetMapName());
        }
        StepUntil([&] { return Field() == nullptr || !TMapProbe::IsInPhase(*Field()); }, 600);
        return Field() != nullptr ? Field()->GetArea() : nullptr;
    }
    // Speaks to the villager faced, reads the line and lets it go: the scene its script opens,
    // or the field when it opens none.
    TLoop* Talk(const std::string& golden = "")
    {
        Tap(Button::A);
        const bool waiting = StepUntil([] { return WindowWaits(); }, 300);
        EXPECT_TRUE(waiting) << "no line from the villager";
        if (!golden.empty()) {
            Picture(golden);
        }
        Tap(Button::A);
        StepUntil(
            [&] {
                auto* town = Field() != nullptr ? dynamic_cast<TTownArea*>(Field()->GetArea()) : nullptr;
                return town == nullptr || !TMapProbe::IsInScriptState(*town);
            },
            300);
        return driver_.Current();
    }
    // Back on the town's field with its script run out.
    bool BackToTown()
    {
        return StepUntil(
            [&] {
                auto* town = Field() != nullptr ? dynamic_cast<TTownArea*>(Field()->GetArea()) : nullptr;
                return town != nullptr && !TMapProbe::IsInScriptState(*town);
            },
            600);
    }
    std::function<D3DXVECTOR3()> Villager(std::size_t i)
    {
        return [this, i] {
            return PositionOf(TMapProbe::Villagers(*dynamic_cast<TTownArea*>(Field()->GetArea())).at(i).Get());
        };
    }
    // The title after a road back to it: no logo, the menu, and nothing of the road still held.
    bool BackAtTitle(const std::string& from)
    {
        if (!Require(Until<TTitleLoop>(800) != nullptr, "no title after " + from)) {
            return false;
        }
        EXPECT_EQ(driver_.App()->GetSceneCount(), 1);
        bool logo = false;
        const bool menu = StepUntil(
            [&] {
                const TSceneProbe::TitleState s = TSceneProbe::State(*Current<TTitleLoop>());
                logo = logo || s == TSceneProbe::TitleState::LogoIn || s == TSceneProbe::TitleState::LogoHold;
                return s == TSceneProbe::TitleState::Menu;
            },
            600);
        EXPECT_FALSE(logo) << "the logo is the run's first title's, not " << from;
        EXPECT_EQ(TitleHoldings::Now(driver_), firstTitle_) << "after " << from;
        return Require(menu, "no title menu after " + from);
    }

    // F4 over the scene now, "yes": the hub, then the title as it first stood.
    bool BackByF4(const std::string& over)
    {
        SceneDriver::Stroke(Button::F4);
        if (!Require(Current<TYesNoLoop>() != nullptr, "no question on F4 over " + over)) {
            return false;
        }
        Steps(22);
        Tap(Button::Up);
        Press(Button::A);
        return Require(Current<TChangeLoop>() != nullptr, "no change to the title over " + over) &&
               BackAtTitle(over);
    }

    // 1. Start-up, the logo, the menu, new game, this chapter afresh.
    bool Title()
    {
        bool logo = false;
        const bool menu = StepUntil(
            [&] {
                auto* title = Current<TTitleLoop>();
                if (title == nullptr) {
                    return true;
                }
                if (!logo && TSceneProbe::State(*title) == TSceneProbe::TitleState::LogoHold) {
                    logo = true;
                    Picture("WholeGameLogo");
                }
                return TSceneProbe::State(*title) == TSceneProbe::TitleState::Menu;
            },
            1000);
        EXPECT_TRUE(logo);
        if (!Require(menu && Current<TTitleLoop>() != nullptr, "no title menu")) {
            return false;
        }
        Picture("WholeGameTitle");
        firstTitle_ = TitleHoldings::Now(driver_);
        EXPECT_FALSE(firstTitle_.scripts);
        // The recorders saw the title's own textures and sounds come, so a later title is compared
        // with what it holds, not with nothing.
        EXPECT_FALSE(firstTitle_.textures.empty());
        EXPECT_FALSE(firstTitle_.uses[0].empty());
        return true;
    }
    bool NewGame()
    {
        qmtest::ChooseTitleItem(driver_, 0);
        ++outcome.steps;
        if (!Require(Until<TSelectContinueDataLoop>(60) != nullptr, "no carry-over choice after new game")) {
            return false;
        }
        Steps(40);  // its rows in
        Picture("WholeGameCarryOver");
        newGameClock_ = timeGetTime();
        Press(Button::A);  // this chapter afresh
        return true;
    }
    // 2. The hub, event 300 read through, the hub, event 301 skipped, the town.
    bool Events()
    {
        auto* hub = Until<TChangeLoop>(10);
        if (!Require(hub != nullptr && TSceneProbe::EventId(*hub) == 300, "no change to event 300")) {
            return false;
        }
        auto* first = Until<TEvent04_00Loop>(200);
        if (!Require(first != nullptr, "no event 300")) {
            return false;
        }
        bool pressed = false;
        bool glide = false;
        StepUntil(
            [&] {
                if (driver_.Current() != first) {
                    return true;
                }
                if (TSceneProbe::Glide(*first).step == 400) {
                    glide = true;
                    Picture("StoryEvent300MidGlide");
                }
                // Every line read: decide for one step whenever the window waits.
                pressed = !pressed && WindowWaits();
                SceneDriver::Hold(Button::A, pressed);
                return false;
            },
            6000);
        SceneDriver::Hold(Button::A, false);
        EXPECT_TRUE(glide);
        hub = Current<TChangeLoop>();
        if (!Require(hub != nullptr && TSceneProbe::EventId(*hub) == 301, "no change to event 301")) {
            return false;
        }
        auto* second = Until<TEvent04_01Loop>(200);
        if (!Require(second != nullptr, "no event 301")) {
            return false;
        }
        SceneDriver::Hold(Button::B, true);
        int skip = 0;
        StepUntil([&] { return driver_.Current() != second || ++skip > 200; }, 300);
        SceneDriver::Hold(Button::B, false);
        EXPECT_LE(skip, 60) << "cancel held cuts the event short";
        TFieldLoop* field = Field();
        if (!Require(field != nullptr && dynamic_cast<TTownArea*>(field->GetArea()) != nullptr, "no town after 301")) {
            return false;
        }
        EXPECT_EQ(driver_.App()->GetSceneCount(), 1);
        EXPECT_EQ(field->GetArea()->GetMusicId(), 31);
        EXPECT_LT(FlatDistance(PositionOf(field->GetPlayer()), sample::SampleLayout::TownStart()), 0.1F);
        D3DXVECTOR3 front;
        field->GetPlayer()->GetFront(&front);
        EXPECT_NEAR(front.x, -1.0F, 1e-4F);
        EXPECT_NEAR(front.z, 0.0F, 1e-4F);
        StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 300);
        Picture("WholeGameFieldFirstFrame");
        return true;
    }
    // 3. The gate to the battle map and the enemy ahead beaten: its hits, the notices, the gain,
    // the level and the learned skill.
    bool FirstFight()
    {
        // North on the path, clear of the way on ahead, then west to the gate.
        if (!Require(WalkTo([] { return sample::SampleLayout::TownPathCorner(); }), "could not reach the path's corner")) {
            return false;
        }
        TAreaBase* area = ThroughGate(sample::SampleLayout::TownGateFront());
        if (!Require(dynamic_cast<TBattleArea*>(area) != nullptr, "the gate did not lead to the battle map")) {
            return false;
        }
        EXPECT_EQ(changedTo_.back(), sample::SampleLayout::kBattle);
        TFieldLoop* field = Field();
        TPlayerCharacter* player = field->GetPlayer();
        EXPECT_LT(FlatDistance(PositionOf(player), sample::SampleLayout::BattleArrival()), 0.1F);
        // The map's name comes in on the notice window.
        bool named = false;
        for (const TGetRender::Notice& n : THudProbe::Queue(*field->GetGetRender())) {
            named = named || n.text == "試しの野";
        }
        EXPECT_TRUE(named);
        const std::uint32_t level = player->GetLevel();
        const std::int32_t maxHp = player->GetMaxHp();
        const std::uint32_t skill = TWeponTable::Get(player->GetWeaponId()).Skill[0];
        const auto enemy = [&]() -> TEnemy* {
            for (const auto& entry : field->GetArea()->GetEnemies()->GetLive()) {
                if (entry.second->GetRelatedId() == qmtest::kFieldEnemyType && entry.second->IsAlive()) {
                    return entry.second.Get();
                }
            }
            return nullptr;
        };
        if (!Require(enemy() != nullptr, "no enemy ahead on the battle map")) {
            return false;
        }
        bool hitCounted = false;
        bool skillNoticed = false;
        int swing = 0;
        const bool beaten = StepUntil(
            [&] {
                for (const TGetRender::Notice& n : THudProbe::Queue(*field->GetGetRender())) {
                    skillNoticed = skillNoticed || (n.kind == TGetRender::kSkill && n.value == skill);
                }
                TEnemy* target = enemy();
                if (target == nullptr) {
                    SceneDriver::Hold(Button::A, false);
                    return true;
                }
                if (TCharacterProbe::HitPopup(*player).IsActive()) {
                    hitCounted = hitCounted ||
                                 THudProbe::Count(TCharacterProbe::HitPopup(*player)) == target->GetHitsTaken();
                }
                if (FlatDistance(PositionOf(player), PositionOf(target)) > kReach) {
                    qmtest::WalkTowards(field, PositionOf(target));
                    SceneDriver::Hold(Button::A, false);
                } else {
                    qmtest::ReleaseArrows();
                    SceneDriver::Hold(Button::A, ++swing % 8 < 4);
                }
                return false;
            },
            2000);
        qmtest::ReleaseArrows();
        if (!Require(beaten, "the enemy ahead still stands")) {
            return false;
        }
        EXPECT_TRUE(hitCounted);
        bool gain = false;
        const bool banner = StepUntil(
            [&] {
                for (const TRefPtr<TPopupText>& p : TCharacterProbe::Popups(*player)) {
                    gain = gain || dynamic_cast<const TGainPopup*>(p.Get()) != nullptr;
                }
                for (const TGetRender::Notice& n : THudProbe::Queue(*field->GetGetRender())) {
                    skillNoticed = skillNoticed || (n.kind == TGetRender::kSkill && n.value == skill);
                }
                const auto* up = dynamic_cast<const TLevelUpPopup*>(TCharacterProbe::LevelUpPopup(*player));
                return up != nullptr && up->IsActive();
            },
            900);
        EXPECT_TRUE(gain);
        if (!Require(banner, "no level-up banner")) {
            return false;
        }
        Steps(200);
        Picture("WholeGameLevelUp");
        EXPECT_TRUE(skillNoticed) << "the sword's first skill learned in the fight";
        EXPECT_EQ(player->GetLevel(), level + 1);
        EXPECT_GT(player->GetMaxHp(), maxHp);
        // Whatever the fight took, a blow more, so that the inn has something to heal.
        player->TakeDamage(37);
        EXPECT_LT(player->GetHp(), player->GetMaxHp());
        return true;
    }
    // 4. Back through the gate: the elder's word, two potions bought, one sold, a night at the inn.
    bool Town()
    {
        TAreaBase* area = ThroughGate(sample::SampleLayout::BattleGateFront());
        auto* town = dynamic_cast<TTownArea*>(area);
        if (!Require(town != nullptr && TMapProbe::Villagers(*town).size() == 4, "the gate did not lead to the town")) {
            return false;
        }
        EXPECT_EQ(changedTo_.back(), sample::SampleLayout::kTown);
        if (!Require(WalkTo(Villager(0)), "could not reach the elder")) {
            return false;
        }
        EXPECT_EQ(Talk("WholeGameMessageWindow"), Field()) << "the elder only speaks";

        TGameData* data = TGameData::GetInstance();
        const TItemRecord potion = sample::GetCatalogue().items.at(2);  // the first good on sale
        EXPECT_EQ(potion.Id, 3u);
        const std::uint32_t potions = Held(potion.Id);
        const std::uint32_t money = data->GetMoney();
        if (!Require(WalkTo(Villager(1)), "could not reach the shopkeeper")) {
            return false;
        }
        auto* buy = dynamic_cast<TBuyShopLoop*>(Talk());
        if (!Require(buy != nullptr, "no buy shop")) {
            return false;
        }
        StepUntil([&] { return TMenuProbe::IsSelecting(*buy); }, 60);
        Tap(Button::A);
        StepUntil([&] { return TMenuProbe::IsCounting(*buy); }, 60);
        Tap(Button::Left);
        Tap(Button::A);
        StepUntil([&] { return TMenuProbe::IsConfirming(*buy); }, 60);
        EXPECT_EQ(TMenuProbe::Count(*buy), 2);
        Picture("WholeGameBuyShop");
        driver_.RecordSounds(true);
        Tap(Button::A);
        std::vector<std::uint32_t> effects;
        for (const TSoundBankRecord& r : driver_.sounds) {
            if (r.op == TSoundBankRecord::kPlay && r.bank == 0) {
                effects.push_back(r.id);
            }
        }
        driver_.RecordSounds(false);
        EXPECT_EQ(effects, std::vector<std::uint32_t>{217});
        EXPECT_EQ(data->GetMoney(), money - 2 * potion.BuyPrice);
        EXPECT_EQ(Held(potion.Id), potions + 2);
        StepUntil([&] { return TMenuProbe::IsSelecting(*buy); }, 60);
        Tap(Button::B);
        if (!Require(BackToTown(), "not back from the buy shop")) {
            return false;
        }

        if (!Require(WalkTo(Villager(2)), "could not reach the buyer")) {
            return false;
        }
        auto* sell = dynamic_cast<TSellShopLoop*>(Talk());
        if (!Require(sell != nullptr, "no sell shop")) {
            return false;
        }
        StepUntil([&] { return TMenuProbe::IsSelecting(*sell); }, 60);
        Tap(Button::A);
        StepUntil([&] { return TMenuProbe::IsCounting(*sell); }, 60);
        Tap(Button::A);
        StepUntil([&] { return TMenuProbe::IsConfirming(*sell); }, 60);
        Tap(Button::A);
        EXPECT_EQ(data->GetMoney(), money - 2 * potion.BuyPrice + potion.SellPrice);
        EXPECT_EQ(Held(potion.Id), potions + 1);
        StepUntil([&] { return TMenuProbe::IsSelecting(*sell); }, 60);
        Tap(Button::B);
        if (!Require(BackToTown(), "not back from the sell shop")) {
            return false;
        }

        const std::uint32_t beforeInn = data->GetMoney();
        if (!Require(WalkTo(Villager(3)), "could not reach the innkeeper")) {
            return false;
        }
        TPlayerCharacter* resting = Field()->GetPlayer();
        EXPECT_LT(resting->GetHp(), resting->GetMaxHp());
        auto* inn = dynamic_cast<TInnLoop*>(Talk());
        if (!Require(inn != nullptr, "no inn")) {
            return false;
        }
        StepUntil([&] { return driver_.Current() != inn; }, 600);
        if (!Require(BackToTown(), "not back from the inn")) {
            return false;
        }
        EXPECT_EQ(Field()->GetPlayer()->GetHp(), Field()->GetPlayer()->GetMaxHp());
        EXPECT_EQ(data->GetMoney(), beforeInn);
        return Ring();
    }
    // The field's item ring: "D" held, one "DOWN" to slot 1, let go: a draught used, its boost
    // icon over the player.
    bool Ring()
    {
        TGameData* data = TGameData::GetInstance();
        TPlayerCharacter* player = Field()->GetPlayer();
        const std::uint32_t draughts = data->GetRingSlot(1)->Count;
        EXPECT_EQ(data->GetRingSlot(1)->Id, 1u);
        SceneDriver::Hold(Button::D, true);
        Steps(3);
        EXPECT_TRUE(THudProbe::IsOpen(*Field()->GetItemRing()));
        Press(Button::Down);
        Steps(12);
        EXPECT_EQ(THudProbe::Selected(*Field()->GetItemRing()), 1);
        SceneDriver::Hold(Button::D, false);
        Step();
        const bool used = StepUntil([&] { return data->GetRingSlot(1)->Count == draughts - 1; }, 120) &&
                          StepUntil([&] { return player->HasStatBoost(); }, 120);
        // The boost's icon beside those of whatever ailments the battle map's breaths left.
        std::size_t ailing = 0;
        for (const std::int32_t left : {player->GetPoison().Remaining, player->GetManaDrain().Remaining,
                                        player->GetReversedControls().Remaining, player->GetAttackSeal().Remaining,
                                        player->GetSlowness().Remaining, player->GetManaSeal().Remaining}) {
            ailing += left > 0 ? 1 : 0;
        }
        EXPECT_EQ(THudProbe::Shown(TCharacterProbe::StatusIcons(*player)).size(), 1u + ailing);
        StepUntil([&] { return Field()->GetItemRing()->IsClosed(); }, 60);
        return Require(used, "no draught used from the ring");
    }
    // 5. Onto the save point, "E", the save item, slot 0.
    bool Save()
    {
        TFieldLoop* field = Field();
        if (!Require(WalkTo([] { return sample::SampleLayout::TownSavePointMark(); }, 0.5F),
                     "could not reach the save point")) {
            return false;
        }
        Steps(3);
        TPlayerCharacter* player = field->GetPlayer();
        if (!Require(player->HasSaveRequest(), "the save point asks for no save")) {
            return false;
        }
        EXPECT_EQ(player->GetSavePointId(), 11);
        Press(Button::E);
        auto* menu = Current<TMenuTopLoop>();
        if (!Require(menu != nullptr, "no pause menu")) {
            return false;
        }
        Steps(57);
        Picture("WholeGamePauseMenu");
        if (!SubScreens(menu, player->GetWeaponId())) {
            return false;
        }
        Tap(Button::Down);
        Tap(Button::Down);
        Tap(Button::Down);  // from the status to the save
        Press(Button::A);
        Steps(46);
        auto* screen = Current<TMenuSaveLoop>();
        if (!Require(screen != nullptr && TMenuProbe::ChoiceCount(*screen) == 3, "no save window")) {
            return false;
        }
        Steps(21);
        Tap(Button::Down);  // from back round to the save
        Steps(10);
        Tap(Button::A);
        StepUntil([&] { return TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); }, 80);
        Steps(10);
        Tap(Button::A);
        Step();
        StepUntil([&] { return TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); }, 80);
        saveClock_ = timeGetTime();
        EXPECT_EQ(TMenuProbe::LastSaveResult(TMenuProbe::SlotPage(*screen)), 0);
        Picture("WholeGameSaved");
        saved_ = Party::Of(player);
        EXPECT_EQ(saved_.savePoint, 11);

        // The slot on its own terms: whole, its CRC right, the save point and the money.
        std::ifstream in(folder_ / "save" / qmtest::SaveSlotName(0), std::ios::binary);
        outcome.save.assign(std::istreambuf_iterator<char>(in), {});
        std::vector<std::uint8_t> body;
        bool crcFirst = false;
        if (!Require(qmtest::UnwrapSaveFile(outcome.save, body, crcFirst), "slot 0 unreadable")) {
            return false;
        }
        EXPECT_EQ(outcome.save.size(), body.size() + 5);
        EXPECT_EQ(U32At(body, 21) - 52917364u, 11u);
        EXPECT_EQ(U32At(body, 25), saved_.money);
        savedPlayTime_ = U32At(body, 0);
        EXPECT_GT(savedPlayTime_, 0u);
        EXPECT_LE(savedPlayTime_, saveClock_ - newGameClock_);
        return true;
    }
    // The skill window (the skill the fight taught into slot 1), then the status window; the
    // cursor is left on the status item.
    bool SubScreens(TMenuTopLoop* menu, std::uint32_t weapon)
    {
        const std::uint32_t skill = TWeponTable::Get(weapon).Skill[0];
        Tap(Button::Down);
        Tap(Button::Down);
        Press(Button::A);
        Steps(46);
        auto* skills = Current<TSkillLoop>();
        if (!Require(skills != nullptr, "no skill window")) {
            return false;
        }
        Steps(10);
        Tap(Button::Right);
        Press(Button::A);
        Steps(10);
        EXPECT_EQ(TMenuProbe::List(*skills), std::vector<std::uint32_t>{skill});
        Press(Button::A);
        EXPECT_EQ(TGameData::GetInstance()->GetSkillSlot(0, 1), skill);
        Steps(10);
        Tap(Button::B);
        Steps(10);
        if (!Require(driver_.Current() == menu, "not back on the pause menu from the skills")) {
            return false;
        }
        Steps(46);
        Tap(Button::Down);
        Press(Button::A);
        Steps(46);
        if (!Require(Current<TStatusLoop>() != nullptr, "no status window")) {
            return false;
        }
        Steps(40);
        Tap(Button::B);
        Steps(10);
        if (!Require(driver_.Current() == menu, "not back on the pause menu from the status")) {
            return false;
        }
        Steps(46);
        return true;
    }
    // 6. Out of the save window; the leave window's "back to the title", yes; the hub; the title.
    bool Leave()
    {
        Tap(Button::B);
        Steps(30 + 21);
        Tap(Button::B);
        if (!Require(Until<TMenuTopLoop>(30) != nullptr, "not back on the pause menu")) {
            return false;
        }
        Steps(46);
        Tap(Button::Down);  // the last item: leave
        Press(Button::A);
        Steps(46);
        if (!Require(Current<TMenuConfirm2Loop>() != nullptr, "no leave window")) {
            return false;
        }
        Steps(21);
        Tap(Button::Up);
        Tap(Button::Up);  // back to the title
        Press(Button::A);
        Steps(21);
        if (!Require(Current<TYesNoLoop>() != nullptr, "no question")) {
            return false;
        }
        Steps(11);
        Tap(Button::Up);
        Press(Button::A);
        auto* hub = Current<TChangeLoop>();
        if (!Require(hub != nullptr, "no change to the title")) {
            return false;
        }
        StepUntil([&] { return Current<TChangeLoop>() == nullptr || TMainProbe::Counter(TSceneProbe::Quad(*hub)) == 50; },
                  200);
        Picture("WholeGameHubMidFade");
        return BackAtTitle("the leave window");
    }
    // 7. "load", slot 0, the hub, the field at the save point with the saved party.
    bool Load()
    {
        // A fresh game's state, for the load to replace whole.
        TGameData::GetInstance()->Reset();
        qmtest::ChooseTitleItem(driver_, 1);
        ++outcome.steps;
        auto* load = Current<TSaveLoadLoop>();
        if (!Require(load != nullptr, "no load page")) {
            return false;
        }
        Steps(40);
        Picture("WholeGameLoadPage");
        EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*load), 0), 0) << "slot 0's line";
        Press(Button::A);
        if (!Require(Current<TChangeLoop>() != nullptr, "no change after the load")) {
            return false;
        }
        TFieldLoop* field = Until<TFieldLoop>(200);
        const bool town = field != nullptr && dynamic_cast<TTownArea*>(field->GetArea()) != nullptr;
        if (!Require(town, "no town after the load")) {
            return false;
        }
        StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 300);
        Picture("WholeGameFieldAfterLoad");
        EXPECT_LT(FlatDistance(PositionOf(field->GetPlayer()), sample::SampleLayout::TownSavePointMark()), 0.1F);
        EXPECT_EQ(Party::Of(field->GetPlayer()), saved_);
        EXPECT_EQ(TGameData::GetInstance()->GetStoredPlayTime(), savedPlayTime_);
        return true;
    }
    // 8. Through the gate and into the strong enemy's corner: the defeat, game over, then decide
    // (or F4 and "yes").
    bool Defeat(bool byF4)
    {
        const bool onBattleMap = dynamic_cast<TBattleArea*>(ThroughGate(sample::SampleLayout::TownGateFront())) != nullptr;
        if (!Require(onBattleMap, "the gate did not lead to the battle map")) {
            return false;
        }
        const D3DXVECTOR3 corner = sample::SampleLayout::StrongEnemy();
        TFieldLoop* battle = Field();
        StepUntil(
            [&] {
                if (Field() != battle) {
                    return true;
                }
                if (!TMapProbe::IsInPhase(*battle) && FlatDistance(PositionOf(battle->GetPlayer()), corner) > kReach) {
                    qmtest::WalkTowards(battle, corner);
                } else {
                    qmtest::ReleaseArrows();
                }
                return false;
            },
            6000);
        qmtest::ReleaseArrows();
        auto* die = Current<TDieLoop>();
        if (!Require(die != nullptr, "no game over")) {
            return false;
        }
        Steps(200);
        if (byF4) {
            return BackByF4("game over");
        }
        Picture("WholeGameGameOver");
        Press(Button::A);
        return BackAtTitle("game over");
    }
    // 9. Escape, yes: the screen fades out and the program ends with status 0.
    bool Quit()
    {
        Picture("WholeGameTitle");  // as the first title showed it
        SceneDriver::Stroke(Button::Escape);
        if (!Require(Current<TYesNoLoop>() != nullptr, "no question on Escape")) {
            return false;
        }
        Steps(22);
        Tap(Button::Up);
        Press(Button::A);
        int steps = 0;
        while (steps < 100 && Step()) {
            ++steps;
        }
        EXPECT_EQ(steps, 50) << "the program ends once the screen has faded out";
        EXPECT_EQ(driver_.Close(), 0);
        outcome.done = true;
        return true;
    }

    SceneDriver& driver_;
    fs::path folder_;
    bool goldens_;
    TitleHoldings firstTitle_;
    Party saved_;
    std::uint32_t savedPlayTime_ = 0;
    DWORD newGameClock_ = 0;
    DWORD saveClock_ = 0;
    std::vector<std::string> changedTo_;
};

// One run in a fresh folder, from start-up to the program's end: the whole road, or the road back
// to the title by F4.
Outcome PlayRoad(bool goldens, bool byF4 = false)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    Outcome outcome;
    {
        SceneDriver driver(dir.Path());
        if (!driver.Start()) {
            ADD_FAILURE() << "the game did not start";
            return outcome;
        }
        // The effects' generator, seeded as a fresh process has it.
        init_genrand(5489);
        Road road(driver, dir.Path(), goldens);
        testing::internal::CaptureStderr();
        if (byF4) {
            road.PlayF4();
        } else {
            road.Play();
        }
        // Nothing fell back on the way: no missing file, no silent sound, no refused name.
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        outcome = road.outcome;
        SceneDriver::ReleaseAll();
        driver.Stop();
        EXPECT_TRUE(driver.boxes.empty());
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
    return outcome;
}

TEST(WholeGame, FromTheTitleBackToTheTitleTwiceTheSame)
{
    timespec started{};
    clock_gettime(CLOCK_MONOTONIC, &started);
    const Outcome first = PlayRoad(true);
    timespec ended{};
    clock_gettime(CLOCK_MONOTONIC, &ended);
    const double took = static_cast<double>(ended.tv_sec - started.tv_sec) +
                        static_cast<double>(ended.tv_nsec - started.tv_nsec) * 1e-9;
    // For the record, not a check: how fast the road plays headless on this build and machine.
    std::printf("whole game: %d frames in %.1f s, %.0f frames a second\n", first.steps, took, first.steps / took);
    ASSERT_TRUE(first.done);
    const Outcome second = PlayRoad(false);
    EXPECT_TRUE(second.done);
    EXPECT_EQ(second.steps, first.steps);
    EXPECT_EQ(second.pictures, first.pictures);
    EXPECT_EQ(second.save, first.save);
}

TEST(WholeGame, F4AndYesOverTheHubAnEventAndGameOverLeaveTheTitleAsItWas)
{
    EXPECT_TRUE(PlayRoad(false, true).done);
}

}  // namespace
