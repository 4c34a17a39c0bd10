// The real application on a generated field folder, driven step by step by the scene driver: one
// frame is one step of whatever scene is current.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Script/ScriptRandom.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TLoop.h"
#include "dx/dx8/3d/TD3D8.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "formats/field_writer.h"
#include "support/main_probe.h"
#include "support/scene_clock.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "platform/testing/win32.h"
#include "platform/testing/d3d8.h"
#include "support/map_probe.h"

namespace fieldtest {

class FieldGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        driver_.RecordSounds(true);
    }
    void TearDown() override
    {
        driver_.Stop();
    }

    // The folder with the given maps (the defaults when empty), then the application up to its title.
    void Start(const std::vector<qmtest::FieldMap>& maps = qmtest::DefaultFieldMaps())
    {
        qmtest::WriteFieldFolder(".", maps);
        ASSERT_TRUE(driver_.Start());
    }
    // One step of the current scene (and its draw).
    bool Step() { return driver_.Step(); }
    void Steps(int n) { driver_.Steps(n); }
    // A new field at a map of the folder, pushed as the current scene; null when it cannot be made.
    TFieldLoop* PushField(const std::string& entry, const D3DXVECTOR3& position = qmtest::FieldLayout::Start(),
                          const D3DXVECTOR3& direction = qmtest::FieldLayout::StartDirection())
    {
        TFieldLoop* field = TFieldLoop::CreateAtPosition(app_.get(), "map00/" + entry, position, direction,
                                                         qmtest::FieldLayout::StartCamera());
        if (field != nullptr) {
            app_->PushScene(field);
        }
        return field;
    }
    // Steps until the opening fade is over.
    void FinishFade(TFieldLoop* field)
    {
        for (int i = 0; i < 100 && TMapProbe::IsInPhase(*field); ++i) {
            Step();
        }
        ASSERT_FALSE(TMapProbe::IsInPhase(*field));
    }
    // A new field at a map of the folder, past its opening fade; null when it cannot be made.
    TFieldLoop* Ready(const std::string& entry)
    {
        TFieldLoop* field = PushField(entry);
        EXPECT_NE(field, nullptr);
        if (field != nullptr) {
            FinishFade(field);
        }
        return field;
    }
    // Play at the first save point, moved to a map of the folder: the field built over the title,
    // which is then dropped as the scene-change hub drops it, so the field is the only scene; past
    // its opening fade.
    TFieldLoop* PlayFromTitle(const std::string& entry)
    {
        TSvpTable::Get(qmtest::FieldLayout::kSavePoint).MapName = "map00/" + entry;
        TFieldLoop* field = TFieldLoop::CreateAtSavePoint(app_.get(), qmtest::FieldLayout::kSavePoint);
        EXPECT_NE(field, nullptr);
        if (field != nullptr) {
            app_->PushScene(field);
            app_->PopScenesTo(1);
            EXPECT_EQ(app_->GetSceneCount(), 1);
            FinishFade(field);
        }
        return field;
    }
    TFieldLoop* CurrentField() const { return dynamic_cast<TFieldLoop*>(TMainProbe::CurrentScene(*app_)); }
    static platform::RgbaImage Screen() { return qmtest::SceneDriver::Screen(); }
    // 0xRRGGBB of the back buffer.
    static std::uint32_t Pixel(const platform::RgbaImage& image, int x, int y)
    {
        const std::uint8_t* p = image.At(x, y);
        return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
    }
    static D3DXVECTOR3 PositionOf(TGameObject* object)
    {
        D3DXVECTOR3 p;
        object->GetPosition(&p);
        return p;
    }
    static void Hold(int vk, bool down) { platform::InjectKey(vk, down); }
    // Pressed for one step.
    void Press(int vk)
    {
        Hold(vk, true);
        Step();
        Hold(vk, false);
    }
    // The sound effects (bank 0) played since the set-up, in order: the player's, in these fields.
    std::vector<std::uint32_t> PlayerSounds() const
    {
        std::vector<std::uint32_t> ids;
        for (const TSoundBankRecord& s : driver_.sounds) {
            if (s.bank == 0 && s.op == TSoundBankRecord::kPlay) {
                ids.push_back(s.id);
            }
        }
        return ids;
    }

    qmtest::TempDir dir_;
    qmtest::SceneDriver driver_{dir_.Path()};
    std::unique_ptr<TGameWnd>& app_ = driver_.app;
    std::vector<platform::MessageBoxRecord>& boxes_ = driver_.boxes;
};

}  // namespace fieldtest
