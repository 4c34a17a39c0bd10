// The game at rest: its first scene, the title, in a generated game folder, headless, on the real
// clock for 700 steps after a warm-up (the maker's logo, the fade-in and the menu). Prints the main
// thread's CPU time per frame (as a share of one core; the rasteriser's own threads aside), then the
// heap allocations per frame on the main and audio threads, and on all threads for comparison,
// counted in every build in 700 more steps that are not timed (those the GL driver asks for on the
// main thread apart from the game's own, found by a stack walk for each block).
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"
#include "make-sample-data/SampleData.h"
#include "platform/win32/msgbox.h"
#include "platform/testing/win32.h"
#include "support/alloc_probe.h"
#include "support/main_probe.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint32_t kWarmUp = 60;
constexpr std::uint32_t kFrames = 700;
constexpr std::uint32_t kCounted = 700;

double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs the title until it has stepped kWarmUp + kFrames times, timing the last kFrames, then
// kCounted more, counting their allocations.
class MeasuredGameWnd : public TGameWnd {
public:
    MeasuredGameWnd()
        : TGameWnd(0, "Verrow Quillmark", "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                   nullptr, nullptr, 101, 104)
    {
    }
    bool Frame() override
    {
        ++calls;
        const bool going = TGameWnd::Frame();
        // Steps the title has run: its timer moves on by one interval a step.
        auto* title = dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*this));
        if (title != nullptr && firstStepAt < 0.0) {
            firstStepAt = TMainProbe::Timer(*title).m_last;
        }
        const auto steps =
            title != nullptr
                ? static_cast<std::uint32_t>((TMainProbe::Timer(*title).m_last - firstStepAt) /
                                                 TMainProbe::Timer(*title).m_interval +
                                             0.5)
                : 0u;
        if (steps >= kWarmUp && startWall == 0.0) {
            startWall = Seconds(CLOCK_MONOTONIC);
            startCpu = Seconds(CLOCK_THREAD_CPUTIME_ID);
            startCalls = calls;
        }
        if (steps >= kWarmUp + kFrames && wall == 0.0) {
            wall = Seconds(CLOCK_MONOTONIC) - startWall;
            cpu = Seconds(CLOCK_THREAD_CPUTIME_ID) - startCpu;
            measuredCalls = calls - startCalls;
            // Made once the GL driver is loaded, so that it can tell the driver's blocks apart.
            probe.emplace(true);
        }
        if (steps >= kWarmUp + kFrames + kCounted && probe.has_value()) {
            allocations = probe->Allocations();
            mainAllocations = probe->OwnThreadAllocations();
            driverAllocations = probe->OwnThreadDriverAllocations();
            audioAllocations = probe->AudioThreadAllocations();
            probe.reset();
            return false;
        }
        return going;
    }

    std::optional<qmtest::AllocationProbe> probe;
    long calls = 0;
    long startCalls = 0;
    long measuredCalls = 0;
    long allocations = 0;
    long mainAllocations = 0;
    long driverAllocations = 0;
    long audioAllocations = 0;
    double firstStepAt = -1.0;
    double startWall = 0.0;
    double startCpu = 0.0;
    double wall = 0.0;
    double cpu = 0.0;
};

}  // namespace

int main()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    qmtest::TempDir dir;
    sample::WriteSampleFolder(dir.Path());  // the tables and pictures the first scene reads
    qmtest::ScopedCwd cwd(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    platform::SetMessageBoxHook([](const platform::MessageBoxRecord& r) { std::fprintf(stderr, "message box\n"); (void)r; });
    std::ofstream("setting.ini", std::ios::binary)
        << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
    MeasuredGameWnd app;
    app.Run(1);
    if (app.wall <= 0.0) {
        std::fprintf(stderr, "the title did not run\n");
        return 1;
    }
    const double percent = app.cpu / app.wall * 100.0;
    std::printf("%u frames in %.2f s; %ld calls of Frame (%.2f a step)\n", kFrames, app.wall, app.measuredCalls,
                static_cast<double>(app.measuredCalls) / kFrames);
    std::printf("main thread: %.3f ms CPU per frame\n", app.cpu * 1000.0 / kFrames);
    if (qmtest::AllocationProbe::Available()) {
        std::printf("allocations per frame on all threads (the rasteriser's included): %.2f\n",
                    static_cast<double>(app.allocations) / kCounted);
        std::printf("idle main thread %.1f %% of one core, allocations per frame %.2f main (%.2f inside the GL driver, "
                    "%.2f the game's own), %.2f audio; goal <= 5 %%, 0 the game's own, 0 audio\n",
                    percent, static_cast<double>(app.mainAllocations) / kCounted,
                    static_cast<double>(app.driverAllocations) / kCounted,
                    static_cast<double>(app.mainAllocations - app.driverAllocations) / kCounted,
                    static_cast<double>(app.audioAllocations) / kCounted);
    } else {
        std::printf("idle main thread %.1f %% of one core, allocations not counted in this build; goal <= 5 %%, 0\n",
                    percent);
    }
    return 0;
}
