// The battle map's build in the generated sample folder: the CPU time of making the field (map,
// ground, objects, enemies, effect catalogue), and the files it opens with the read() calls made
// for them. Each build runs in a fresh process, after the title's start-up, five times; the
// median is printed.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "MainCode/Map/TFieldLoop.h"
#include "field_walk.h"
#include "MainCode/TGameWnd.h"
#include "formats/field_writer.h"
#include "make-sample-data/SampleData.h"
#include "platform/testing/win32.h"
#include "platform/win32/msgbox.h"
#include "support/temp_dir.h"

namespace {

constexpr int kRuns = 5;

struct Build {
    double ms = 0.0;
    long opens = 0;
    long reads = 0;
};

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

bool BuildOnce(const std::string& folder, Build* out)
{
    qmtest::ScopedCwd cwd(folder);
    TGameWnd app(0, "Verrow Quillmark", "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                 nullptr, nullptr, 101, 104);
    app.Create();
    app.Init();
    const platform::FileCallCounts before = platform::FileCalls();
    const double start = ThreadSeconds();
    TFieldLoop* field = TFieldLoop::CreateAtPosition(&app, sample::SampleLayout::kBattle,
                                                     qmtest::FieldLayout::Start(),
                                                     qmtest::FieldLayout::StartDirection(),
                                                     qmtest::FieldLayout::StartCamera());
    out->ms = (ThreadSeconds() - start) * 1000.0;
    const platform::FileCallCounts after = platform::FileCalls();
    out->opens = after.opens - before.opens;
    out->reads = after.reads - before.reads;
    if (field == nullptr) {
        return false;
    }
    app.PushScene(field);
    app.Shutdown();
    return true;
}

}  // namespace

int main()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::SetMessageBoxHook([](const platform::MessageBoxRecord& r) { std::fprintf(stderr, "%s\n", r.text.c_str()); });
    qmtest::TempDir dir;
    sample::WriteSampleFolder(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    std::ofstream(dir.Path() / "setting.ini", std::ios::binary)
        << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
    std::vector<Build> builds;
    for (int run = 0; run < kRuns; ++run) {
        Build b;
        if (!fieldwalk::RunApart(&b, [&dir](Build* out) { return BuildOnce(dir.Path().string(), out); })) {
            std::fprintf(stderr, "the field could not be built\n");
            return 1;
        }
        builds.push_back(b);
    }
    std::sort(builds.begin(), builds.end(), [](const Build& a, const Build& b) { return a.ms < b.ms; });
    const Build& b = builds[kRuns / 2];
    std::printf("field build %.1f ms CPU (fastest %.1f, slowest %.1f); %ld files opened, %ld read() calls, %.2f a file; "
                "goal <= 20 ms, <= 2\n",
                b.ms, builds.front().ms, builds.back().ms, b.opens, b.reads,
                b.opens > 0 ? static_cast<double>(b.reads) / static_cast<double>(b.opens) : 0.0);
    return 0;
}
