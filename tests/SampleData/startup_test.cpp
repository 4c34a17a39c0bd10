// The game started in the generated folder: it reaches the title with every start-up file found,
// runs, and closes cleanly on a close message.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/TGameWnd.h"
#include "make-sample-data/SampleData.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/testing/TSoundBankObserver.h"
#include "dx/dx8/testing/TSpriteObserver.h"
#include "platform/testing/d3d8.h"
#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "SampleData/sample_folder_copy.h"
#include "support/child_wait.h"
#include "support/dx_probe.h"
#include "support/field_walk.h"
#include "support/gamedata_probe.h"
#include "support/main_probe.h"
#include "support/temp_dir.h"
#include "support/scene_driver.h"
#include "support/map_probe.h"
#include "support/scene_probe.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 300;

// The application with one clock step a frame; at the last frame it posts itself a close message.
class SampleRun : public TGameWnd {
public:
    SampleRun()
        : TGameWnd(0, "Verrow Quillmark", "Quillmark 4章 ～ Solstice ～", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                   480, nullptr, nullptr, nullptr, 101, 104)
    {
    }
    bool Frame() override
    {
        platform::ManualClock::Advance(17);
        ++frames;
        if (frames == 1) {
            OnFirstFrame();
        }
        if (frames == kFrames) {
            auto* title = dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*this));
            titleInLogo = title != nullptr && TSceneProbe::State(*title) == TSceneProbe::TitleState::LogoHold;
            titlePixel = ScreenPixel(320, 212);
            PostMessageA(TMainProbe::Handle(*this), WM_CLOSE, 0, 0);
        }
        return frames <= kFrames + 50 && TGameWnd::Frame();  // a broken close cannot hang the test
    }

    // What start-up found in the folder.
    void OnFirstFrame()
    {
        const sample::Catalogue& c = sample::GetCatalogue();
        EXPECT_NE(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*this)), nullptr);
        EXPECT_TRUE(GetD3D()->IsWindowed());
        EXPECT_EQ(GetD3D()->GetBackBufferWidth(), 640u);
        EXPECT_EQ(GetD3D()->GetBackBufferHeight(), 480u);
        EXPECT_EQ(TGameDataProbe::Count<TWeponTable>(), c.wepons.size());
        EXPECT_EQ(TGameDataProbe::Count<TItemMeanTable>(), c.itemMeans.size());
        EXPECT_EQ(TGameDataProbe::Count<TAccessoryTable>(), c.accessories.size());
        EXPECT_EQ(TGameDataProbe::Count<TItemTable>(), c.items.size());
        EXPECT_EQ(TGameDataProbe::Count<TSkillTable>(), c.skills.size());
        EXPECT_EQ(TGameDataProbe::Count<TSvpTable>(), c.savePoints.size());
        EXPECT_EQ(TGameDataProbe::Count<THrdefTable>(), c.heroes.size());
        // This game's chapter and its caps, as start-up sets them.
        EXPECT_EQ(TGameData::GetChapter(), 4);
        EXPECT_EQ(TGameData::GetMaxLevel(), 59u);
        EXPECT_EQ(TGameDataProbe::MaxMoney(), 1700000u);
        // The banks know their names, first and last.
        TSoundBank* se = GetSound()->GetBank(0);
        TSoundBank* bgm = GetSound()->GetBank(2);
        ASSERT_NE(se, nullptr);
        ASSERT_NE(bgm, nullptr);
        EXPECT_EQ(se->FindId(c.se.front().name), static_cast<std::int32_t>(c.se.front().id));
        EXPECT_EQ(se->FindId(c.se.back().name), static_cast<std::int32_t>(c.se.back().id));
        EXPECT_EQ(bgm->FindId(c.bgm.back().name), static_cast<std::int32_t>(c.bgm.back().id));
        // And a sound of each loads from its package.
        se->Load(c.se.front().id);
        bgm->Load(c.bgm.front().id);
        EXPECT_GT(se->GetLength(c.se.front().id), 0);
        EXPECT_GT(bgm->GetLength(c.bgm.front().id), 0);
        se->Unload(c.se.front().id);
        bgm->Unload(c.bgm.front().id);
    }

    // The back buffer's pixel as 0xRRGGBB.
    static std::uint32_t ScreenPixel(int x, int y)
    {
        platform::RgbaImage image;
        if (!platform::ReadBackBuffer(TD3D8::GetDevice(), &image) || image.pixels.empty()) {
            return 0xFFFFFFFF;
        }
        const std::uint8_t* p = image.At(x, y);
        return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    }

    int frames = 0;
    bool titleInLogo = false;
    std::uint32_t titlePixel = 0;
};

