// The application object (not started), a field stand-in on a test area, and the current script
// manager: what the field's modules are built on.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "Script/script_fixture.h"
#include "dx/dx8/sound/TDSound8.h"

namespace scripttest {

class TestArea : public TAreaBase {
public:
    explicit TestArea(std::int32_t music) : TAreaBase(nullptr, nullptr) { m_musicId = music; }
    ~TestArea() override { SetPlayer(nullptr); }
    bool Update() override { return true; }
    void Draw() override {}
    void PreparePlayer() override {}
    // A player the area only points at: the modules hand the pointer on and never use it.
    void GivePlayer() { SetPlayer(reinterpret_cast<TGameObject*>(&m_playerStandIn)); }

private:
    std::uint64_t m_playerStandIn = 0;
};

class FieldModuleTest : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        app_ = std::make_unique<TGameWnd>(0, "script test", "script test", 0, 0, 0, 640, 480, nullptr, nullptr,
                                          nullptr, 0, 0);
        // A music bank without files: uses are counted all the same.
        TDSound8::Instance()->CreateBank(m_dir.File("no_music.tbl"), "", 2, -10000, 0);
        music_ = TDSound8::Instance()->GetBank(2);
        ASSERT_NE(music_, nullptr);
    }
    void TearDown() override
    {
        field_.reset();
        area_.reset();
        app_.reset();
        ScriptTest::TearDown();
    }
    void MakeField(std::int32_t music)
    {
        area_ = std::make_unique<TestArea>(music);
        field_ = std::make_unique<TFieldLoop>(area_.get());
    }

    std::unique_ptr<TGameWnd> app_;
    std::unique_ptr<TestArea> area_;
    std::unique_ptr<TFieldLoop> field_;
    TSoundBank* music_ = nullptr;
};

}  // namespace scripttest
