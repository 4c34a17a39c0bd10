// The "MapEvent" module: the code each command leaves, map changes handed to the field, the
// game-over and story-event scenes with the music kept for them, and the player's look.
#include <functional>
#include <string>
#include <utility>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TDieLoop.h"
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/Script/TPBFlag.h"
#include "Script/field_module_fixture.h"
#include "TCommon/my_error.h"
#include "support/dx_probe.h"
#include "support/engine_recorders.h"
#include "support/window_settings.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"
#include "support/map_probe.h"

namespace {

using scripttest::FieldModuleTest;

class MapEvent : public FieldModuleTest {
protected:
    TMapEventModule* Make(std::int32_t music = -1)
    {
        MakeField(music);
        if (HasFatalFailure()) {
            return nullptr;
        }
        auto* module = new TMapEventModule(app_.get(), field_.get());
        m_manager->AddModule(module);
        return module;
    }
    std::uint32_t Send(std::uint32_t command, const std::deque<std::string>& args = {})
    {
        return m_manager->CallModule("MapEvent", command, args, std::deque<std::uint32_t>(args.size(), 4));
    }
    const TMapChangePhase* Phase() const { return dynamic_cast<const TMapChangePhase*>(TMapProbe::Phase(*field_)); }
};

TEST_F(MapEvent, OnlyTheLastCallOfARunCounts)
{
    TMapEventModule* module = Make();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->GetResult(), 1);
    // A script asks for a conversation, then changes the look: the field sees nothing to do.
    EXPECT_EQ(Run({"CALL @@SendMsg \"MapEvent\" 3", "CALL @@SendMsg \"MapEvent\" 4 1"}), TScriptProcessManager::kHeld);
    EXPECT_EQ(module->GetResult(), 10003);  // the first call stopped the run
    m_manager->SetStop(0);
    m_manager->SetModuleWait(0);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(module->GetResult(), 1);

    EXPECT_EQ(Send(3), 7u);
    EXPECT_EQ(module->GetResult(), 10003);
    EXPECT_EQ(Send(99), 7u);
    EXPECT_EQ(module->GetResult(), 1);
}

TEST_F(MapEvent, MapChangeHandsTheFieldItsDestinationWithALevelFacing)
{
    TMapEventModule* module = Make();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Send(0, {"1.5", "2", "-3", "0.25", "9", "-1", "10", "11", "12", "1", "map00/town"}), 7u);
    EXPECT_EQ(module->GetResult(), 10001);
    const TMapChangePhase* phase = Phase();
    ASSERT_NE(phase, nullptr);
    const TFieldDestination& to = TMapProbe::Destination(*phase);
    EXPECT_EQ(to.mapName, "map00/town");
    EXPECT_EQ(to.position, D3DXVECTOR3(1.5f, 2.0f, -3.0f));
    EXPECT_EQ(to.direction, D3DXVECTOR3(0.25f, 0.0f, -1.0f));
    EXPECT_EQ(to.cameraPosition, D3DXVECTOR3(10.0f, 11.0f, 12.0f));
    EXPECT_EQ(TMapProbe::Mode(*phase), 1u);
}

