// A full battle field drawn: the game in the generated sample folder, in the battle map, with the
// field bench's walk among 30 enemies of the six classes, 40 catalogue effects and 4 shots, the
// generator seeded. 120 warm-up frames, then 600 measured, each one step, the drawing, Present
// and glFinish: a headless swap does not wait for the rasteriser, so without the finish a frame
// would measure only the part of its drawing that happened to be done. The clock is set by hand
// to the next step's time before each frame, so that every frame steps and draws exactly once. Prints the frame time
// (median, 99th percentile, most), draws handed to GL a frame and the main thread's CPU a frame,
// then the same with 200 effects, in a child process. Measure on two cores: taskset -c 0,1 with
// LP_NUM_THREADS=2.
// The heap allocations the main thread asks for in a frame are counted in every build, in 600 more
// frames after the measured ones and never timed: the probe looks each block up the call stack to
// put those asked for inside the GL driver apart from the rest, which about doubles the main
// thread's CPU.
// The 40 effects are played a second time with glibc's own heap thresholds (QM_MALLOC_DEFAULTS=1
// in that child), for the main thread's CPU with and without the layer's heap set-up.
// Where the slowest frames go: each frame's CPU on the main thread and on the busiest of the
// software rasterizer's threads (the driver's threads named "llvmpipe-N"), its draws, the
// effects created in it and the texture and buffer memory sent to GL, the slowest 1% of the frames
// beside the middle 10%. The rasterizer only starts on a frame once the main thread has handed it
// over, so main thread plus busiest rasterizer thread is what a frame costs on two idle cores;
// wall time beyond that is time neither ran (other work on the machine).
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
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
#include "support/effect_probe.h"
#include "support/main_probe.h"
#include "support/scene_clock.h"
#include "support/temp_dir.h"

extern "C" void* SDL_GL_GetProcAddress(const char* proc);

namespace {

using namespace fieldwalk;

constexpr int kWarmUp = 120;
constexpr int kFrames = 600;
constexpr int kCounted = 600;
constexpr int kManyEffects = 200;

// The averages of a set of frames.
struct FrameCost {
    int frames = 0;
    double ms = 0.0;
    double cpu = 0.0;     // main thread
    double raster = 0.0;  // busiest rasterizer thread
    double draws = 0.0;
    double created = 0.0;  // effects created, by the walk and by the game
    double textures = 0.0;
    double textureKiB = 0.0;
    double bufferKiB = 0.0;
};

struct Result {
    FrameCost slowest;  // the slowest 1%
    FrameCost middle;   // the middle 10%
    bool rasterThreads = false;
    double workMedian = 0.0;  // main thread plus busiest rasterizer thread
    double workP99 = 0.0;
    double median = 0.0;
    double p99 = 0.0;
    double most = 0.0;
    double draws = 0.0;
    double cpu = 0.0;
    double allocations = 0.0;
    double driverAllocations = 0.0;
};

// CPU clocks of the software rasterizer's threads (none with another driver).
std::vector<clockid_t> RasterizerClocks()
{
    std::vector<clockid_t> clocks;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name.rfind("llvmpipe-", 0) == 0) {
            // Linux's CPU clock of another thread of this process: the thread id, made per-thread.
            const auto tid = static_cast<unsigned>(std::stoul(task.path().filename().string()));
            clocks.push_back(static_cast<clockid_t>((~tid << 3) | 6U));
        }
    }
    return clocks;
}

FrameCost Average(const std::vector<FrameCost>& frames, std::size_t first, std::size_t count)
{
    FrameCost sum;
    for (std::size_t i = first; i < first + count; ++i) {
        const FrameCost& f = frames[i];
        sum.ms += f.ms;
        sum.cpu += f.cpu;
        sum.raster += f.raster;
        sum.draws += f.draws;
        sum.created += f.created;
        sum.textures += f.textures;
        sum.textureKiB += f.textureKiB;
        sum.bufferKiB += f.bufferKiB;
    }
    const double n = static_cast<double>(count);
    return FrameCost{static_cast<int>(count), sum.ms / n, sum.cpu / n, sum.raster / n, sum.draws / n,
                     sum.created / n, sum.textures / n, sum.textureKiB / n, sum.bufferKiB / n};
}

