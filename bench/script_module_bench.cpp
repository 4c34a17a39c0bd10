// Frames of scripts that loop on module commands, in the game: the generated sample folder, a new
// game walked through its opening scenes (cancel held) into the town, then, between two of the
// town's frames, a script manager with the modules a conversation gets (those a map object's
// conversation run registers) running one frame of WHILE 1 around each shape: short statements
// for the bound, the message window's clear and name plate, the story event start, a long text
// argument, a long skipped ELIF chain and a long unary chain. Prints each frame's wall and CPU
// time, the statements and tokens the budget saw, and the process's resident memory before and
// after the frame. Each shape runs in its own child process, the story event start last of all
// since its scenes stay queued.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TPBFlag.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/Script/TShopModule.h"
#include "bench_clock.h"
#include "field_walk.h"
#include "formats/script_assembler.h"
#include "make-sample-data/SampleData.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/title_road.h"

namespace {

using qmtest::Button;

struct Shape {
    const char* what;
    std::vector<std::string> body;
};

struct Result {
    double wallMs = 0.0;
    double cpuMs = 0.0;
    long rssBeforeKiB = 0;
    long rssAfterKiB = 0;
    long statements = 0;
    long tokens = 0;
};

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// "ran N statements in one frame, working through M tokens" from the budget's log line.
void ReadLog(const std::string& path, Result* r)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t ran = line.find("\" ran ");
        if (ran != std::string::npos) {
            std::sscanf(line.c_str() + ran, "\" ran %ld statements in one frame, working through %ld tokens", &r->statements,
                        &r->tokens);
        }
    }
}

bool Play(const Shape& shape, Result* r)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    qmtest::TempDir dir;
    sample::WriteSampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    if (!driver.Start() || !qmtest::ReachTitleMenu(driver)) {
        return false;
    }
    qmtest::ChooseTitleItem(driver, 0);
    driver.Steps(40);
    driver.Press(Button::A);
    const auto field = [&] { return dynamic_cast<TFieldLoop*>(driver.Current()); };
    driver.Hold(Button::B, true);
    for (int frame = 0; field() == nullptr && frame < 6000; ++frame) {
        driver.Step();
    }
    driver.Hold(Button::B, false);
    if (field() == nullptr || dynamic_cast<TTownArea*>(field()->GetArea()) == nullptr) {
        return false;
    }
    driver.Steps(30);
    TGameWnd* app = driver.App();
    qmtest::ScriptFileWriter().Script("main", shape.body).Save((dir.Path() / "data/scr04/bench.pbsc").string());

    TScriptProcessManager* manager = TScriptProcessManager::Create();
    manager->AddModule(new TMessageWindow(app->GetInput()));
    manager->AddModule(new TPBFlag(app));
    manager->AddModule(new TMapEventModule(app, field()));
    manager->AddModule(new TShopModule(app, field()));
    manager->Push("bench.pbsc/main");
    const std::string log = (dir.Path() / "log.txt").string();
    std::fflush(stderr);
    const int saved = dup(2);
    if (std::freopen(log.c_str(), "w", stderr) == nullptr) {
        return false;
    }
    r->rssBeforeKiB = ResidentKiB();
    const double wall = Seconds(CLOCK_MONOTONIC);
    const double cpu = Seconds(CLOCK_THREAD_CPUTIME_ID);
    manager->Step();
    r->cpuMs = (Seconds(CLOCK_THREAD_CPUTIME_ID) - cpu) * 1000.0;
    r->wallMs = (Seconds(CLOCK_MONOTONIC) - wall) * 1000.0;
    r->rssAfterKiB = ResidentKiB();
    std::fflush(stderr);
    dup2(saved, 2);
    ReadLog(log, r);
    TScriptProcessManager::Destroy();
    driver.Stop();
    return true;
}

std::string Repeated(const char* piece, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

}  // namespace

int main()
{
    std::vector<std::string> elif = {"WHILE 1", "IF 1", "g.x = 1"};
    elif.insert(elif.end(), 100000, "ELIF 0");
    elif.insert(elif.end(), {"END", "END"});
    const Shape shapes[] = {
        {"short statements (g.x = g.x + 1)", {"WHILE 1", "g.x = g.x + 1", "END"}},
        {"Text 3 2 (clear both)", {"WHILE 1", "CALL @@SendMsg \"Text\" 3 2", "END"}},
        {"Text 4 \"NAME\" (name plate)", {"WHILE 1", "CALL @@SendMsg \"Text\" 4 \"NAME\"", "END"}},
        {"@@Random with a 60,000-byte text", {"WHILE 1", "CALL @@Random \"" + std::string(60000, 'x') + "\"", "END"}},
        {"100,000 ELIF links skipped", elif},
        {"3,000 unary operators", {"WHILE 1", "g.x = " + Repeated("~ ", 3000) + "g.x + 1", "END"}},
        {"MapEvent 2 301 0 (story event)", {"WHILE 1", "CALL @@SendMsg \"MapEvent\" 2 301 0", "END"}},
    };
    double bound = 0.0;
    double worst = 0.0;
    for (const Shape& shape : shapes) {
        Result r;
        if (!fieldwalk::RunApart(&r, [&](Result* out) { return Play(shape, out); })) {
            std::printf("%-36s did not run\n", shape.what);
            return 1;
        }
        if (bound == 0.0) {
            bound = r.wallMs;
        } else if (r.wallMs > worst) {
            worst = r.wallMs;
        }
        std::printf("%-36s %9.1f ms wall %9.1f ms CPU  %8ld statements %9ld tokens  RSS %ld -> %ld KiB\n", shape.what,
                    r.wallMs, r.cpuMs, r.statements, r.tokens, r.rssBeforeKiB, r.rssAfterKiB);
    }
    std::printf("script frame of short statements %.1f ms, slowest other shape %.1f ms; goal <= %.1f ms (1.5 x short)\n",
                bound, worst, bound * 1.5);
    return 0;
}