TEST_F(MapEvent, MapChangeWithMissingOrBadArguments)
{
    TMapEventModule* module = Make();
    ASSERT_NE(module, nullptr);
    // Floats that do not scan are 0; a mode outside 0 and 1 fades through black.
    EXPECT_EQ(Send(0, {"x", "2", "", "1", "1", "1", "1", "1", "1", "2", "map00/town"}), 7u);
    EXPECT_EQ(module->GetResult(), 10001);
    ASSERT_NE(Phase(), nullptr);
    EXPECT_EQ(TMapProbe::Destination(*Phase()).position, D3DXVECTOR3(0.0f, 2.0f, 0.0f));
    EXPECT_EQ(TMapProbe::Mode(*Phase()), 0u);
    const TFieldPhase* first = TMapProbe::Phase(*field_);

    // Without a destination name there is no map change.
    EXPECT_EQ(Send(0, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"}), 7u);
    EXPECT_EQ(module->GetResult(), 1);
    EXPECT_EQ(Send(0, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", ""}), 7u);
    EXPECT_EQ(module->GetResult(), 1);
    EXPECT_EQ(Send(0), 7u);
    EXPECT_EQ(module->GetResult(), 1);
    EXPECT_EQ(TMapProbe::Phase(*field_), first);

    // A destination that cannot be read, neither its file nor its entry: the reader's error naming
    // it runs out through the script manager, as a trigger's does, and the field keeps its phase.
    const auto thrown = [](const std::function<void()>& send) {
        try {
            send();
        } catch (const my_error& e) {
            return std::string(e.what());
        }
        return std::string("nothing thrown");
    };
    for (const auto& [missing, named] : {std::pair{"nosuch00/battle", "nosuch00 : battle"},
                                         std::pair{"map00/nosuch", "map00 : nosuch"}}) {
        const std::string error =
            thrown([&, missing = missing] { Send(0, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", missing}); });
        EXPECT_NE(error.find(std::string("map not found : ")), std::string::npos) << error;
        EXPECT_NE(error.find(named), std::string::npos) << error;
        EXPECT_EQ(module->GetResult(), 1) << missing;
        EXPECT_EQ(TMapProbe::Phase(*field_), first) << missing;
    }
    // The same from a running script.
    const std::string error =
        thrown([&] { Run({"CALL @@SendMsg \"MapEvent\" 0 1 2 3 4 5 6 7 8 9 0 \"nosuch00/battle\""}); });
    EXPECT_NE(error.find("nosuch00 : battle"), std::string::npos) << error;
    EXPECT_EQ(module->GetResult(), 1);
    EXPECT_EQ(TMapProbe::Phase(*field_), first);
}

TEST_F(MapEvent, GameOverKeepsTheAreaMusicForTheNextScene)
{
    TMapEventModule* module = Make(10);
    ASSERT_NE(module, nullptr);
    const std::uint32_t uses = TDxProbe::UseCount(*music_, 10);
    EXPECT_EQ(Send(1), 7u);
    EXPECT_EQ(module->GetResult(), 10004);
    EXPECT_EQ(TDxProbe::UseCount(*music_, 10), uses + 1);
    auto* die = dynamic_cast<TDieLoop*>(TMainProbe::CurrentScene(*app_));
    ASSERT_NE(die, nullptr);
    EXPECT_EQ(TSceneProbe::MusicId(*die), 10);
}

TEST_F(MapEvent, GameOverWithoutMusicPassesMinusOneAndAddsNoUse)
{
    ASSERT_NE(Make(-1), nullptr);
    std::uint32_t uses = 0;
    for (const auto& entry : qmtest::FieldMusicTable()) {
        uses += TDxProbe::UseCount(*music_, entry.first);
    }
    EXPECT_EQ(Send(1), 7u);
    auto* die = dynamic_cast<TDieLoop*>(TMainProbe::CurrentScene(*app_));
    ASSERT_NE(die, nullptr);
    EXPECT_EQ(TSceneProbe::MusicId(*die), -1);
    EXPECT_EQ(TDxProbe::UseCount(*music_, static_cast<std::uint32_t>(-1)), 0u);
    for (const auto& entry : qmtest::FieldMusicTable()) {
        uses -= TDxProbe::UseCount(*music_, entry.first);
    }
    EXPECT_EQ(uses, 0u);
}

// The script's second argument picks the colour the change covers the field in; the hub keeps the
// area music's use and gives it back even when it is deleted before its end.
TEST_F(MapEvent, StoryEventCoversTheFieldInBlackOrWhite)
{
    TMapEventModule* module = Make(12);
    ASSERT_NE(module, nullptr);
    const std::uint32_t uses = TDxProbe::UseCount(*music_, 12);
    // The cover starts clear in its colour.
    const struct {
        const char* flag;
        std::uint32_t startColour;
    } cases[] = {{"0", 0x00000000u}, {"1", 0x00FFFFFFu}, {"65536", 0x00FFFFFFu}, {"none", 0x00000000u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        EXPECT_EQ(Send(2, {"31", c.flag}), 4u);
        EXPECT_EQ(module->GetResult(), 10005);
        EXPECT_EQ(app_->GetSceneCount(), 1);
        auto* change = dynamic_cast<TChangeLoop*>(TMainProbe::CurrentScene(*app_));
        ASSERT_NE(change, nullptr);
        EXPECT_EQ(TMainProbe::Colour(TSceneProbe::Quad(*change)), c.startColour);
        EXPECT_EQ(TMainProbe::Duration(TSceneProbe::Quad(*change)), 100);
        EXPECT_EQ(TSceneProbe::Mode(*change), 2u);
        EXPECT_EQ(TSceneProbe::EventId(*change), 31);
        EXPECT_EQ(TSceneProbe::MusicId(*change), 12u);
        EXPECT_EQ(TDxProbe::UseCount(*music_, 12), uses + 1);
        app_->PopScenesTo(0);
        EXPECT_EQ(TDxProbe::UseCount(*music_, 12), uses);
    }
}

// A script with a few story event starts runs to its end, each start queueing its scene; a fifth
// start in one frame ends the run there.
TEST_F(MapEvent, AScriptOfFourStoryEventStartsRunsToItsEnd)
{
    ASSERT_NE(Make(), nullptr);
    const struct {
        int starts;
        std::int32_t after;
        std::uint32_t step;
    } cases[] = {{2, 7, TScriptProcessManager::kFinished},
                 {4, 7, TScriptProcessManager::kFinished},
                 {5, 0, TScriptProcessManager::kFinished}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.starts);
        std::vector<std::string> lines = {"g.before = 1"};
        for (int i = 0; i < c.starts; ++i) {
            lines.push_back("CALL @@SendMsg \"MapEvent\" 2 " + std::to_string(301 + i) + " 0");
            lines.push_back("g.between = g.between + 5");
        }
        lines.push_back("g.after = 7");
        m_manager->GetGlobalA().Clear();
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run(lines), c.step);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Global("before"), 1);
        EXPECT_EQ(Global("between"), 5 * (c.after != 0 ? c.starts : c.starts - 1));
        EXPECT_EQ(Global("after"), c.after);
        EXPECT_EQ(log.find(" ran ") != std::string::npos, c.after == 0) << log;
        // The first asked for runs first; the others wait behind it.
        EXPECT_EQ(app_->GetSceneCount(), c.starts);
        auto* change = dynamic_cast<TChangeLoop*>(TMainProbe::CurrentScene(*app_));
        ASSERT_NE(change, nullptr);
        EXPECT_EQ(TSceneProbe::EventId(*change), 301);
        app_->PopScenesTo(0);
    }
}

// Each start captures the field as it draws at that moment: the minimap switched off between two
// starts of one script is gone from the second picture, and back in the third once switched on.
TEST_F(MapEvent, EachStoryStartCapturesTheFieldAsItDrawsThen)
{
    // A game that draws in depth, as captures need; the field its current scene, past its fade.
    const std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
    qmtest::WriteFieldFolder(".", maps);
    qmtest::WriteWindowedSettingsWithDepth();
    ASSERT_TRUE(driver_.Start());
    app_->PopScenesTo(0);
    TFieldLoop* field = Ready(maps[0].entry);
    ASSERT_NE(field, nullptr);
    ResetScripting();
    m_manager->AddModule(new TMapEventModule(app_.get(), field));
    m_manager->AddModule(new TPBFlag(app_.get()));
    std::vector<TSpriteDrawRecord> draws;
    // "Cut" marks in the draws where the script has got to.
    class Cut : public TScriptModule {
    public:
        explicit Cut(std::vector<TSpriteDrawRecord>* draws) : TScriptModule("Cut"), draws_(draws) {}
        std::uint32_t Call(std::uint32_t, const std::deque<std::string>&, const std::deque<std::uint32_t>&) override
        {
            draws_->emplace_back();
            draws_->back().texture = "|";
            return kDone;
        }
        void Update() override {}
        void Draw() override {}
        std::vector<TSpriteDrawRecord>* draws_;
    };
    m_manager->AddModule(new Cut(&draws));
    qmtest::SpriteDrawRecorder recorder(&draws);
    recorder.Record(true);
    ASSERT_EQ(Run({"CALL @@SendMsg \"Flag\" 1 4 1", "CALL @@SendMsg \"MapEvent\" 2 301 0", "CALL @@SendMsg \"Cut\" 0",
                   "CALL @@SendMsg \"Flag\" 1 4 0", "CALL @@SendMsg \"MapEvent\" 2 302 0",
                   "CALL @@SendMsg \"Cut\" 0", "CALL @@SendMsg \"Flag\" 1 4 1",
                   "CALL @@SendMsg \"MapEvent\" 2 303 0"}),
              TScriptProcessManager::kFinished);
    recorder.Record(false);
    EXPECT_EQ(app_->GetSceneCount(), 4);
    // Per picture: how many 2D draws, and whether the minimap's arrow (the one turned sprite, at the
    // minimap's centre) was among them.
    std::vector<std::pair<int, bool>> pictures(1);
    for (const TSpriteDrawRecord& d : draws) {
        if (d.texture == "|") {
            pictures.emplace_back();
        } else {
            ++pictures.back().first;
            pictures.back().second |= d.kind == TSpriteDrawRecord::kTransformed && d.x == 512.0F && d.y == 384.0F;
        }
    }
    ASSERT_EQ(pictures.size(), 3u);
    const bool minimap[] = {true, false, true};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_GT(pictures[i].first, 0) << "the field drawn again for this start";
        EXPECT_EQ(pictures[i].second, minimap[i]);
    }
    app_->PopScenesTo(0);
}

TEST_F(MapEvent, LookVariantOnlyWithAPlayer)
{
    TMapEventModule* module = Make();
    ASSERT_NE(module, nullptr);
    TPlayerCharacter* player = area_->GetPlayer();
    ASSERT_NE(player, nullptr);
    // The first character's look is kept in flag 560.
    ASSERT_EQ(player->GetCharacterIndex(), 0u);
    TGameData* data = TGameData::GetInstance();
    EXPECT_EQ(Send(4, {"2"}), 4u);
    EXPECT_EQ(data->GetFlag(560), 2u);
    EXPECT_EQ(Send(4, {"girl"}), 4u);  // not a number: variant 0
    EXPECT_EQ(data->GetFlag(560), 0u);
    // An area without its player: nothing to give the look to.
    player->SetLookVariant(1);
    area_->SetPlayer(nullptr);
    EXPECT_EQ(Send(4, {"2"}), 4u);
    area_->SetPlayer(player);
    EXPECT_EQ(data->GetFlag(560), 1u);
    EXPECT_EQ(module->GetResult(), 1);
}

}  // namespace
