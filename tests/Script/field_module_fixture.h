// The application started in a generated field folder, a field made at one of its maps (not pushed
// as a scene) and the current script manager: what the field's modules are built on. Scripts are
// written to and read from the test folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "Script/script_fixture.h"
#include "dx/dx8/sound/TDSound8.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "support/field_writer.h"

namespace scripttest {

inline const char kFieldClass[] = "Quillmark field module test";

class FieldModuleTest : public ScriptTest {
protected:
    // Maps of the folder: "battle" plays music 10 ("battle.ogg"), "silent" has none.
    static std::vector<qmtest::FieldMap> Maps()
    {
        std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
        qmtest::FieldMap silent = maps[0];
        silent.entry = "silent";
        silent.music = "";
        maps.push_back(silent);
        return maps;
    }

    void SetUp() override
    {
        ScriptTest::SetUp();
        setenv("QM_RUNTIME_DIR", m_dir.Path().c_str(), 1);
        cwd_ = std::make_unique<qmtest::ScopedCwd>(m_dir.Path());
        platform::ManualClock::Enable(1000);
        platform::ResetKeyboardState();
        platform::SetMessageBoxHook([](const platform::MessageBoxRecord&) {});
        std::ofstream("setting.ini", std::ios::binary)
            << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
        qmtest::WriteFieldFolder(".", Maps());
        app_ = std::make_unique<TGameWnd>(0, kFieldClass, "field module test", WS_POPUP, CW_USEDEFAULT,
                                          CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr, 101, 104);
        app_->Create();
        app_->Init();
        ASSERT_TRUE(app_->IsInitialised());
        // No title: the tests watch the scene stack from empty.
        app_->PopScenesTo(0);
        // Start-up points the script folder at the game's; these tests write their own.
        TScript::SetDirectory(m_dir.Path().string() + "/");
        music_ = TDSound8::Instance()->GetBank(2);
        ASSERT_NE(music_, nullptr);
    }
    void TearDown() override
    {
        field_.reset();
        area_ = nullptr;
        if (app_) {
            app_->Shutdown();
            DestroyWindow(app_->GetHandle());
            app_.reset();
        }
        UnregisterClassA(kFieldClass, nullptr);
        platform::SetMessageBoxHook(nullptr);
        platform::ManualClock::Disable();
        platform::ResetKeyboardState();
        cwd_.reset();
        ScriptTest::TearDown();
    }
    // A field at "battle" (music 10) or, for music -1, at "silent".
    void MakeField(std::int32_t music)
    {
        const std::string map = music == -1 ? "map00/silent" : "map00/battle";
        field_.reset(TFieldLoop::CreateAtPosition(app_.get(), map, qmtest::FieldLayout::Start(),
                                                  qmtest::FieldLayout::StartDirection(),
                                                  qmtest::FieldLayout::StartCamera()));
        ASSERT_NE(field_, nullptr);
        area_ = field_->GetArea();
        ASSERT_EQ(area_->GetMusicId(), music);
        // The start-up manager was replaced by nothing; the tests' own is still current.
        ASSERT_EQ(TScriptProcessManager::Get(), m_manager);
    }

    std::unique_ptr<qmtest::ScopedCwd> cwd_;
    std::unique_ptr<TGameWnd> app_;
    TAreaBase* area_ = nullptr;
    std::unique_ptr<TFieldLoop> field_;
    TSoundBank* music_ = nullptr;
};

}  // namespace scripttest
