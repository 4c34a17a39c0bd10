// The pause menu over the field: its dim and windows coming in step by step, the cursor and its
// sounds, the sub-screen of every item and the way back to it, closing with the music brought back
// up (or without music at all), and steady frames that allocate nothing.
#include <filesystem>

#include "MainCode/Hud/TStatusPanel.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TMenuConfirm2Loop.h"
#include "MainCode/Menu/TMenuConfirmLoop.h"
#include "MainCode/Menu/TMenuSaveLoop.h"
#include "MainCode/Menu/TOptionLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "MainCode/Menu/TStatusLoop.h"
#include "Menu/pause_fixture.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"
#include "support/alloc_probe.h"
#include "support/dx_probe.h"
#include "support/menu_probe.h"

namespace menutest {
namespace {

TEST_F(PauseMenuTest, OpensWithTheDecideSoundDimsForTenStepsThenSlidesTheWindowsInOneAfterAnother)
{
    ASSERT_NE(Field(), nullptr);
    driver_.RecordSounds(true);
    TMenuTopLoop* menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{603}) << "at once, before the first step";
    const struct {
        int steps;  // since the menu opened
        DWORD dim;
        std::int32_t x0, x1, x6, x7;
    } rows[] = {
        {0, 0x00000000, -194, -186, -146, -138},
        {1, 0x0C000000, -194, -186, -146, -138},   // 0.05 of the way to half
        {9, 0x72000000, -194, -186, -146, -138},
        {10, 0x7F000000, -194, -186, -146, -138},  // half: 127
        {11, 0x7F000000, -194, -186, -146, -138},  // the dim's end found: still no window moved
        {12, 0x7F000000, -173, -186, -146, -138},
        {16, 0x7F000000, -89, -186, -146, -138},
        {17, 0x7F000000, -68, -165, -146, -138},  // the second starts once the first made 6 steps
        {41, 0x7F000000, 16, 24, -146, -138},
        {42, 0x7F000000, 16, 24, -125, -138},
        {46, 0x7F000000, 16, 24, -41, -138},
        {47, 0x7F000000, 16, 24, -20, -117},
        {56, 0x7F000000, 16, 24, 64, 72},
    };
    int done = 0;
    for (const auto& row : rows) {
        driver_.Steps(row.steps - done);
        done = row.steps;
        SCOPED_TRACE(row.steps);
        EXPECT_EQ(TMenuProbe::DimColor(*menu), row.dim);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), 0).x.value, row.x0);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), 1).x.value, row.x1);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), 6).x.value, row.x6);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), 7).x.value, row.x7);
    }
    for (std::int32_t i = 0; i < TMenuTopLoop::kItems; ++i) {
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), i).y.value, 16 + 40 * i);
    }
    // The 57th step still finds the last window arriving; the 58th takes the first press.
    driver_.Press(Button::Down);
    EXPECT_EQ(TMenuProbe::Cursor(*menu), 0);
    driver_.Step();
    driver_.Press(Button::Down);
    EXPECT_EQ(TMenuProbe::Cursor(*menu), 1);
    EXPECT_EQ(Played(), (std::vector<std::uint32_t>{603, 600}));
}

