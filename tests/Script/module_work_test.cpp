// What a frame's work charges for the module commands a script may repeat without waiting: the
// message window's clear and name plate send their textures to the device, a story event start
// captures the screen, an item added scans the bag and a refused flag writes a log line, so that
// WHILE 1 around any of them ends its frame as a loop of short statements does, and a loop of
// story event starts queues no more than five scenes.
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TPBFlag.h"
#include "Script/field_module_fixture.h"

namespace {

using scripttest::FieldModuleTest;

class ModuleWork : public FieldModuleTest {};

TEST_F(ModuleWork, AFrameEndsAfterAMillionUnitsOfWorkWhateverTheCommandsDo)
{
    MakeField(-1);
    ASSERT_FALSE(HasFatalFailure());
    // A command costs 48 and a token for each argument, ten more for a variable written out; a clear
    // 13,500 for each texture it sends; a name 9,000 and 1,500 a glyph drawn, no more glyphs than
    // reach the 128-pixel plate (20 of 8 pixels); a story event start a fifth of a frame, so the
    // fifth in a frame ends the run; a read of the game state nothing more. An item added or
    // used costs 24 for each bag entry its scans look at (found at the end, an item used up is
    // scanned for twice: to use it, then to take it out); a log line 300 and a token for 16 of its
    // bytes.
    // The story event's and the bag's loops stop after six and 3,000 passes, so that a start or an
    // entry charged less ends its row at once rather than capturing the screen for minutes.
    const std::string longName(60000, 'N');
    const struct {
        const char* what;
        const char* loop;
        std::string call;
        const char* log;
        int scenes;
        int bagGrowth;
        // Items 1..stocked in the bag beforehand, the last first: item 1 stands at the bag's end.
        int stocked = 0;
    } cases[] = {
        {"clear part -1: nothing", "WHILE 1", "\"Text\" 3 g.part",
         "ran 166667 statements in one frame, working through 2708367 tokens;", 0, 0},
        {"clear part 0: the message", "WHILE 1", "\"Text\" 3 0",
         "ran 887 statements in one frame, working through 3009222 tokens;", 0, 0},
        {"clear part 1: the name", "WHILE 1", "\"Text\" 3 1",
         "ran 887 statements in one frame, working through 3009222 tokens;", 0, 0},
        {"clear part 2: both", "WHILE 1", "\"Text\" 3 2",
         "ran 443 statements in one frame, working through 3003117 tokens;", 0, 0},
        {"clear part 3: nothing", "WHILE 1", "\"Text\" 3 3",
         "ran 199999 statements in one frame, working through 2750012 tokens;", 0, 0},
        {"a name of 1 byte", "WHILE 1", "\"Text\" 4 \"N\"",
         "ran 1139 statements in one frame, working through 3008187 tokens;", 0, 0},
        {"a name of 4 bytes", "WHILE 1", "\"Text\" 4 \"NAME\"",
         "ran 799 statements in one frame, working through 3011012 tokens;", 0, 0},
        {"a name of 60,000 bytes: the 20 glyphs that reach the plate", "WHILE 1", "\"Text\" 4 \"" + longName + "\"",
         "ran 283 statements in one frame, working through 3039167 tokens;", 0, 0},
        {"a story event", "WHILE g.n < 6", "\"MapEvent\" 2 301 0",
         "ran 19 statements in one frame, working through 3000302 tokens;", 5, 0},
        {"a new item each pass", "WHILE g.n < 3000", "\"Flag\" 1 13 g.n 1",
         "ran 1991 statements in one frame, working through 3004446 tokens;", 0, 498},
        {"the item at the bag's end used up each pass", "WHILE g.n < 3000", "\"Flag\" 1 14 g.n 1",
         "ran 83 statements in one frame, working through 3015393 tokens;", 0, -21, 3000},
        {"the money read", "WHILE 1", "\"Flag\" 0 7",
         "ran 199999 statements in one frame, working through 2750024 tokens;", 0, 0},
        // A number is read only by the keywords that take one: 60,000 digits beside the money's
        // keyword cost their bytes handed on, not their reading.
        {"the money read, a 60,000-digit number beside it", "WHILE 1", "\"Flag\" 0 7 " + std::string(60000, '7'),
         "ran 3147 statements in one frame, working through 2995346 tokens;", 0, 0},
        {"an event flag out of range", "WHILE 1", "\"Flag\" 0 8 2048",
         "ran 33059 statements in one frame, working through 2958894 tokens;", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetScripting();
        m_manager->AddModule(new TMessageWindow(app_->GetInput()));
        m_manager->AddModule(new TMapEventModule(app_.get(), field_.get()));
        m_manager->AddModule(new TPBFlag(app_.get()));
        m_manager->GetGlobalA().SetInt("part", -1);
        // The bag as the fixture's game starts it, empty.
        TGameData* data = TGameData::GetInstance();
        for (std::uint32_t id = 1; id <= 3000; ++id) {
            data->RemoveItemEntry(id);
        }
        for (int id = c.stocked; id > 0; --id) {
            data->AddItem(static_cast<std::uint32_t>(id), 1);
        }
        ASSERT_EQ(data->GetItemKindCount(), c.stocked);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run({c.loop, "g.n = g.n + 1", "CALL @@SendMsg " + c.call, "END"}), TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(c.log), std::string::npos) << log.substr(log.size() > 300 ? log.size() - 300 : 0);
        EXPECT_EQ(app_->GetSceneCount(), c.scenes);
        EXPECT_EQ(data->GetItemKindCount() - c.stocked, c.bagGrowth);
        app_->PopScenesTo(0);
    }
}

}  // namespace
