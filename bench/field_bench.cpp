// Field logic on one core: a battle area's step (player, enemies, object walk, attack pass,
// movement, collision, shadows, camera, mesh cells, effects, minimap, the HUD's ring, gauge and
// two status icons) with the player pacing to and fro among 30 enemies of the six classes the map
// places around it, 40 live effects of the catalogue and a few shots. The ground has no walls at its edges: the player keeps to the middle
// of the ground, or the enemies crowding it walk off an edge, fall and count as out of range.
// Prints the CPU time per step once the area runs steadily, then the heap allocations per step,
// counted in every build in 2000 more steps that are not timed, on the thread that steps the field
// (the music stream's own thread allocates in its waits and is no part of the step). Effects that
// end are raised again between steps; a new effect allocates by design, so steps in which one is
// created (effects raising effects included) are left out of the allocation count. The generator is
// seeded the same every run, so every run plays the same steps (--seed N plays other draws).
// The same walk runs again among 100 enemies in a child process: the step's cost grows with the
// enemies, not with their pairs. Enemies that fall out of range by the end of the timed steps are
// counted. Each step also draws the HUD (on a lost device, so the GL driver's own allocations stay
// out) with a notice on screen and the hit pop-up running; a step that starts a notice renders its
// line (a font is made for it) and is left out of the count like one that raises an effect.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Shot/TShotPrototypes.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"
#include "support/alloc_probe.h"
#include "support/character_probe.h"
#include "support/effect_probe.h"
#include "support/hud_probe.h"
#include "dx/dx8/3d/TD3D8.h"
#include "support/field_state_hash.h"
#include "field_walk.h"
#include "formats/field_writer.h"
#include "support/temp_dir.h"
#include "platform/testing/d3d8.h"
#include "platform/testing/win32.h"

