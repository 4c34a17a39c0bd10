// The pause menu on the generated field folder, run by the real application one scene step at a
// time: the field at the battle map's start past its fade, the menu opened with "E" as a player
// opens it, the menu sounds recorded by id.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "formats/byte_writer.h"
#include "formats/field_writer.h"
#include "formats/ini_writer.h"
#include "formats/shop_assets.h"
#include "formats/table_writer.h"
#include "platform/win32/window.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/window_settings.h"
#include "support/map_probe.h"

namespace menutest {

using qmtest::Button;

// A pause menu comes in over 57 steps: 11 of dim, then 46 of its windows sliding in (each starts
// 5 steps after the one above, the last arrives on the 45th and the 46th finds it there).
constexpr int kMenuOpenSteps = 57;
// Its windows slide out over 46 steps the same way.
constexpr int kMenuCloseSteps = 46;

class PauseMenuTest : public ::testing::Test {
protected:
    void SetUp() override { Start(qmtest::DefaultFieldMaps()); }

    // The folder with those maps (changed by tweak before the game starts), then the title.
    void Start(const std::vector<qmtest::FieldMap>& maps, const std::function<void()>& tweak = {})
    {
        qmtest::WriteFieldFolder(".", maps);
        // The sub-screens' row icons and item pictures.
        qmtest::WriteShopPictures("data/ptx04");
        if (tweak) {
            tweak();
        }
        qmtest::WriteWindowedSettingsWithDepth();
        std::filesystem::create_directories("data/tbl04/subset");
        qmtest::SaveBytes("data/tbl04/subset/menu_se.tbl",
                          qmtest::BuildSoundList({600, 601, 602, 603, 605, 606, 607, 608}));
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);  // past the input's start-up polls, on the title
    }
    // The field on a map of the folder, current and past its fade.
    TFieldLoop* Field(const std::string& entry = "battle")
    {
        field_ = TFieldLoop::CreateAtPosition(driver_.App(), "map00/" + entry, qmtest::FieldLayout::Start(),
                                              qmtest::FieldLayout::StartDirection(),
                                              qmtest::FieldLayout::StartCamera());
        EXPECT_NE(field_, nullptr);
        if (field_ != nullptr) {
            driver_.App()->PushScene(field_);
            for (int i = 0; i < 100 && TMapProbe::IsInPhase(*field_); ++i) {
                driver_.Step();
            }
            EXPECT_FALSE(TMapProbe::IsInPhase(*field_));
        }
        return field_;
    }
    // "E" on the field; the menu is current from that step.
    TMenuTopLoop* OpenMenu()
    {
        if (field_ == nullptr && Field() == nullptr) {
            return nullptr;
        }
        driver_.Press(Button::E);
        auto* menu = dynamic_cast<TMenuTopLoop*>(driver_.Current());
        EXPECT_NE(menu, nullptr);
        return menu;
    }
    // The menu open with its windows in, waiting for the player.
    TMenuTopLoop* MenuReady()
    {
        TMenuTopLoop* menu = OpenMenu();
        driver_.Steps(kMenuOpenSteps);
        return menu;
    }
    // Steps (at most limit) until scene is current again; false when it never was.
    bool StepUntilCurrent(TLoop* scene, int limit = 200)
    {
        for (int i = 0; i < limit && driver_.Current() != scene; ++i) {
            driver_.Step();
        }
        return driver_.Current() == scene;
    }
    // The ids played in the effect bank since recording started.
    std::vector<std::uint32_t> Played() const
    {
        std::vector<std::uint32_t> ids;
        for (const auto& s : driver_.sounds) {
            if (s.op == std::remove_cvref_t<decltype(s)>::kPlay && s.bank == 0) {
                ids.push_back(s.id);
            }
        }
        return ids;
    }
    // A key the application handles itself (Escape, F4); no step.
    void Key(Button key) { qmtest::SceneDriver::Stroke(key); }
    // The ids played since the last call (recording on).
    std::vector<std::uint32_t> Sounds()
    {
        std::vector<std::uint32_t> ids = Played();
        driver_.sounds.clear();
        return ids;
    }
    // A press and a step with it let go, then steps until ready() or another scene is current.
    void KeyUntil(Button b, const TLoop* screen, const std::function<bool()>& ready)
    {
        driver_.Press(b);
        driver_.Step();
        for (int i = 0; i < 30 && driver_.Current() == screen && !ready(); ++i) {
            driver_.Step();
        }
    }
    // The draws of one step, in order.
    std::vector<TSpriteDrawRecord> DrawsOfAStep() { return driver_.DrawsOfAStep(); }
    static int CountDraws(const std::vector<TSpriteDrawRecord>& draws, const std::string& texture)
    {
        return qmtest::CountDraws(draws, texture);
    }
    // Back from a sub-screen to the field: "B" until the menu is current, then "B" on it.
    void LeaveToField(const TLoop* screen, TLoop* menu)
    {
        for (int i = 0; i < 3 && driver_.Current() == screen; ++i) {
            driver_.Press(Button::B);
            driver_.Steps(12);
        }
        ASSERT_TRUE(StepUntilCurrent(menu));
        driver_.Press(Button::B);
        ASSERT_TRUE(StepUntilCurrent(field_, 300));
        driver_.RecordSounds(false);
    }

    // Buttons down together for one step.
    void PressTogether(const std::vector<Button>& buttons)
    {
        for (Button b : buttons) {
            driver_.Hold(b, true);
        }
        driver_.Step();
        for (Button b : buttons) {
            driver_.Hold(b, false);
        }
    }

    qmtest::TempDir dir_;
    qmtest::SceneDriver driver_{dir_.Path()};
    TFieldLoop* field_ = nullptr;
};

}  // namespace menutest