TEST(SampleStartup, ReachesTheTitleRunsAndClosesCleanly)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    qmtest::ScopedCwd cwd(dir.Path());
    platform::ManualClock::Enable(1000);
    platform::ResetKeyboardState();
    // Values no start-up sets, so that any a test before this one left cannot stand in for it.
    TGameData::SetChapter(0);
    TGameData::SetMaxLevel(0);
    TGameData::SetMaxMoney(0);
    {
        SampleRun app;
        EXPECT_EQ(app.Run(1), 0);
        EXPECT_EQ(app.frames, kFrames);
        // 120 steps of waiting and 100 of the logo coming in: the logo stands at alpha 252, one
        // ramp step short of whole, the diamond at its middle (0xF0C850) a shade darker.
        EXPECT_TRUE(app.titleInLogo);
        EXPECT_EQ(app.titlePixel, 0xEDC64Fu);
        EXPECT_EQ(app.GetSceneCount(), 0);
    }
    platform::ManualClock::Disable();
    UnregisterClassA("Verrow Quillmark", nullptr);

    EXPECT_FALSE(TD3D8::Instance()->IsInitialized());
    EXPECT_FALSE(TDxProbe::IsInitialized(*TDSound8::Instance()));
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "DeviceLog.txt"));
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "save"));
}

// The executable as a player starts it, in the folder beside it; the signal a desktop sends on
// logout arrives as a close message.
TEST(SampleStartup, TheGameExecutableRunsInTheFolderAndEndsWithoutAnError)
{
    qmtest::TempDir dir;
    const fs::path game = dir.Path() / "game";
    qmtest::CopySampleFolder(game);
    const fs::path exe = dir.Path() / "quillmark4";
    fs::copy_file(QM_GAME_EXE, exe);

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir(game.c_str()) != 0 || freopen((dir.Path() / "stderr.txt").c_str(), "w", stderr) == nullptr) {
            _exit(127);
        }
        setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // The device log is written during start-up; the title runs a moment later.
    for (int i = 0; i < 500 && !fs::exists(game / "DeviceLog.txt"); ++i) {
        usleep(20000);
    }
    usleep(1500000);
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_TRUE(qmtest::WaitForChild(pid, &status, 60)) << "still running a minute after the signal";
    std::stringstream err;
    err << std::ifstream(dir.Path() / "stderr.txt").rdbuf();
    ASSERT_TRUE(WIFEXITED(status)) << err.str();
    EXPECT_EQ(WEXITSTATUS(status), 0) << err.str();
    EXPECT_TRUE(fs::is_regular_file(game / "DeviceLog.txt"));
    EXPECT_TRUE(fs::is_directory(game / "save"));
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
    EXPECT_EQ(err.str(), "");
}

// A player's hands for the game started from its entry function, moved on the game's own thread
// from what it draws and plays: decide tapped (10 frames down, 10 up) through the title and the
// carry-over choice, then cancel held from the first story scene's music on.
class OpeningHands : public TSpriteObserver, public TSoundBankObserver {
public:
    void OnRenderMode(int) override { Tick(); }
    void OnDraw(const TSprite&, float, float, float, float, bool) override { Tick(); }
    void OnDrawRect(const TSprite&, float, float, float, float, bool) override { Tick(); }
    void OnDrawTransformed(const TSprite&, float, float, float, float, const D3DMATRIX*, bool) override { Tick(); }
    void OnLoad(std::uint32_t, std::uint32_t) override {}
    void OnUnload(std::uint32_t, std::uint32_t) override {}
    void OnPlay(std::uint32_t bank, std::uint32_t id) override { Heard(bank, id); }
    void OnPlayLoop(std::uint32_t bank, std::uint32_t id) override { Heard(bank, id); }
    void OnStop(std::uint32_t, std::uint32_t) override {}

