// Field logic on one core: a battle area's step (player, enemies, object walk, attack pass,
// movement, collision, shadows, camera, mesh cells, effects, minimap) with the player walking among
// 30 enemies the map places. Prints the CPU time per step and the heap allocations per step once
// the area runs steadily (allocations counted in sanitizer builds only).
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"
#include "support/alloc_probe.h"
#include "support/field_writer.h"
#include "support/temp_dir.h"
#include "platform/testing/win32.h"

namespace {

constexpr int kObjects = 30;
constexpr int kWarmUp = 120;
constexpr int kSteps = 2000;

double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The battle map with kObjects enemies on a grid around the walk, all within reach of it, and no
// spawning.
std::vector<qmtest::FieldMap> BenchMaps()
{
    std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
    qmtest::FieldMap& battle = maps[0];
    battle.maxLive = 0;
    battle.spawnDistance = 100.0F;
    battle.enemies.clear();
    for (int i = 0; i < kObjects; ++i) {
        const D3DXVECTOR3 at(12.5F + static_cast<float>(i % 6) * 5.0F, 0.0F, 3.5F + static_cast<float>(i / 6) * 3.0F);
        battle.enemies.push_back({qmtest::kFieldEnemyType, at, D3DXVECTOR3(0.0F, 0.0F, 0.0F)});
    }
    return maps;
}

}  // namespace

int main()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    platform::SetMessageBoxHook([](const platform::MessageBoxRecord& r) { std::fprintf(stderr, "%s\n", r.text.c_str()); });
    std::ofstream("setting.ini", std::ios::binary)
        << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
    qmtest::WriteFieldFolder(".", BenchMaps());

    TGameWnd app(0, "Verrow Quillmark", "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                 nullptr, nullptr, 101, 104);
    app.Create();
    app.Init();
    TFieldLoop* field = TFieldLoop::CreateAtPosition(&app, "map00/battle", qmtest::FieldLayout::Start(),
                                                     qmtest::FieldLayout::StartDirection(),
                                                     qmtest::FieldLayout::StartCamera());
    if (field == nullptr) {
        std::fprintf(stderr, "the field could not be made\n");
        return 1;
    }
    app.PushScene(field);
    TAreaBase* area = field->GetArea();
    const TEnemyFactory* enemies = area->GetEnemies();
    if (enemies == nullptr || enemies->GetLive().size() != static_cast<std::size_t>(kObjects)) {
        std::fprintf(stderr, "the map's enemies were not placed\n");
        return 1;
    }

    // The player walks to the right and back, among the standing enemies.
    platform::InjectKey(VK_UP, true);
    qmtest::AllocationProbe probe;
    double cpu = 0.0;
    long allocations = 0;
    for (int step = 0; step < kWarmUp + kSteps; ++step) {
        if (step % 200 == 0) {
            const bool right = (step / 200) % 2 == 0;
            platform::InjectKey(VK_RIGHT, right);
            platform::InjectKey(VK_LEFT, !right);
        }
        app.GetInput()->PollInput();
        // Only the area's step counts: the key presses above are the bench's own.
        const long before = probe.Allocations();
        const double start = Seconds(CLOCK_THREAD_CPUTIME_ID);
        area->Update();
        if (step >= kWarmUp) {
            cpu += Seconds(CLOCK_THREAD_CPUTIME_ID) - start;
            allocations += probe.Allocations() - before;
        }
    }
    const std::size_t live = enemies->GetLive().size();
    app.Shutdown();
    if (live != static_cast<std::size_t>(kObjects)) {
        std::fprintf(stderr, "%zu enemies left of %d\n", live, kObjects);
        return 1;
    }

    const double ms = cpu * 1000.0 / kSteps;
    if (qmtest::AllocationProbe::Available()) {
        std::printf("field logic %.3f ms/step, %.2f allocations/step (player and %d enemies); goal <= 1.0 ms, 0\n", ms,
                    static_cast<double>(allocations) / kSteps, kObjects);
    } else {
        std::printf("field logic %.3f ms/step, allocations not counted in this build (player and %d enemies); goal "
                    "<= 1.0 ms, 0\n",
                    ms, kObjects);
    }
    return 0;
}
