// The pause menu's save item in the town of the save-screen folder, whose save point is the
// folder's own (11): the choice with and without the save, where each choice leads, the pages'
// way back to the choice, a save that holds the save point and the party and its loads from the
// menu and from the title, and steady steps without allocations.
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuSaveLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "formats/field_writer.h"
#include "save_screen_fixture.h"
#include "support/alloc_probe.h"
#include "support/character_probe.h"
#include "support/dx_probe.h"
#include "support/menu_probe.h"
#include "support/scene_probe.h"
#include "support/map_probe.h"

namespace savetest {
namespace {

// The pause menu comes in over 57 steps and its windows leave over 46; three choices slide in
// (and out) over 21 steps, two over 16; the five slot rows over 30.
constexpr int kMenuOpenSteps = 57;
constexpr int kMenuCloseSteps = 46;
constexpr int kThreeChoiceSteps = 21;
constexpr int kTwoChoiceSteps = 16;
constexpr int kRowSteps = 30;
constexpr std::int32_t kTownMusic = 11;

class MenuSave : public SaveScreens {
protected:
    void SetUp() override
    {
        SaveScreens::SetUp();
        // The town's save point is the one of this chapter.
        std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
        maps[1].savePoints.at(0).id = static_cast<std::uint32_t>(kOwnSavePoint);
        qmtest::WriteFieldFolder(game_.string(), maps, false);
        EnterTown();
    }

    // The town pushed over the scene on top, at its start and past its fade.
    void EnterTown()
    {
        field_ = TFieldLoop::CreateAtPosition(Driver().App(), "map00/town", qmtest::FieldLayout::Start(),
                                              qmtest::FieldLayout::StartDirection(),
                                              qmtest::FieldLayout::StartCamera());
        ASSERT_NE(field_, nullptr);
        Driver().App()->PushScene(field_);
        for (int i = 0; i < 100 && TMapProbe::IsInPhase(*field_); ++i) {
            Driver().Step();
        }
        ASSERT_FALSE(TMapProbe::IsInPhase(*field_));
    }

    // The player on the save point or back at the start, a few steps there.
    void StandAtSavePoint(bool there)
    {
        const D3DXVECTOR3 mark = qmtest::FieldLayout::TownSavePoint();
        field_->GetPlayer()->PlaceAt(there ? D3DXVECTOR3(mark.x, 0.0F, mark.z - 0.5F) : qmtest::FieldLayout::Start(),
                                     D3DXVECTOR3(0, 0, 1));
        Driver().Steps(3);
        ASSERT_EQ(field_->GetPlayer()->HasSaveRequest(), there);
    }
    // "E", the menu in, the cursor up twice to item 6 and "A": the save item, not yet stepped.
    TMenuSaveLoop* OpenSaveItem()
    {
        Driver().Press(Button::E);
        menu_ = dynamic_cast<TMenuTopLoop*>(Current());
        EXPECT_NE(menu_, nullptr);
        Driver().Steps(kMenuOpenSteps);
        Press(Button::Up);
        Press(Button::Up);
        EXPECT_EQ(menu_ != nullptr ? TMenuProbe::Cursor(*menu_) : -1, TMenuTopLoop::kSaveItem);
        Driver().Press(Button::A);
        Driver().Steps(kMenuCloseSteps);
        auto* screen = dynamic_cast<TMenuSaveLoop*>(Current());
        EXPECT_NE(screen, nullptr);
        return screen;
    }
    // Back on the field from the menu, "B" pressed until the menu takes it.
    void CloseMenu()
    {
        for (int i = 0; i < 300 && Current() != field_; ++i) {
            if (Current() == menu_) {
                Driver().Press(Button::B);
            }
            Driver().Step();
        }
        ASSERT_EQ(Current(), field_);
    }
    int ChoiceSteps(const TMenuSaveLoop* screen) const
    {
        return TMenuProbe::ChoiceCount(*screen) == 3 ? kThreeChoiceSteps : kTwoChoiceSteps;
    }
    // Steps until the page waits in its selection (at most limit).
    bool StepToSelection(const TMenuSaveLoop* screen, int limit = 120)
    {
        for (int i = 0; i < limit && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); ++i) {
            Driver().Step();
        }
        return TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen));
    }

    TFieldLoop* field_ = nullptr;
    TMenuTopLoop* menu_ = nullptr;
};

