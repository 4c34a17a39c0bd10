// What a frame's work charges for the module commands a script may repeat without waiting: the
// message window's clear and name plate send their textures to the device, and a story event
// start captures the screen, so that WHILE 1 around any of them ends its frame as a loop of short
// statements does, and a loop of story event starts queues no more than two scenes.
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/Script/TMessageWindow.h"
#include "Script/field_module_fixture.h"

namespace {

using scripttest::FieldModuleTest;

class ModuleWork : public FieldModuleTest {};

TEST_F(ModuleWork, AFrameEndsAfterAMillionUnitsOfWorkWhateverTheCommandsDo)
{
    MakeField(-1);
    ASSERT_FALSE(HasFatalFailure());
    // A clear costs a token of argument each and 13,500 for each texture it sends; a name 9,000
    // and 300 a byte; a story event start half a frame, so the second in a frame ends the run.
    // The story event's loop stops after three passes, so that a start charged less ends its row
    // at once rather than capturing the screen for minutes.
    const struct {
        const char* what;
        const char* loop;
        const char* call;
        const char* log;
        int scenes;
    } cases[] = {
        {"clear part -1: nothing", "WHILE 1", "\"Text\" 3 g.part",
         "ran 1000000 statements in one frame, working through 1750000 tokens;", 0},
        {"clear part 0: the message", "WHILE 1", "\"Text\" 3 0",
         "ran 891 statements in one frame, working through 3012061 tokens;", 0},
        {"clear part 1: the name", "WHILE 1", "\"Text\" 3 1",
         "ran 891 statements in one frame, working through 3012061 tokens;", 0},
        {"clear part 2: both", "WHILE 1", "\"Text\" 3 2",
         "ran 447 statements in one frame, working through 3024784 tokens;", 0},
        {"clear part 3: nothing", "WHILE 1", "\"Text\" 3 3",
         "ran 1000000 statements in one frame, working through 1750000 tokens;", 0},
        {"a name of 1 byte", "WHILE 1", "\"Text\" 4 \"N\"",
         "ran 1291 statements in one frame, working through 3006161 tokens;", 0},
        {"a name of 4 bytes", "WHILE 1", "\"Text\" 4 \"NAME\"",
         "ran 1175 statements in one frame, working through 3000858 tokens;", 0},
        {"a story event", "WHILE g.n < 3", "\"MapEvent\" 2 301 0",
         "ran 7 statements in one frame, working through 3000020 tokens;", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetScripting();
        m_manager->AddModule(new TMessageWindow(app_->GetInput()));
        m_manager->AddModule(new TMapEventModule(app_.get(), field_.get()));
        m_manager->GetGlobalA().SetInt("part", -1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run({c.loop, "g.n = g.n + 1", std::string("CALL @@SendMsg ") + c.call, "END"}),
                  TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(c.log), std::string::npos) << log;
        EXPECT_EQ(app_->GetSceneCount(), c.scenes);
        app_->PopScenesTo(0);
    }
}

}  // namespace