// With `count`, the measured frames are followed by kCounted in which allocations are counted.
bool Play(int effectCount, bool count, Result* result)
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
    std::optional<qmtest::AllocationProbe> probe;
    std::vector<double> times;
    double cpu = 0.0;
    long allocations = 0;
    long driverAllocations = 0;
    std::uint64_t draws = 0;
    std::vector<FrameCost> costs;
    std::vector<clockid_t> rasterizers;
    std::vector<double> rasterBefore;
    TEffectManager* effects = area->GetEffectManager();
    for (int frame = 0; frame < kWarmUp + kFrames + (count ? kCounted : 0); ++frame) {
        const bool timed = frame >= kWarmUp && frame < kWarmUp + kFrames;
        if (frame == kWarmUp + kFrames) {
            probe.emplace(true);
        }
        if (frame == kWarmUp) {
            // The driver starts its threads with the first frame it draws.
            rasterizers = RasterizerClocks();
            rasterBefore.resize(rasterizers.size());
        }
        const std::int32_t serialBefore = TEffectProbe::NextSerial(*effects);
        walk.Prepare();
        app.GetInput()->PollInput();
        walk.Refill();
        const platform::D3D8Uploads uploadsBefore = platform::GlUploads(device);
        for (std::size_t i = 0; i < rasterizers.size(); ++i) {
            rasterBefore[i] = Seconds(rasterizers[i]);
        }
        const std::uint64_t drawsBefore = platform::GlDrawCount(device);
        const long allocationsBefore = probe ? probe->OwnThreadAllocations() : 0;
        const long driverBefore = probe ? probe->OwnThreadDriverAllocations() : 0;
        const double cpuStart = Seconds(CLOCK_THREAD_CPUTIME_ID);
        const double start = Seconds(CLOCK_MONOTONIC);
        qmtest::SetClockToNextStep(TMainProbe::Timer(*area->GetFieldLoop()));
        if (!app.Frame()) {
            std::fprintf(stderr, "the field ended at frame %d\n", frame);
            return false;
        }
        finish();
        if (probe) {
            allocations += probe->OwnThreadAllocations() - allocationsBefore;
            driverAllocations += probe->OwnThreadDriverAllocations() - driverBefore;
        }
        if (timed) {
            FrameCost cost;
            cost.ms = (Seconds(CLOCK_MONOTONIC) - start) * 1000.0;
            cost.cpu = (Seconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart) * 1000.0;
            for (std::size_t i = 0; i < rasterizers.size(); ++i) {
                cost.raster = std::max(cost.raster, (Seconds(rasterizers[i]) - rasterBefore[i]) * 1000.0);
            }
            cost.draws = static_cast<double>(platform::GlDrawCount(device) - drawsBefore);
            cost.created = TEffectProbe::NextSerial(*effects) - serialBefore;
            const platform::D3D8Uploads uploads = platform::GlUploads(device);
            cost.textures = static_cast<double>(uploads.textures - uploadsBefore.textures);
            cost.textureKiB = static_cast<double>(uploads.textureBytes - uploadsBefore.textureBytes) / 1024.0;
            cost.bufferKiB = static_cast<double>(uploads.bufferBytes - uploadsBefore.bufferBytes) / 1024.0;
            costs.push_back(cost);
            times.push_back(cost.ms);
            cpu += Seconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
            draws += platform::GlDrawCount(device) - drawsBefore;
        }
    }
    probe.reset();
    app.Shutdown();
    if (!walk.Full()) {
        std::fprintf(stderr, "%u effects live at the fewest\n", walk.FewestLive());
        return false;
    }
    std::sort(times.begin(), times.end());
    std::vector<double> work;
    for (const FrameCost& c : costs) {
        work.push_back(c.cpu + c.raster);
    }
    std::sort(work.begin(), work.end());
    result->workMedian = work[work.size() / 2];
    result->workP99 = work[work.size() * 99 / 100];
    std::sort(costs.begin(), costs.end(), [](const FrameCost& a, const FrameCost& b) { return a.ms < b.ms; });
    const std::size_t slowest = std::max<std::size_t>(costs.size() / 100, 1);
    const std::size_t middle = std::max<std::size_t>(costs.size() / 10, 1);
    result->slowest = Average(costs, costs.size() - slowest, slowest);
    result->middle = Average(costs, (costs.size() - middle) / 2, middle);
    result->rasterThreads = !rasterizers.empty();
    result->median = times[times.size() / 2];
    result->p99 = times[times.size() * 99 / 100];
    result->most = times.back();
    result->draws = static_cast<double>(draws) / kFrames;
    result->cpu = cpu * 1000.0 / kFrames;
    result->allocations = static_cast<double>(allocations) / kCounted;
    result->driverAllocations = static_cast<double>(driverAllocations) / kCounted;
    return true;
}