std::vector<std::string> Textures(const std::vector<TSpriteDrawRecord>& draws)
{
    std::vector<std::string> names;
    for (const TSpriteDrawRecord& d : draws) {
        if (d.kind != TSpriteDrawRecord::kRect) {
            names.push_back(d.texture);
        }
    }
    return names;
}

TEST_F(MenuSave, TheChoiceOffersTheSaveOnlyAtASavePointWithTheCursorOnBack)
{
    const struct {
        bool atSavePoint;
        std::vector<std::string> pictures;
    } cases[] = {
        {true, {"sprite.ptx/window02_g", "sprite.ptx/window02_h", "sprite.ptx/window02_k"}},
        {false, {"sprite.ptx/window02_h", "sprite.ptx/window02_k"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.atSavePoint);
        StandAtSavePoint(c.atSavePoint);
        TMenuSaveLoop* screen = OpenSaveItem();
        ASSERT_NE(screen, nullptr);
        const auto count = static_cast<std::int32_t>(c.pictures.size());
        ASSERT_EQ(TMenuProbe::ChoiceCount(*screen), count);
        EXPECT_EQ(TMenuProbe::Cursor(*screen), count - 1);
        for (std::int32_t i = 0; i < count; ++i) {
            const auto& w = TMenuProbe::At(TMenuProbe::Choices(*screen), i);
            EXPECT_EQ(TDxProbe::Image(w.sprite).GetName(), c.pictures[static_cast<std::size_t>(i)]) << i;
            EXPECT_EQ(w.x.value, -194 + 8 * i) << i;
            EXPECT_EQ(w.y.value, 16 + 40 * i) << i;
            EXPECT_FLOAT_EQ(w.alpha.value, i == count - 1 ? 1.0F : 0.5F) << i;
        }
        Driver().Steps(ChoiceSteps(screen));
        for (std::int32_t i = 0; i < count; ++i) {
            EXPECT_EQ(TMenuProbe::At(TMenuProbe::Choices(*screen), i).x.value, 16 + 8 * i) << i;
        }
        // Over the menu's picture only the choices: no slot page yet.
        Driver().RecordDraws(true);
        Driver().Step();
        std::vector<std::string> drawn = {"QM_ScreenCaptureTex"};
        drawn.insert(drawn.end(), c.pictures.begin(), c.pictures.end());
        EXPECT_EQ(Textures(Driver().draws), drawn);
        Driver().RecordDraws(false);
        Press(Button::B);
        Driver().Steps(ChoiceSteps(screen));
        ASSERT_EQ(Current(), menu_);
        CloseMenu();
    }
}

// Each way through the choice: back to the menu, or the slot pages of the save or of the load;
// from the pages "B" comes back to the choice, which slides in again on the same choice.
TEST_F(MenuSave, EachChoiceLeadsToTheMenuOrItsPagesAndThePagesBackToTheChoice)
{
    Write(1, Slot::OtherChapter);
    using B = Button;
    enum Leads { Menu, Save, Load };
    const struct {
        const char* name;
        bool atSavePoint;
        std::vector<Button> presses;
        std::vector<std::uint32_t> sounds;
        Leads leads;
    } cases[] = {
        {"B", true, {B::B}, {606}, Menu},
        {"A on back", true, {B::A}, {606}, Menu},
        {"down from back to save", true, {B::Down, B::A}, {600, 603}, Save},
        {"up to load", true, {B::Up, B::A}, {600, 603}, Load},
        {"up twice to save", true, {B::Up, B::Up, B::A}, {600, 600, 603}, Save},
        {"up three times, back again", true, {B::Up, B::Up, B::Up, B::A}, {600, 600, 600, 606}, Menu},
        {"B, no save", false, {B::B}, {606}, Menu},
        {"A on back, no save", false, {B::A}, {606}, Menu},
        {"up to load, no save", false, {B::Up, B::A}, {600, 603}, Load},
        {"down from back to load, no save", false, {B::Down, B::A}, {600, 603}, Load},
        {"down twice, back again", false, {B::Down, B::Down, B::A}, {600, 600, 606}, Menu},
    };
    bool atSavePoint = false;
    StandAtSavePoint(false);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.atSavePoint != atSavePoint) {
            StandAtSavePoint(c.atSavePoint);
            atSavePoint = c.atSavePoint;
        }
        TMenuSaveLoop* screen = OpenSaveItem();
        ASSERT_NE(screen, nullptr);
        const int slide = ChoiceSteps(screen);
        Driver().Steps(slide);
        Driver().RecordSounds(true);
        for (Button b : c.presses) {
            Press(b);
        }
        EXPECT_EQ(Played(Driver().sounds), c.sounds);
        Driver().RecordSounds(false);
        // The step after the last press was the first of the slide out.
        Driver().Steps(slide - 2);
        EXPECT_EQ(Current(), screen) << "the last choice is still leaving";
        EXPECT_FALSE(screen->OnPage());
        Driver().Step();
        if (c.leads == Menu) {
            EXPECT_EQ(Current(), menu_);
            CloseMenu();
            continue;
        }
        ASSERT_EQ(Current(), screen);
        ASSERT_TRUE(screen->OnPage());
        const std::int32_t chosen = TMenuProbe::Cursor(*screen);
        EXPECT_TRUE(
            Shows(TMenuProbe::TitleText(TMenuProbe::SlotPage(*screen)), {{0, c.leads == Save ? "セーブ" : "ロード"}}));
        EXPECT_FLOAT_EQ(TMenuProbe::At(TMenuProbe::Choices(*screen), chosen).alpha.value, 1.0F)
            << "the choice's light run to its end";
        ASSERT_TRUE(StepToSelection(screen));
        // The save lists another chapter's save in full, the load only says why it cannot load it.
        EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 1), 8);
        EXPECT_EQ(static_cast<bool>(ShowsSlotLine(TMenuProbe::RowText(TMenuProbe::SlotPage(*screen), 1), 1,
                                                  TGameData::ResultMessage(8))),
                  c.leads == Load);
        // Drawn now: the choices at their hidden places, then the page.
        Driver().RecordDraws(true);
        Driver().Step();
        const std::vector<TSpriteDrawRecord>& draws = Driver().draws;
        ASSERT_GE(draws.size(), 4u);
        EXPECT_EQ(draws[2].texture, c.atSavePoint ? "sprite.ptx/window02_g" : "sprite.ptx/window02_h");
        EXPECT_EQ(draws[2].x, -194.0F);
        EXPECT_EQ(draws.back().texture, "SaveNo4");
        Driver().RecordDraws(false);

        Driver().RecordSounds(true);
        Press(Button::B);
        EXPECT_EQ(Played(Driver().sounds), std::vector<std::uint32_t>{606});
        Driver().RecordSounds(false);
        Driver().Steps(kRowSteps - 2);
        EXPECT_TRUE(screen->OnPage()) << "the last row is still leaving";
        Driver().Step();
        EXPECT_FALSE(screen->OnPage());
        EXPECT_EQ(Current(), screen) << "back to the choice, not to the menu";
        Driver().Step();
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Choices(*screen), 0).x.value, -194 + 21) << "sliding in again";
        EXPECT_EQ(TMenuProbe::Cursor(*screen), chosen);
        Driver().Steps(slide);
        Press(Button::B);
        Driver().Steps(slide);
        ASSERT_EQ(Current(), menu_);
        CloseMenu();
    }
}