TEST_F(PauseMenuTest, CursorWrapsAndOneButtonWinsOverAnother)
{
    const struct {
        const char* name;
        std::vector<std::vector<Button>> presses;  // each a step, an idle step after it
        std::int32_t cursor;
        std::vector<std::uint32_t> sounds;
        bool closes;
    } cases[] = {
        {"up on the first wraps to the last", {{Button::Up}}, 7, {600}, false},
        {"down on the last wraps to the first", {{Button::Up}, {Button::Down}}, 0, {600, 600}, false},
        {"down twice", {{Button::Down}, {Button::Down}}, 2, {600, 600}, false},
        {"up beats down", {{Button::Up, Button::Down}}, 7, {600}, false},
        {"up beats cancel", {{Button::Up, Button::B}}, 7, {600}, false},
        {"cancel beats decide", {{Button::B, Button::A}}, 0, {606}, true},
        {"E cancels", {{Button::E}}, 0, {606}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMenuTopLoop* menu = MenuReady();
        ASSERT_NE(menu, nullptr);
        driver_.RecordSounds(true);
        for (const auto& buttons : c.presses) {
            PressTogether(buttons);
            driver_.Step();
        }
        EXPECT_EQ(TMenuProbe::Cursor(*menu), c.cursor);
        EXPECT_EQ(Played(), c.sounds);
        if (!c.closes) {
            driver_.Press(Button::B);
        }
        driver_.RecordSounds(false);
        ASSERT_TRUE(StepUntilCurrent(field_));
    }
}

// "A" closes the windows and opens the item's sub-screen; when it ends the windows come back with
// the cursor where it was, lit from the first step.
TEST_F(PauseMenuTest, EveryItemOpensItsSubScreenAndTheMenuComesBackOnTheSameItem)
{
    TMenuTopLoop* menu = MenuReady();
    ASSERT_NE(menu, nullptr);
    const char* const kinds[TMenuTopLoop::kItems] = {"ring",   "equip",   "skills", "status",
                                                      "change", "options", "save",   "leave"};
    for (std::int32_t item = 0; item < TMenuTopLoop::kItems; ++item) {
        SCOPED_TRACE(item);
        if (item > 0) {
            driver_.Press(Button::Down);
            driver_.Step();
        }
        driver_.RecordSounds(true);
        driver_.Press(Button::A);
        driver_.Steps(kMenuCloseSteps - 1);
        EXPECT_EQ(driver_.Current(), menu) << "the last window is still leaving";
        driver_.Step();
        TLoop* screen = driver_.Current();
        ASSERT_NE(screen, menu);
        const char* kind = screen == nullptr ? "none"
                           : dynamic_cast<TItemRingLoop*>(screen) != nullptr    ? "ring"
                           : dynamic_cast<TEquipLoop*>(screen) != nullptr       ? "equip"
                           : dynamic_cast<TMenuConfirmLoop*>(screen) != nullptr  ? "change"
                           : dynamic_cast<TMenuConfirm2Loop*>(screen) != nullptr ? "leave"
                           : dynamic_cast<TMenuSaveLoop*>(screen) != nullptr     ? "save"
                           : dynamic_cast<TOptionLoop*>(screen) != nullptr       ? "options"
                           : dynamic_cast<TStatusLoop*>(screen) != nullptr       ? "status"
                           : dynamic_cast<TSkillLoop*>(screen) != nullptr        ? "skills"
                                                                                  : "other";
        EXPECT_STREQ(kind, kinds[item]);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{603});
        for (int i = 0; i < 60 && driver_.Current() != menu; ++i) {
            driver_.Press(Button::B);
            if (driver_.Current() != menu) {
                driver_.Step();
            }
        }
        ASSERT_EQ(driver_.Current(), menu);
        driver_.Step();
        EXPECT_EQ(TMenuProbe::Cursor(*menu), item);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), 0).x.value, -173) << "sliding in again";
        for (std::int32_t i = 0; i < TMenuTopLoop::kItems; ++i) {
            EXPECT_FLOAT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), i).alpha.value, i == item ? 1.0F : 0.5F) << i;
        }
        driver_.Steps(kMenuCloseSteps - 1);
    }
}