void Print(int effectCount, const Result& r, const char* goals)
{
    char allocations[160] = "allocations not counted in this build";
    if (qmtest::AllocationProbe::Available()) {
        // The software driver takes a block for each draw's vertices and one for each 64 KiB of
        // triangles it sorts into tiles, and gives them back at the end of the frame.
        std::snprintf(allocations, sizeof allocations, "%.1f main-thread allocations (%.1f inside the GL driver, %.2f "
                      "a draw; %.1f elsewhere; in %d untimed frames)", r.allocations, r.driverAllocations,
                      r.draws > 0.0 ? r.driverAllocations / r.draws : 0.0, r.allocations - r.driverAllocations,
                      kCounted);
    }
    std::printf("%d enemies, %d effects, %d shots: frame %.2f ms median, %.2f p99, %.2f most; %.1f draws, main "
                "thread %.2f ms CPU, %s a frame%s\n",
                kObjects, effectCount, kShots, r.median, r.p99, r.most, r.draws, r.cpu, allocations, goals);
}

// What the slowest frames spent beside the middle ones, and the part that grew the most.
void PrintSlowest(int effectCount, const Result& r)
{
    const auto describe = [](const FrameCost& f, char* out, std::size_t size) {
        std::snprintf(out, size,
                      "%.2f ms (main thread %.2f ms CPU, busiest rasterizer thread %.2f, neither %.2f), %.0f draws, "
                      "%.1f effects created, %.1f textures written (%.1f KiB), %.1f KiB of vertices and indices",
                      f.ms, f.cpu, f.raster, std::max(0.0, f.ms - f.cpu - f.raster), f.draws, f.created, f.textures,
                      f.textureKiB, f.bufferKiB);
    };
    char slow[400];
    char middle[400];
    describe(r.slowest, slow, sizeof slow);
    describe(r.middle, middle, sizeof middle);
    const double cpu = r.slowest.cpu - r.middle.cpu;
    const double raster = r.slowest.raster - r.middle.raster;
    const double neither = std::max(0.0, r.slowest.ms - r.slowest.cpu - r.slowest.raster) -
                           std::max(0.0, r.middle.ms - r.middle.cpu - r.middle.raster);
    // Of the game's own work the part that grew the most; waits for the machine are said apart.
    const char* cause = raster > cpu ? "the rasterizer's work (shading what the frame drew)" : "the main thread's work";
    if (!r.rasterThreads) {
        cause = "not known (no rasterizer threads to measure)";
    }
    const char* waits = neither > std::max(cpu, raster) ? ", and more still the machine's other work" : "";
    std::printf("%d effects, slowest 1%% of frames (%d): %s;\n  middle 10%%: %s;\n  slower by %.2f ms on the main "
                "thread, %.2f on the busiest rasterizer thread, %.2f neither: the cause is %s%s; main thread plus "
                "busiest rasterizer thread %.2f ms median, %.2f p99\n",
                effectCount, r.slowest.frames, slow, middle, cpu, raster, neither, cause, waits, r.workMedian,
                r.workP99);
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
    if (!RunApart(&full, [](Result* r) { return Play(kEffects, true, r); }) ||
        !RunApart(&untuned,
                  [](Result* r) {
                      setenv("QM_MALLOC_DEFAULTS", "1", 1);
                      return Play(kEffects, false, r);
                  }) ||
        !RunApart(&many, [](Result* r) { return Play(kManyEffects, true, r); })) {
        std::fprintf(stderr, "the field could not be played\n");
        return 1;
    }
    PrintSlowest(kEffects, full);
    PrintSlowest(kManyEffects, many);
    Print(kEffects, full, "");
    std::printf("the same with glibc's own heap thresholds: main thread %.2f ms CPU a frame; with the layer's / "
                "without: %.2fx\n",
                untuned.cpu, untuned.cpu > 0.0 ? full.cpu / untuned.cpu : 0.0);
    char goals[200];
    std::snprintf(goals, sizeof goals,
                  "; heap set-up %.2fx; goal p99 <= 16.7 ms, <= 120 draws, <= 10 allocations with 40 effects, heap "
                  "set-up <= 0.8x; p99 <= 16.7 ms with 200",
                  untuned.cpu > 0.0 ? full.cpu / untuned.cpu : 0.0);
    Print(kManyEffects, many, goals);
    return 0;
}