namespace {

using namespace fieldwalk;

constexpr int kWarmUp = 120;
constexpr int kSteps = 2000;
constexpr int kCounted = 2000;

struct Result {
    double ms = 0.0;
    long allocations = 0;
    int countedSteps = 0;
    std::size_t live = 0;
    long hudAllocations = 0;
};

// Plays the walk among `count` enemies; false when the field could not be played as planned.
bool Play(int count, std::uint32_t seed, std::FILE* trace, Result* result)
{
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    std::ofstream("setting.ini", std::ios::binary)
        << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
    qmtest::WriteFieldFolder(".", BenchMaps(count, qmtest::DefaultFieldMaps()));
    qmtest::WriteFieldEnemyTable(".", {std::begin(kEnemyTypes), std::end(kEnemyTypes)});

    TGameWnd app(0, "Verrow Quillmark", "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                 nullptr, nullptr, 101, 104);
    app.Create();
    app.Init();
    TAreaBase* area = StartField(app, "battle", seed, count);
    if (area == nullptr) {
        return false;
    }
    // Two status icons over the player all the walk long (the mana seal and a timed bonus); the
    // item ring stays closed.
    TPlayerCharacter* player = area->GetPlayer();
    player->GetManaSeal().Remaining = kWarmUp + kSteps + kCounted + 1;
    TRefPtr<TItemMean> bonus(new TItemMean());
    bonus->Duration = kWarmUp + kSteps + kCounted + 1;
    bonus->Bonus[1] = 1;
    TGameData::GetInstance()->GetTimedFlags(player->GetCharacterIndex())->Set(bonus);
    // Every effect kind of the catalogue in turn, and a few shots, around the walk.
    FieldWalk walk(area);
    TEffectManager* manager = area->GetEffectManager();
    std::optional<qmtest::AllocationProbe> probe;
    const auto counted = [&probe] { return probe ? probe->OwnThreadAllocations() : 0L; };
    double cpu = 0.0;
    long allocations = 0;
    long hudAllocations = 0;
    int countedSteps = 0;
    // The HUD is drawn on a lost device: every call of the game and of our layer runs, only GL's
    // own work is left out (the driver allocates once for each draw from client memory).
    platform::InjectDeviceLoss(TD3D8::GetDevice());
    for (int step = 0; step < kWarmUp + kSteps + kCounted; ++step) {
        if (step == kWarmUp + kSteps) {
            result->live = area->GetEnemies()->GetLive().size();
            probe.emplace();
        }
        walk.Prepare();
        app.GetInput()->PollInput();
        // Raising effects is the bench's own work too; a step that follows a raise still counts
        // its allocations unless it raises effects itself.
        walk.Refill();
        // A notice always on its way and the hit counter always running: the bench's own work.
        TGetRender* notices = area->GetFieldLoop()->GetGetRender();
        if (THudProbe::IsIdle(*notices) && THudProbe::QueueCount(*notices) == 0) {
            notices->PushText("ベンチのお知らせ");
        }
        TPlayerCharacter* player = area->GetPlayer();
        auto& hits = const_cast<THitPopup&>(TCharacterProbe::HitPopup(*player));
        if (!hits.IsActive()) {
            hits.Show(520.0F, 140.0F, step % 120, step * 7 % 10000);
        }
        const bool starting = THudProbe::IsIdle(*notices);
        const std::int32_t serial = TEffectProbe::NextSerial(*manager);
        const long before = counted();
        const double start = Seconds(CLOCK_THREAD_CPUTIME_ID);
        area->Update();
        const double stepped = Seconds(CLOCK_THREAD_CPUTIME_ID);
        // The HUD's draw is counted apart.
        const long drawBefore = counted();
        TD3D8::Instance()->BeginScene();
        player->DrawHud();
        TD3D8::Instance()->EndScene();
        if (step >= kWarmUp && step < kWarmUp + kSteps) {
            cpu += stepped - start;
        }
        if (probe && TEffectProbe::NextSerial(*manager) == serial && !(starting && !THudProbe::IsIdle(*notices))) {
            allocations += drawBefore - before;
            hudAllocations += counted() - drawBefore;
            ++countedSteps;
        }
        if (trace) {
            std::fprintf(trace, "%d %016llx\n", step,
                         static_cast<unsigned long long>(qmtest::FieldStateHash(area)));
        }
        if (IsTimeStopped()) {
            std::fprintf(stderr, "time stopped at step %d\n", step);
            return false;
        }
    }
    const auto& shown = THudProbe::Shown(TCharacterProbe::StatusIcons(*player));
    if (shown.size() != 2 || !shown[0]->IsShown()) {
        std::fprintf(stderr, "%zu status icons over the player, not 2\n", shown.size());
        return false;
    }
    probe.reset();
    app.Shutdown();
    if (!walk.Full()) {
        std::fprintf(stderr, "%zu effect kinds of %zu raised, %u effects live at the fewest\n", walk.Effects().Kinds(),
                     walk.EffectIds().size(), walk.FewestLive());
        return false;
    }
    if (trace == nullptr && count == kObjects) {
        std::fprintf(stderr,
                     "%zu effect kinds, %zu shot kinds, %d of %d counted steps without a new effect, the player put "
                     "back %d times\n",
                     walk.Effects().Kinds(), walk.Shots().Kinds(), countedSteps, kCounted, walk.PutBack());
    }
    result->ms = cpu * 1000.0 / kSteps;
    result->allocations = allocations;
    result->countedSteps = countedSteps;
    result->hudAllocations = hudAllocations;
    return true;
}


}  // namespace

// --trace FILE writes the state hash after every step of the walk among 30 (among 100 with
// --crowd), one a line: two runs of the same build compare line by line. --seed N seeds the
// generator with N instead of 1.
int main(int argc, char** argv)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
    std::uint32_t seed = 1;
    int traced = kObjects;
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--crowd") {
            traced = kCrowd;
            --i;
        } else if (i + 1 < argc && option == "--trace") {
            trace.reset(std::fopen(argv[i + 1], "w"));
            if (!trace) {
                std::fprintf(stderr, "cannot write %s\n", argv[i + 1]);
                return 1;
            }
        } else if (i + 1 < argc && option == "--seed") {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        } else {
            std::fprintf(stderr, "usage: %s [--trace FILE [--crowd]] [--seed N]\n", argv[0]);
            return 1;
        }
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::SetMessageBoxHook([](const platform::MessageBoxRecord& r) { std::fprintf(stderr, "%s\n", r.text.c_str()); });
    Result crowd;
    if (!trace && !RunApart(&crowd, [seed](Result* r) { return Play(kCrowd, seed, nullptr, r); })) {
        std::fprintf(stderr, "the walk among %d enemies failed\n", kCrowd);
        return 1;
    }
    Result r;
    if (!Play(trace ? traced : kObjects, seed, trace.get(), &r)) {
        return 1;
    }
    if (trace) {
        return 0;
    }
    // The enemies stay about the player: none may sink under the ground and fall out of range.
    if (r.live != static_cast<std::size_t>(kObjects)) {
        std::fprintf(stderr, "%zu enemies of %d at the end\n", r.live, kObjects);
    }
    char ran[160];
    std::snprintf(ran, sizeof ran,
                  "player, %d enemies of six classes (%zu left), %d effects, %d shots; %.3f ms/step among %d (%zu left), "
                  "%.2fx",
                  kObjects, r.live, kEffects, kShots, crowd.ms, kCrowd, crowd.live, crowd.ms / r.ms);
    if (qmtest::AllocationProbe::Available()) {
        std::printf("field logic %.3f ms/step, %ld allocations in the %d steps creating no effect (%ld among %d), %ld "
                    "in their HUD draws (%s); goal <= 1.0 ms, 0, 0, 30 left, < 3.0x among %d\n",
                    r.ms, r.allocations, r.countedSteps, crowd.allocations, kCrowd, r.hudAllocations, ran, kCrowd);
    } else {
        std::printf("field logic %.3f ms/step, allocations not counted in this build (%s); goal <= 1.0 ms, 30 left, "
                    "< 3.0x among %d\n",
                    r.ms, ran, kCrowd);
    }
    return 0;
}