// Cancel slides the windows out from the top, fades the dim out over 10 steps and ends once the
// music has come back up; only then is the HUD refreshed. A map without music, or whose music has
// no sound, has no fader and closes the same way.
TEST_F(PauseMenuTest, CancelClosesFromTheTopFadesTheDimOutAndRefreshesTheHudLast)
{
    std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
    qmtest::FieldMap silent = maps[0];
    silent.entry = "silent";
    silent.music = "";
    qmtest::FieldMap unsounded = maps[0];
    unsounded.entry = "unsounded";
    unsounded.music = "quiet.wav";  // named in the music table, but no kind of sound the bank makes
    maps.push_back(silent);
    maps.push_back(unsounded);
    driver_.Stop();
    Start(maps, [] {
        auto table = qmtest::FieldMusicTable();
        table.push_back({13, "quiet.wav"});
        qmtest::SaveBytes("data/tbl04/bgm.tbl", qmtest::BuildSoundTable(table));
    });
    TSoundBank* music = TDSound8::Instance()->GetBank(2);

    const struct {
        const char* map;
        std::int32_t musicId;
        bool fader;
    } cases[] = {{"battle", 10, true}, {"silent", -1, false}, {"unsounded", 13, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.map);
        TFieldLoop* field = Field(c.map);
        ASSERT_NE(field, nullptr);
        const std::int32_t id = field->GetArea()->GetMusicId();
        EXPECT_EQ(id, c.musicId);
        TRefPtr<TStreamSound> sound = id != -1 ? music->Get(static_cast<std::uint32_t>(id)) : TRefPtr<TStreamSound>();
        TMenuTopLoop* menu = MenuReady();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(TMenuProbe::Fader(*menu) != nullptr, c.fader);
        if (c.fader) {
            EXPECT_LT(sound->GetVolume(), sound->GetMaxVolume()) << "lowered while the menu is open";
        }
        // Only a refresh builds the panel's full mark again.
        field->GetStatusPanel()->GetFullMark(0) = TSprite();
        driver_.RecordSounds(true);
        driver_.Press(Button::B);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
        driver_.Steps(5);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), 0).x.value, 16 + (-194 - 16) * 5 / 10);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), 1).x.value, 24)
            << "the second waits for the first to fall below 5";
        driver_.Step();
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Items(*menu), 1).x.value, 24 + (-186 - 24) / 10);
        driver_.Steps(kMenuCloseSteps - 6);
        EXPECT_EQ(TMenuProbe::DimColor(*menu), 0x7F000000u) << "the dim waits for the windows";
        driver_.Step();
        EXPECT_EQ(TMenuProbe::DimColor(*menu), 0x72000000u);
        driver_.Steps(9);
        EXPECT_EQ(TMenuProbe::DimColor(*menu), 0x00000000u);
        EXPECT_EQ(driver_.Current(), menu);
        EXPECT_FALSE(TDxProbe::Image(field->GetStatusPanel()->GetFullMark(0)).HasTexture());
        driver_.Step();
        EXPECT_EQ(driver_.Current(), field);
        EXPECT_TRUE(TDxProbe::Image(field->GetStatusPanel()->GetFullMark(0)).HasTexture()) << "refreshed";
        if (c.fader) {
            EXPECT_EQ(sound->GetVolume(), sound->GetMaxVolume()) << "back up";
        }
        driver_.RecordSounds(false);
        driver_.App()->PopScenesTo(1);
        driver_.Step();
        field_ = nullptr;
    }
}

// The software GL driver allocates inside each draw call and each presented frame of its own, and
// is not counted; the menu's steps and draws ask for no more than the same quads drawn bare and
// presented.
TEST_F(PauseMenuTest, SteadyMenuFramesAllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    TMenuTopLoop* menu = MenuReady();
    ASSERT_NE(menu, nullptr);
    driver_.Steps(50);  // the music fader finished too
    long steps = 0;
    {
        qmtest::AllocationProbe probe(true);
        driver_.Steps(10);
        steps = probe.OwnThreadGameAllocations();
    }
    TSprite background = TMenuProbe::Background(*menu);
    TSprite dim;
    std::vector<TSprite> windows;
    for (std::int32_t i = 0; i < TMenuTopLoop::kItems; ++i) {
        windows.push_back(TMenuProbe::At(TMenuProbe::Items(*menu), i).sprite);
    }
    TD3D8* d3d = TD3D8::Instance();
    long bare = 0;
    {
        qmtest::AllocationProbe probe(true);
        for (int i = 0; i < 10; ++i) {
            d3d->BeginScene();
            TSprite::SetRenderMode(0);
            background.Draw(0.0F, 0.0F, 640.0F, 480.0F, false);
            TSprite::SetRenderMode(1);
            dim.DrawRect(0.0F, 0.0F, 640.0F, 480.0F, false);
            for (std::int32_t w = 0; w < TMenuTopLoop::kItems; ++w) {
                windows[static_cast<std::size_t>(w)].Draw(16.0F + 8.0F * w, 16.0F + 40.0F * w, false);
            }
            d3d->EndScene();
            d3d->Present();
        }
        bare = probe.OwnThreadGameAllocations();
    }
    EXPECT_EQ(steps, bare);
}

}  // namespace
}  // namespace menutest
