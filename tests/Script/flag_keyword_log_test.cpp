// An unknown "Flag" keyword still throws and ends the game; the log first names the script.
#include "script_fixture.h"

#include "MainCode/Script/TPBFlag.h"
#include "TCommon/my_error.h"

namespace {

using scripttest::ScriptTest;

TEST_F(ScriptTest, AnUnknownFlagKeywordIsLoggedWithItsScriptBeforeTheThrow)
{
    const struct {
        const char* line;
        const char* logged;
        const char* thrown;
    } cases[] = {
        {"CALL @@SendMsg \"Flag\" 0 13", "unknown keyword 13 to GetValue", "TPBFlag::GetValue Unknown Arg"},
        {"CALL @@SendMsg \"Flag\" 1 10", "unknown keyword 10 to PutValue", "TPBFlag::PutValue Unknown Arg"},
    };
    for (const auto& c : cases) {
        ResetScripting();
        m_manager->AddModule(new TPBFlag(nullptr));
        Write({{"talk", {"x = 1", c.line}}}, "12.pbsc");
        m_manager->Push("12.pbsc/talk");
        testing::internal::CaptureStderr();
        try {
            m_manager->Step();
            ADD_FAILURE() << "no throw for " << c.line;
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.thrown), std::string::npos) << e.what();
        }
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(log, "script: Flag: " + std::string(c.logged) + " in " + m_dir.File("12.pbsc") + " (12.pbsc/talk)\n");
    }
}

}  // namespace
