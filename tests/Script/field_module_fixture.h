// The real application on the field folder, its title taken off the scene stack, a field made at
// the first map, and the current script manager: what the field's modules are built on.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "Field/field_game_fixture.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "Script/script_fixture.h"
#include "dx/dx8/sound/TDSound8.h"
#include "formats/field_writer.h"

namespace scripttest {

class FieldModuleTest : public ScriptTestOn<fieldtest::FieldGame> {
protected:
    void TearDown() override
    {
        field_.reset();
        ScriptTestOn<fieldtest::FieldGame>::TearDown();
    }
    // music: an id of the field's music table the first map plays, -1 none.
    void MakeField(std::int32_t music)
    {
        std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
        maps[0].music.clear();
        for (const auto& entry : qmtest::FieldMusicTable()) {
            if (static_cast<std::int32_t>(entry.first) == music) {
                maps[0].music = entry.second;
            }
        }
        Start(maps);
        // The scenes the modules place go to an empty stack and become current at once.
        app_->PopScenesTo(0);
        field_.reset(TFieldLoop::CreateAtPosition(app_.get(), "map00/" + maps[0].entry, qmtest::FieldLayout::Start(),
                                                  qmtest::FieldLayout::StartDirection(),
                                                  qmtest::FieldLayout::StartCamera()));
        ASSERT_NE(field_, nullptr);
        area_ = field_->GetArea();
        ASSERT_EQ(area_->GetMusicId(), music);
        // Building the area made and dropped a script manager of its own.
        ResetScripting();
        music_ = TDSound8::Instance()->GetBank(2);
        ASSERT_NE(music_, nullptr);
    }

    std::unique_ptr<TFieldLoop> field_;
    TAreaBase* area_ = nullptr;
    TSoundBank* music_ = nullptr;
};

}  // namespace scripttest
