// A full battle field drawn: the game in the generated sample folder, in the battle map, with the
// field bench's walk among 30 enemies of the six classes, 40 catalogue effects and 4 shots, the
// generator seeded. 120 warm-up frames, then 600 measured, each one step, the drawing, Present
// and glFinish: a headless swap does not wait for the rasteriser, so without the finish a frame
// would measure only the part of its drawing that happened to be done. The clock is set by hand
// to the next step's time before each frame, so that every frame steps and draws exactly once. Prints the frame time
// (median, 99th percentile, most), draws handed to GL a frame, the main thread's CPU and heap
// allocations a frame (allocations in sanitizer builds only, those asked for inside the GL driver
// apart from the rest: the stack walk that tells them apart adds to the CPU in those builds), then
// the same with 200 effects, in a child process. Measure on two cores: taskset -c 0,1 with
// LP_NUM_THREADS=2.
// The 40 effects are played a second time with glibc's own heap thresholds (QM_MALLOC_DEFAULTS=1
// in that child), for the main thread's CPU with and without the layer's heap set-up.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/3d/TD3D8.h"
#include "field_walk.h"
#include "make-sample-data/SampleData.h"
#include "platform/testing/d3d8.h"
#include "platform/win32/msgbox.h"
#include "platform/testing/win32.h"
#include "support/alloc_probe.h"
#include "support/scene_clock.h"
#include "support/temp_dir.h"

extern "C" void* SDL_GL_GetProcAddress(const char* proc);

namespace {

using namespace fieldwalk;

constexpr int kWarmUp = 120;
constexpr int kFrames = 600;
constexpr int kManyEffects = 200;

struct Result {
    double median = 0.0;
    double p99 = 0.0;
    double most = 0.0;
    double draws = 0.0;
    double cpu = 0.0;
    double allocations = 0.0;
    double driverAllocations = 0.0;
};

bool Play(int effectCount, Result* result)
{
    qmtest::TempDir dir;
    sample::WriteSampleFolder(dir.Path());
    qmtest::ScopedCwd cwd(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    // Until the sample folder places enemies of every class, the bench places its own.
    qmtest::WriteFieldFolder(".", BenchMaps(kObjects, sample::SampleMaps()), false);
    qmtest::WriteFieldEnemyTable(".", {std::begin(kEnemyTypes), std::end(kEnemyTypes)});
    std::ofstream("setting.ini", std::ios::binary)
        << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";

    platform::ManualClock::Enable(1000);
    TGameWnd app(0, "Verrow Quillmark", "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                 nullptr, nullptr, 101, 104);
    app.Create();
    app.Init();
    const qmtest::FieldMap battle = sample::SampleMaps()[0];
    TAreaBase* area = StartField(app, battle.entry, 1, kObjects, battle.file);
    if (area == nullptr) {
        return false;
    }
    auto finish = reinterpret_cast<void (*)()>(SDL_GL_GetProcAddress("glFinish"));
    IDirect3DDevice8* device = TD3D8::GetDevice();
    FieldWalk walk(area, effectCount);
    qmtest::AllocationProbe probe(true);
    std::vector<double> times;
    double cpu = 0.0;
    long allocations = 0;
    long driverAllocations = 0;
    std::uint64_t draws = 0;
    for (int frame = 0; frame < kWarmUp + kFrames; ++frame) {
        walk.Prepare();
        app.GetInput()->PollInput();
        walk.Refill();
        const std::uint64_t drawsBefore = platform::GlDrawCount(device);
        const long allocationsBefore = probe.OwnThreadAllocations();
        const long driverBefore = probe.OwnThreadDriverAllocations();
        const double cpuStart = Seconds(CLOCK_THREAD_CPUTIME_ID);
        const double start = Seconds(CLOCK_MONOTONIC);
        qmtest::SetClockToNextStep(area->GetFieldLoop()->GetTimer());
        if (!app.Frame()) {
            std::fprintf(stderr, "the field ended at frame %d\n", frame);
            return false;
        }
        finish();
        if (frame >= kWarmUp) {
            times.push_back((Seconds(CLOCK_MONOTONIC) - start) * 1000.0);
            cpu += Seconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
            allocations += probe.OwnThreadAllocations() - allocationsBefore;
            driverAllocations += probe.OwnThreadDriverAllocations() - driverBefore;
            draws += platform::GlDrawCount(device) - drawsBefore;
        }
    }
    app.Shutdown();
    if (!walk.Full()) {
        std::fprintf(stderr, "%u effects live at the fewest\n", walk.FewestLive());
        return false;
    }
    std::sort(times.begin(), times.end());
    result->median = times[times.size() / 2];
    result->p99 = times[times.size() * 99 / 100];
    result->most = times.back();
    result->draws = static_cast<double>(draws) / kFrames;
    result->cpu = cpu * 1000.0 / kFrames;
    result->allocations = static_cast<double>(allocations) / kFrames;
    result->driverAllocations = static_cast<double>(driverAllocations) / kFrames;
    return true;
}


void Print(int effectCount, const Result& r, const char* goals)
{
    char allocations[160] = "allocations not counted in this build";
    if (qmtest::AllocationProbe::Available()) {
        // The software driver takes a block for each draw's vertices and one for each 64 KiB of
        // triangles it sorts into tiles, and gives them back at the end of the frame.
        std::snprintf(allocations, sizeof allocations, "%.1f main-thread allocations (%.1f inside the GL driver, %.2f "
                      "a draw; %.1f elsewhere)", r.allocations, r.driverAllocations,
                      r.draws > 0.0 ? r.driverAllocations / r.draws : 0.0, r.allocations - r.driverAllocations);
    }
    std::printf("%d enemies, %d effects, %d shots: frame %.2f ms median, %.2f p99, %.2f most; %.1f draws, main "
                "thread %.2f ms CPU, %s a frame%s\n",
                kObjects, effectCount, kShots, r.median, r.p99, r.most, r.draws, r.cpu, allocations, goals);
}

}  // namespace

int main()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("LP_NUM_THREADS", "2", 0);
    platform::SetMessageBoxHook([](const platform::MessageBoxRecord& r) { std::fprintf(stderr, "%s\n", r.text.c_str()); });
    Result full;
    Result untuned;
    Result many;
    if (!RunApart(&full, [](Result* r) { return Play(kEffects, r); }) ||
        !RunApart(&untuned,
                  [](Result* r) {
                      setenv("QM_MALLOC_DEFAULTS", "1", 1);
                      return Play(kEffects, r);
                  }) ||
        !RunApart(&many, [](Result* r) { return Play(kManyEffects, r); })) {
        std::fprintf(stderr, "the field could not be played\n");
        return 1;
    }
    Print(kEffects, full, "");
    std::printf("the same with glibc's own heap thresholds: main thread %.2f ms CPU a frame; with the layer's / "
                "without: %.2fx\n",
                untuned.cpu, untuned.cpu > 0.0 ? full.cpu / untuned.cpu : 0.0);
    char goals[200];
    std::snprintf(goals, sizeof goals,
                  "; heap set-up %.2fx; goal p99 <= 16.7 ms, <= 120 draws, <= 10 allocations with 40 effects, heap "
                  "set-up <= 0.8x; median <= 16.7 ms with 200 (stretch)",
                  untuned.cpu > 0.0 ? full.cpu / untuned.cpu : 0.0);
    Print(kManyEffects, many, goals);
    return 0;
}
