// Game over reached the way play reaches it, through the field's death watch: the darken and show
// timeline, the music handed from the field to game over, the keys that leave, the fade to black
// and the title after it.
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TDieLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "Scene/scene_flow_fixture.h"
#include "TCommon/my_error.h"
#include "formats/scene_assets.h"
#include "support/character_probe.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"

namespace scenetest {
namespace {

class GameOver : public SceneFlow {
protected:
    // Play on the map, the player's life gone (a key held at that moment when given); the game-over
    // scene once the field has handed over to it.
    TDieLoop* DieOn(const std::string& map, int heldKey = 0)
    {
        TFieldLoop* field = PlayFromTitle(map);
        EXPECT_NE(field, nullptr);
        if (field == nullptr) {
            return nullptr;
        }
        TPlayerCharacter* player = field->GetPlayer();
        TCharacterProbe::ConsumeHp(*player, player->GetHp() + 26);
        if (heldKey != 0) {
            Hold(heldKey, true);
        }
        for (int i = 0; i < 5 && CurrentField() == field; ++i) {
            Step();
        }
        return dynamic_cast<TDieLoop*>(TMainProbe::CurrentScene(*app_));
    }
    // Steps until the scene is gone; the number taken.
    int StepsUntilGone(TLoop* scene, int limit)
    {
        int n = 0;
        while (TMainProbe::CurrentScene(*app_) == scene && n < limit) {
            Step();
            ++n;
        }
        return n;
    }
};

std::size_t FirstStepOf(const std::vector<std::vector<TSoundBankRecord>>& perStep, const TSoundBankRecord& r)
{
    for (std::size_t i = 0; i < perStep.size(); ++i) {
        if (std::find(perStep[i].begin(), perStep[i].end(), r) != perStep[i].end()) {
            return i + 1;
        }
    }
    return 0;
}

// The overlay darkens over 100 steps, the picture comes in over the next 100 while the field music
// fades out; only then is the field music stopped and given back and the game-over music started.
// Without field music there is nothing to give back.
TEST_F(GameOver, TheGameOverMusicStartsOnceThePictureIsInAndTheFieldMusicIsGone)
{
    StartStory();
    const struct {
        const char* map;
        std::uint32_t music;
    } cases[] = {{"town", 11}, {"silent", 0xFFFFFFFF}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.map);
        const std::uint32_t before = TDxProbe::UseCount(*Bank(2), c.music);
        driver_.RecordSounds(true);
        TDieLoop* die = DieOn(c.map);
        ASSERT_NE(die, nullptr);
        EXPECT_EQ(TSceneProbe::MusicId(*die), static_cast<std::int32_t>(c.music));
        std::vector<std::vector<TSoundBankRecord>> perStep;
        std::vector<DWORD> overlay;
        std::vector<DWORD> picture;
        for (int step = 1; step <= 201; ++step) {
            driver_.sounds.clear();
            Step();
            perStep.push_back(driver_.sounds);
            overlay.push_back(TSceneProbe::OverlayColor(*die));
            picture.push_back(TSceneProbe::PictureColor(*die));
        }
        driver_.RecordSounds(false);
        // Darken: the overlay from clear to half black by step 100; the picture still clear.
        EXPECT_EQ(overlay[0], 0x00000000u);
        EXPECT_EQ(overlay[99] >> 24, 126u);
        EXPECT_EQ(picture[99], 0x00FFFFFFu);
        // Show: the picture in over steps 101 to 200.
        EXPECT_EQ(picture[100], 0x00FFFFFFu);
        EXPECT_EQ(picture[101] >> 24, 2u);
        EXPECT_EQ(picture[199] >> 24, 252u);
        const TSoundBankRecord play{TSoundBankRecord::kPlay, 2, 10};
        EXPECT_EQ(FirstStepOf(perStep, play), 200u);
        const TSoundBankRecord giveBack{TSoundBankRecord::kUnload, 2, c.music};
        EXPECT_EQ(FirstStepOf(perStep, giveBack), c.music == 0xFFFFFFFF ? 0u : 200u);
        EXPECT_EQ(TDxProbe::UseCount(*Bank(2), c.music), before);
        // Leave through decide: back to the title.
        Press('Z');
        StepsUntilGone(die, 200);
        ASSERT_NE(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
    }
}

// A key held at death counts for nothing; in the wait only a new press of decide or cancel leaves,
// and leaving takes 100 steps to black. Each button's press counts on its own: decide still held from
// the death does not hide a new press of cancel, nor the reverse.
TEST_F(GameOver, OnlyANewDecideOrCancelPressLeaves)
{
    StartStory();
    const struct {
        int leaveKey;
        int heldAtDeath;
        bool keptHeld;
    } cases[] = {{'Z', 'Z', false}, {'X', 'X', false}, {'X', 'Z', true}, {'Z', 'X', true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.leaveKey << " after " << c.heldAtDeath);
        TDieLoop* die = DieOn("battle", c.heldAtDeath);
        ASSERT_NE(die, nullptr);
        Steps(260);
        EXPECT_EQ(TMainProbe::CurrentScene(*app_), die);
        if (!c.keptHeld) {
            Hold(c.heldAtDeath, false);
        }
        for (int key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, static_cast<int>('V'), static_cast<int>('B'),
                        static_cast<int>('A'), static_cast<int>('S'), static_cast<int>('C')}) {
            Press(key);
            Steps(2);
        }
        EXPECT_EQ(TMainProbe::CurrentScene(*app_), die);
        EXPECT_EQ(TSceneProbe::OverlayColor(*die) >> 24, 126u);
        Press(c.leaveKey);
        platform::RgbaImage last;
        int steps = 1;
        while (TMainProbe::CurrentScene(*app_) == die && steps < 200) {
            last = Screen();
            Step();
            ++steps;
        }
        EXPECT_EQ(steps, 101);  // the press, then 100 steps to black
        EXPECT_LE(qmtest::Brightest(last), 8);
        EXPECT_NE(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
        EXPECT_EQ(app_->GetSceneCount(), 1);
        Hold(c.heldAtDeath, false);
    }
}

// Game over deleted before its end (the stack emptied over it): the faded music stops and its uses
// come back.
TEST_F(GameOver, DeletedBeforeItsEndItStopsItsMusicAndGivesBackItsUses)
{
    StartStory();
    const struct {
        int steps;
        bool fieldMusicBack;  // by game over itself, before the deletion
    } cases[] = {{50, false}, {230, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        const std::uint32_t before = TDxProbe::UseCount(*Bank(2), 11);  // no field yet
        TDieLoop* die = DieOn("town");
        ASSERT_NE(die, nullptr);
        Steps(c.steps);
        driver_.RecordSounds(true);
        RunAlone(new TTitleLoop(app_.get()));
        EXPECT_EQ(TDxProbe::UseCount(*Bank(2), 11), before);
        const TSoundBankRecord stop{TSoundBankRecord::kStop, 2, 10};
        EXPECT_EQ(std::count(driver_.sounds.begin(), driver_.sounds.end(), stop), c.fieldMusicBack ? 1 : 0);
        const TSoundBankRecord giveBack{TSoundBankRecord::kUnload, 2, 11};
        EXPECT_EQ(std::count(driver_.sounds.begin(), driver_.sounds.end(), giveBack), c.fieldMusicBack ? 0 : 1);
        driver_.RecordSounds(false);
    }
}

}  // namespace
}  // namespace scenetest

namespace scenetest {
namespace {

// Game over's picture is the loader's to insist on; its music list is the sound list's to miss
// quietly, playing on without music.
TEST_F(GameOver, AMissingPictureFailsNamingItsFileAMissingMusicListPlaysSilent)
{
    StartStory();
    std::filesystem::remove("data/ptx04/title.ptx");
    std::string message;
    try {
        TDieLoop die(app_.get(), -1);
    } catch (const my_error& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("title.ptx"), std::string::npos) << message;
    qmtest::SaveBytes("data/ptx04/title.ptx", qmtest::BuildPtx(qmtest::ScenePictures()));
    std::filesystem::remove("data/tbl04/subset/die_bgm.tbl");
    driver_.RecordSounds(true);
    auto* die = new TDieLoop(app_.get(), -1);
    RunAlone(die);
    Steps(200);
    Press('Z');
    EXPECT_EQ(StepsUntilGone(die, 200), 100);
    EXPECT_NE(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
    const TSoundBankRecord load{TSoundBankRecord::kLoad, 2, 10};
    EXPECT_EQ(std::count(driver_.sounds.begin(), driver_.sounds.end(), load), 0);
}

// Game over's waiting frames allocate what its three draws cost the engine alone.
TEST_F(GameOver, WaitingFramesAllocateNoMoreThanTheirDraws)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    StartStory();
    TDieLoop* die = DieOn("town");
    ASSERT_NE(die, nullptr);
    Steps(210);
    const long steps = OwnAllocations([&] { Steps(60); });
    TSprite picture = app_->CaptureScreen("bare", nullptr);
    TSprite overlay;
    TSprite words = TSprite::FromFile("title.ptx/gameover", D3DPOOL_MANAGED, 0);
    TD3D8* d3d = TD3D8::Instance();
    const long bare = OwnAllocations([&] {
        for (int i = 0; i < 60; ++i) {
            d3d->BeginScene();
            TSprite::SetRenderMode(0);
            picture.Draw(0.0F, 0.0F, 640.0F, 480.0F, false);
            TSprite::SetRenderMode(1);
            overlay.DrawRect(0.0F, 0.0F, 640.0F, 480.0F, false);
            words.Draw(64.0F, 176.0F, false);
            d3d->EndScene();
            d3d->Present();
        }
    });
    EXPECT_LE(steps, bare);
}

}  // namespace
}  // namespace scenetest
