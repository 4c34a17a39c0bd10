// The application's start in a fresh game folder: its settings and start-up files, the manual
// clock at 1000 ms, message boxes caught.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "formats/enemy_table_writer.h"
#include "formats/byte_writer.h"
#include "formats/mesh_writer.h"
#include "formats/scene_assets.h"
#include "support/temp_dir.h"

namespace maintest {

constexpr char kGameClass[] = "Verrow Quillmark";

class GameFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
        cwd = std::make_unique<qmtest::ScopedCwd>(dir.Path());
        platform::ManualClock::Enable(1000);
        platform::ResetKeyboardState();
        platform::SetMessageBoxHook([this](const platform::MessageBoxRecord& r) { boxes.push_back(r); });
        std::ofstream("setting.ini", std::ios::binary)
            << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
        qmtest::SaveStartupMeshes(".");
        qmtest::SaveStartupEnemyTable(".");
        // The title's pictures.
        std::filesystem::create_directories("data/ptx04");
        qmtest::SaveBytes("data/ptx04/title.ptx", qmtest::BuildPtx(qmtest::ScenePictures()));
    }
    void TearDown() override
    {
        platform::SetMessageBoxHook(nullptr);
        platform::ManualClock::Disable();
        UnregisterClassA(kGameClass, nullptr);
        cwd.reset();
    }

    qmtest::TempDir dir;
    std::unique_ptr<qmtest::ScopedCwd> cwd;
    std::vector<platform::MessageBoxRecord> boxes;
};

}  // namespace maintest
