// The "VillagerInfo" module run as a villager runs it: one call fills the record and stops the run.
#include "MainCode/Script/TVillagerInfoModule.h"
#include "Script/script_fixture.h"

#include <tuple>

namespace {

class VillagerInfo : public scripttest::ScriptTest {
protected:
    void SetUp() override
    {
        scripttest::ScriptTest::SetUp();
        m_manager->AddModule(new TVillagerInfoModule(&info));
    }
    // A record whose every field shows whether it was written.
    void Prefill()
    {
        info.name = "old";
        info.objectId = info.value2 = info.faceMode = 77;
        info.centreHeight = info.shadowSize = info.value6 = info.gravity = -5.0f;
        info.shadowVisible = info.pushable = 9;
        for (int i = 0; i < 3; ++i) {
            info.position[i] = info.direction[i] = -5.0f;
        }
    }

    TVillagerInfo info;
};

TEST_F(VillagerInfo, AllSixteenFieldsAndTheRunStops)
{
    info.scriptKey = "t.pbsc/main";
    EXPECT_EQ(Run({"CALL @@SendMsg \"VillagerInfo\" 0 \"man01\" 12 3 1 \"1.5\" \"0.75\" \"2.25\" \"9.8\" 1 0 "
                   "\"10.5\" \"-2\" \"3e1\" \"0\" \"0.5\" \"-1\"",
                   scripttest::Mark(1)}),
              TScriptProcessManager::kHeld);
    EXPECT_EQ(m_manager->GetStop(), 1);
    EXPECT_EQ(Marks(), "");
    EXPECT_EQ(info.scriptKey, "t.pbsc/main");  // the villager's, not the script's
    EXPECT_EQ(std::make_tuple(info.name, info.objectId, info.value2, info.faceMode, info.shadowVisible, info.pushable),
              std::make_tuple(std::string("man01"), 12u, 3u, 1u, std::uint8_t{1}, std::uint8_t{0}));
    EXPECT_EQ((std::vector<float>{info.centreHeight, info.shadowSize, info.value6, info.gravity, info.position[0],
                                  info.position[1], info.position[2], info.direction[0], info.direction[1],
                                  info.direction[2]}),
              (std::vector<float>{1.5f, 0.75f, 2.25f, 9.8f, 10.5f, -2.0f, 30.0f, 0.0f, 0.5f, -1.0f}));
}

TEST_F(VillagerInfo, OnlyTheTextZeroClearsAFlag)
{
    const struct {
        const char* text;
        std::uint8_t flag;
    } cases[] = {{"0", 0}, {"00", 1}, {"no", 1}, {"", 1}, {"1", 1}, {" 0", 1}};
    for (const auto& c : cases) {
        std::deque<std::string> args(16, "1");
        args[8] = c.text;
        args[9] = c.text;
        info.shadowVisible = info.pushable = 7;
        EXPECT_EQ(m_manager->CallModule("VillagerInfo", 0, args, {}), 7u);
        EXPECT_EQ(info.shadowVisible, c.flag) << '"' << c.text << '"';
        EXPECT_EQ(info.pushable, c.flag) << '"' << c.text << '"';
    }
}

TEST_F(VillagerInfo, MissingOrUnscannableArgumentsKeepTheirFields)
{
    Prefill();
    EXPECT_EQ(m_manager->CallModule("VillagerInfo", 0, {"guard", "4", "x", "2", "up"}, {}), 7u);
    // "x" and "up" do not scan; nothing past the fifth argument was given.
    EXPECT_EQ(std::make_tuple(info.name, info.objectId, info.value2, info.faceMode, info.shadowVisible),
              std::make_tuple(std::string("guard"), 4u, 77u, 2u, std::uint8_t{9}));
    EXPECT_EQ((std::vector<float>{info.centreHeight, info.shadowSize, info.direction[2]}),
              (std::vector<float>{-5.0f, -5.0f, -5.0f}));

    std::deque<std::string> fifteen(15, "3");
    EXPECT_EQ(m_manager->CallModule("VillagerInfo", 0, fifteen, {}), 7u);
    EXPECT_EQ(info.direction[1], 3.0f);
    EXPECT_EQ(info.direction[2], -5.0f);  // the sixteenth was not given
}

TEST_F(VillagerInfo, OtherCommandsStopTheRunAndLeaveTheRecord)
{
    Prefill();
    EXPECT_EQ(Run({"CALL @@SendMsg \"VillagerInfo\" 1 \"man01\" 12 3 1 1 1 1 1 1 1 1 1 1 1 1 1",
                   scripttest::Mark(1)}),
              TScriptProcessManager::kHeld);
    EXPECT_EQ(m_manager->GetStop(), 1);
    EXPECT_EQ(Marks(), "");
    EXPECT_EQ(info.name, "old");
    EXPECT_EQ(info.objectId, 77u);
    EXPECT_EQ(info.pushable, 9);
}

}  // namespace