    static constexpr int kGiveUp = 5000;  // frames drawn
    bool skipping = false;
    bool gaveUp = false;

protected:
    // Each frame once cancel is held from the first story scene on.
    virtual void AfterOpening() {}
    int Frame() const { return frame_; }

private:
    void Tick()
    {
        const DWORD now = timeGetTime();
        if (now == last_) {
            return;
        }
        last_ = now;
        if (++frame_ == kGiveUp) {
            // A game that plays on past the opening scenes is closed, so the test ends.
            gaveUp = true;
            for (HWND window : platform::LiveWindowList()) {
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
        }
        if (skipping) {
            AfterOpening();
            return;
        }
        const bool down = (frame_ / 10) % 2 == 1;
        if (down != decide_) {
            decide_ = down;
            platform::InjectKey(qmtest::KeyOf(qmtest::Button::A), down);
        }
    }
    void Heard(std::uint32_t bank, std::uint32_t id)
    {
        if (bank == 2 && id == 51 && !skipping) {  // the first story scene's music
            skipping = true;
            platform::InjectKey(qmtest::KeyOf(qmtest::Button::A), false);
            platform::InjectKey(qmtest::KeyOf(qmtest::Button::B), true);
        }
    }

    DWORD last_ = 0;
    int frame_ = 0;
    bool decide_ = false;
};

// The game's entry function run in `folder` as the executable's own, the hands watching its draws
// and sounds and the message boxes it shows kept; its status.
int RunTheGameIn(const fs::path& folder, OpeningHands* hands, std::vector<platform::MessageBoxRecord>& boxes)
{
    setenv("QM_RUNTIME_DIR", folder.c_str(), 1);
    qmtest::ScopedCwd cwd(folder);
    platform::ManualClock::Enable(1000);
    platform::ResetKeyboardState();
    platform::OverrideModuleFileName((folder / "quillmark4").string());
    platform::SetMessageBoxHook([&](const platform::MessageBoxRecord& box) { boxes.push_back(box); });
    SetSpriteObserver(hands);
    SetSoundBankObserver(hands);
    std::atomic<bool> ended{false};
    // A millisecond a wait, and the game given the chance to wake before the next one, so that the
    // hands see every step or nearly. A game that runs without waiting (no step due, nothing to
    // wait for) is given a millisecond now and then too.
    std::thread clock([&] {
        unsigned lastWait = 0;
        int idle = 0;
        while (!ended.load()) {
            const unsigned wait = platform::MessageWaitsBegun();
            if (platform::IsWaitingForMessage()) {
                platform::ManualClock::Advance(1);
                for (int i = 0; i < 200 && platform::IsWaitingForMessage() && platform::MessageWaitsBegun() == wait; ++i) {
                    std::this_thread::yield();
                }
            } else if (wait == lastWait && ++idle > 2000) {
                platform::ManualClock::Advance(1);
                idle = 0;
            }
            if (wait != lastWait) {
                lastWait = wait;
                idle = 0;
            }
            std::this_thread::yield();
        }
    });

    const std::vector<HWND> before = platform::LiveWindowList();
    const int status = WinMain(nullptr, nullptr, nullptr, 10);
    ended.store(true);
    clock.join();
    // A game ended by an error leaves its window for the end of its process to take; here the
    // process goes on, and a window left would refuse the next run as a second instance.
    for (HWND window : platform::LiveWindowList()) {
        if (std::find(before.begin(), before.end(), window) == before.end()) {
            DestroyWindow(window);
        }
    }

    SetSpriteObserver(nullptr);
    SetSoundBankObserver(nullptr);
    platform::SetMessageBoxHook({});
    platform::OverrideModuleFileName("");
    platform::ResetKeyboardState();
    platform::ManualClock::Disable();
    UnregisterClassA("Verrow Quillmark", nullptr);
    return status;
}

// The town's ground gone from the folder: a new game runs through the opening scenes, and the field
// that cannot be built ends the game from its entry function, the error on screen and in the log
// beside the executable, with a failure status.
TEST(SampleStartup, ABrokenTownEndsANewGameWithTheErrorShownRecordedAndAFailure)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    ASSERT_TRUE(fs::remove(dir.Path() / "data/msh04/map04/t04_00.msh"));
    std::vector<platform::MessageBoxRecord> boxes;
    OpeningHands hands;
    const int status = RunTheGameIn(dir.Path(), &hands, boxes);

    EXPECT_EQ(status, 1);
    EXPECT_TRUE(hands.skipping);
    EXPECT_FALSE(hands.gaveUp);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("t04_00.msh"), std::string::npos) << boxes[0].text;
    std::stringstream log;
    log << std::ifstream(dir.Path() / "ErrorLog.txt").rdbuf();
    EXPECT_NE(log.str().find("t04_00.msh"), std::string::npos) << log.str();
}

// Past the opening, a player's hands in the field: in the town, the action button at the gap in the
// east fence; on the battle map the strong enemy left at its last hit point and swung at from beside
// it until it falls. As the party leaves the town, the town's entry goes from the map container's
// index, so the defeat's script sends the party home to a map that cannot be read.
class HomewardHands : public OpeningHands {
public:
    explicit HomewardHands(fs::path container) : container_(std::move(container)) {}