// A save at the save point holds the save point and the played character as they are now, and
// its load, from this screen or from the title's, enters the field at that save point with them.
TEST_F(MenuSave, ASaveHoldsTheSavePointAndThePartyAndItsLoadStartsThere)
{
    TGameData& data = *TGameData::GetInstance();
    TSoundBank* music = TDSound8::Instance()->GetBank(2);
    for (const bool fromTheMenu : {false, true}) {
        SCOPED_TRACE(fromTheMenu ? "loaded from the menu" : "loaded from the title");
        Write(0, Slot::Missing);
        data.SetSavePoint(kChapter2SavePoint);
        data.SetMoney(fromTheMenu ? 2468 : 1357);
        StandAtSavePoint(true);
        TPlayerCharacter* player = field_->GetPlayer();
        TCharacterProbe::ConsumeHp(*player, fromTheMenu ? 7 : 3);
        const std::int32_t hp = player->GetHp();
        const auto character = player->GetCharacterIndex();
        ASSERT_NE(hp, data.GetCharacterData(character)->Life);

        TMenuSaveLoop* screen = OpenSaveItem();
        ASSERT_NE(screen, nullptr);
        Driver().Steps(kThreeChoiceSteps);
        Press(Button::Down);  // from back round to the save
        Press(Button::A);
        ASSERT_TRUE(StepToSelection(screen));
        Driver().RecordSounds(true);
        Press(Button::A);  // the empty slot 0: no question
        Driver().Step();
        EXPECT_FALSE(TMenuProbe::SlotPage(*screen).InConfirmation());
        ASSERT_TRUE(StepToSelection(screen));
        EXPECT_EQ(Played(Driver().sounds), (std::vector<std::uint32_t>{603, 605}));
        Driver().RecordSounds(false);
        EXPECT_EQ(TMenuProbe::LastSaveResult(TMenuProbe::SlotPage(*screen)), 0);
        EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 0), 0);
        EXPECT_EQ(data.GetSavePoint(), kOwnSavePoint);
        EXPECT_EQ(data.GetCharacterData(character)->Life, hp);
        EXPECT_TRUE(player->HasSaveRequest()) << "the save point's request stays";

        // The game moves on before the load takes it back.
        data.SetMoney(5);
        data.SetSavePoint(kChapter2SavePoint);
        data.GetCharacterData(character)->Life = hp + 1;
        if (fromTheMenu) {
            const std::uint32_t uses = TDxProbe::UseCount(*music, kTownMusic);
            Press(Button::B);
            Driver().Steps(kRowSteps + kThreeChoiceSteps);
            Press(Button::Down);
            Press(Button::A);
            ASSERT_TRUE(StepToSelection(screen));
            EXPECT_TRUE(Shows(TMenuProbe::TitleText(TMenuProbe::SlotPage(*screen)), {{0, "ロード"}}));
            Driver().RecordSounds(true);
            Driver().Press(Button::A);
            EXPECT_EQ(Played(Driver().sounds), std::vector<std::uint32_t>{603});
            Driver().RecordSounds(false);
            auto* hub = dynamic_cast<TChangeLoop*>(Current());
            ASSERT_NE(hub, nullptr);
            EXPECT_EQ(Driver().App()->GetSceneCount(), 1) << "the title, field, menu and screen went";
            EXPECT_EQ(TSceneProbe::Mode(*hub), TChangeLoop::kToLoadSlot);
            EXPECT_EQ(TSceneProbe::Slot(*hub), 0u);
            EXPECT_EQ(TSceneProbe::MusicId(*hub), kTownMusic);
            // The field's use went with the field; the one kept for the change holds the music.
            EXPECT_EQ(TDxProbe::UseCount(*music, kTownMusic), uses);
            EXPECT_GE(uses, 1u);
        } else {
            // Out of the pages, the choice and the menu; then the load screen as the title opens it.
            Press(Button::B);
            Driver().Steps(kRowSteps + kThreeChoiceSteps);
            Press(Button::B);
            Driver().Steps(kThreeChoiceSteps);
            CloseMenu();
            TSaveLoadLoop* load = Open(TSaveLoadLoop::CreateLoad(Driver().App()));
            ASSERT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*load), 0), 0);
            Driver().Press(Button::A);
            ASSERT_NE(dynamic_cast<TChangeLoop*>(Current()), nullptr);
        }
        // Through the scene change into the field.
        field_ = nullptr;
        for (int i = 0; i < 600 && field_ == nullptr; ++i) {
            Driver().Step();
            field_ = dynamic_cast<TFieldLoop*>(Current());
        }
        ASSERT_NE(field_, nullptr);
        EXPECT_EQ(data.GetSavePoint(), kOwnSavePoint);
        EXPECT_EQ(data.GetMoney(), fromTheMenu ? 2468u : 1357u);
        EXPECT_EQ(data.GetCharacterData(character)->Life, hp);
        for (int i = 0; i < 100 && TMapProbe::IsInPhase(*field_); ++i) {
            Driver().Step();
        }
        // Save point 11 of the fixture's table stands at the start of the battle map.
        EXPECT_EQ(field_->GetArea()->GetMusicId(), 10);
        // The next round plays in the town again, over the field the load made.
        EnterTown();
    }
}

TEST_F(MenuSave, SteadyStepsOfTheChoiceAndOfThePageAllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    StandAtSavePoint(true);
    TMenuSaveLoop* screen = OpenSaveItem();
    ASSERT_NE(screen, nullptr);
    for (const bool page : {false, true}) {
        SCOPED_TRACE(page ? "page" : "choice");
        if (page) {
            Press(Button::Up);
            Press(Button::A);
            ASSERT_TRUE(StepToSelection(screen));
        }
        Driver().Steps(kThreeChoiceSteps + 12);
        const auto [steps, bare] = SteadyCost(Driver(), TMenuProbe::SlotPage(*screen));
        // The driver's own blocks are not counted; a block a step of the screen's own asks for adds ten.
        EXPECT_LE(steps, bare);
    }
}

}  // namespace
}  // namespace savetest