    bool townLost = false;
    bool strongWeakened = false;

private:
    void AfterOpening() override
    {
        TFieldLoop* field = CurrentField();
        if (field == nullptr || TMapProbe::IsInPhase(*field)) {
            return;
        }
        if (!cancelReleased_) {
            cancelReleased_ = true;
            platform::InjectKey(qmtest::KeyOf(qmtest::Button::B), false);
        }
        // Down one game step, up the next (a step is 1000/60 ms of the game's clock).
        const bool down = (timeGetTime() * 60 / 1000) % 2 == 1;
        if (dynamic_cast<TTownArea*>(field->GetArea()) != nullptr) {
            if (!townLost) {
                townLost = DropTownEntry();
            }
            const D3DXVECTOR3 gap = sample::SampleLayout::EastGap();
            field->GetPlayer()->PlaceAt({gap.x - 2.0F, 0.0F, gap.z}, {1.0F, 0.0F, 0.0F});
            Press(down);
        } else if (dynamic_cast<TBattleArea*>(field->GetArea()) != nullptr) {
            // Looked up every frame: a fallen enemy is deleted.
            TEnemy* strong = nullptr;
            for (const auto& entry : field->GetArea()->GetEnemies()->GetLive()) {
                TEnemy* enemy = entry.second.Get();
                if (enemy->GetRelatedId() == sample::SampleLayout::kStrongEnemyType) {
                    strong = enemy;
                }
            }
            if (strong == nullptr || strong->GetHp() <= 0) {
                Press(false);
                return;
            }
            if (!strongWeakened) {
                strong->TakeDamage(strong->GetHp() - 1);
                strongWeakened = true;
            }
            // Behind it, out of the way of its own blows: the swing started a few steps back and
            // carried to its back (the states past the shared 19 are the hero's attacks).
            D3DXVECTOR3 front;
            strong->GetFront(&front);
            front.y = 0.0F;
            D3DXVec3Normalize(&front, &front);
            TPlayerCharacter* hero = field->GetPlayer();
            hero->PlaceAt(qmtest::PositionOf(strong) - front * (hero->GetState() >= 19 ? 1.0F : 4.0F), front);
            Press(down);
        }
    }
    static TFieldLoop* CurrentField()
    {
        for (HWND window : platform::LiveWindowList()) {
            auto* app = dynamic_cast<TGameWnd*>(static_cast<TSubClassWnd*>(GetPropA(window, "TSubClassWnd")));
            if (app != nullptr) {
                return dynamic_cast<TFieldLoop*>(TMainProbe::CurrentScene(*app));
            }
        }
        return nullptr;
    }
    void Press(bool down)
    {
        if (down != action_) {
            action_ = down;
            platform::InjectKey(qmtest::KeyOf(qmtest::Button::A), down);
        }
    }
    // The container's index: a count, then each entry's name (length and bytes) and offset. The
    // town's name is renamed in place, so no entry of that name is left.
    bool DropTownEntry()
    {
        std::vector<char> bytes;
        {
            std::ifstream in(container_, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        const auto u32 = [&](std::size_t at) {
            std::uint32_t v = 0;
            for (int i = 3; i >= 0 && at + 4 <= bytes.size(); --i) {
                v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
            }
            return v;
        };
        std::size_t at = 4;
        for (std::uint32_t i = 0; i < u32(0) && at + 4 <= bytes.size(); ++i) {
            const std::uint32_t length = u32(at);
            if (at + 4 + length > bytes.size()) {
                break;
            }
            const char* name = bytes.data() + at + 4;
            if (std::string(name, strnlen(name, length)) == "t04_00") {
                bytes[at + 4 + 4] = '9';  // "t04_90"
                std::ofstream(container_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                return true;
            }
            at += 4 + length + 4;
        }
        return false;
    }

    fs::path container_;
    bool cancelReleased_ = false;
    bool action_ = false;
};

// After the opening, the town left through its east gap for the battle map, where the town's entry
// has gone from the map container: the strong enemy's defeat runs the script that sends the party
// home, its map change cannot read the town, and the error ends the game from its entry function,
// on screen and in the log beside the executable, with a failure status; the script manager it
// broke off has gone with the scenes before the device.
TEST(SampleStartup, AScriptsMapChangeToAMapThatCannotBeReadEndsTheGameWithTheErrorShownRecordedAndAFailure)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    std::vector<platform::MessageBoxRecord> boxes;
    HomewardHands hands(dir.Path() / "data/scr04/04.pbms");
    const int status = RunTheGameIn(dir.Path(), &hands, boxes);

    EXPECT_EQ(status, 1);
    EXPECT_TRUE(hands.skipping);
    EXPECT_FALSE(hands.gaveUp);
    EXPECT_TRUE(hands.townLost);
    EXPECT_TRUE(hands.strongWeakened);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "TransactionError");
    EXPECT_NE(boxes[0].text.find("04.pbms : t04_00"), std::string::npos) << boxes[0].text;
    std::stringstream log;
    log << std::ifstream(dir.Path() / "ErrorLog.txt").rdbuf();
    EXPECT_NE(log.str().find("map not found : data/scr04/04.pbms : t04_00"), std::string::npos) << log.str();
    // Released in order on the way out, as on a close.
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
    EXPECT_FALSE(TD3D8::Instance()->IsInitialized());
    EXPECT_FALSE(TDxProbe::IsInitialized(*TDSound8::Instance()));
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
}

}  // namespace
