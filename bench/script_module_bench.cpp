// Frames of scripts that loop on module commands, in the game: the generated sample folder, a new
// game walked through its opening scenes (cancel held) into the town, then, between two of the
// town's frames, a script manager with the modules a conversation gets (those a map object's
// conversation run registers) running one frame of WHILE 1 around each shape: short statements
// for the bound, the message window's clear and name plate, the story event start, a long text
// argument, a long skipped ELIF chain, a long unary chain, a bag grown by a new item each pass,
// sixteen variables of long names, a name plate of a long name, calls of names a large file does
// not have, a script called with 6,000 arguments, a module sent 6,000 variables, 100,000 variables
// of distinct names, CALLs into 20,000 files that do not exist and of 20,000 new names of one file,
// the flag module given a 60,000-digit number and the flag module's reads, 2,000 missing files each
// spelled anew beside a crowded folder, missing files called frame after frame while that folder
// is changed between frames, missing files behind a path of many steps through a missing folder,
// 600 spellings of one file frame after frame, folders of long names called round in turn, and a
// folder of 300,000 names. Prints each frame's wall and CPU time (of a shape of several frames,
// its busiest), the statements and tokens the budget saw, and the process's resident memory before
// and after. Each shape runs in its own child process, the story event start last of all since its
// scenes stay queued.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
#include "MainCode/Script/ScriptWork.h"
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
    // Scripts of the file that nobody runs.
    std::vector<std::pair<std::string, std::vector<std::string>>> others = {};
    // Empty files made in the script folder before the first frame.
    int crowd = 0;
    // Frames stepped. Before each after the first the host clears its wait, starts the script
    // again once it has ended (an event that comes back), and, when the folder is touched, makes a
    // file in the script folder or removes it.
    int frames = 1;
    bool touched = false;
    // Folders made in the script folder, each with that many empty files of names that long.
    struct Folders {
        const char* under = "";
        int count = 0;
        int names = 0;
        int nameLength = 0;
    } folders = {};
};

// The files the crowded rows make: about as many as a set-up of a second or so makes, and no more
// than the system can list within the frames of the goal on a release build.
constexpr int kCrowdedFolder = 20000;

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
    qmtest::ScriptFileWriter writer;
    writer.Script("main", shape.body);
    for (const auto& other : shape.others) {
        writer.Script(other.first, other.second);
    }
    writer.Save((dir.Path() / "data/scr04/bench.pbsc").string());
    const std::filesystem::path folder = dir.Path() / "data/scr04";
    for (int i = 0; i < shape.crowd; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "crowd%06d.dat", i);
        std::ofstream(folder / name);
    }
    for (int f = 0; f < shape.folders.count; ++f) {
        char sub[32];
        std::snprintf(sub, sizeof(sub), "f%03d", f);
        const std::filesystem::path made = folder / shape.folders.under / sub;
        std::filesystem::create_directories(made);
        for (int i = 0; i < shape.folders.names; ++i) {
            char number[16];
            std::snprintf(number, sizeof(number), "%06d", i);
            const std::string name = number + std::string(shape.folders.nameLength - 10, 'x') + ".txt";
            std::ofstream(made / name);
        }
    }

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
    std::uint32_t result = 0;
    for (int frame = 0; frame < shape.frames; ++frame) {
        if (frame != 0) {
            manager->SetHostWait(0);
            if (result == TScriptProcessManager::kFinished) {
                manager->Push("bench.pbsc/main");
            }
            if (shape.touched && frame % 2 == 1) {
                std::ofstream(folder / "touched.dat");
            } else if (shape.touched) {
                std::filesystem::remove(folder / "touched.dat");
            }
        }
        const double wall = Seconds(CLOCK_MONOTONIC);
        const double cpu = Seconds(CLOCK_THREAD_CPUTIME_ID);
        result = manager->Step();
        const double cpuMs = (Seconds(CLOCK_THREAD_CPUTIME_ID) - cpu) * 1000.0;
        if (cpuMs >= r->cpuMs) {
            r->cpuMs = cpuMs;
            r->wallMs = (Seconds(CLOCK_MONOTONIC) - wall) * 1000.0;
        }
    }
    r->rssAfterKiB = ResidentKiB();
    std::fflush(stderr);
    dup2(saved, 2);
    ReadLog(log, r);
    TScriptProcessManager::Destroy();
    driver.Stop();
    return true;
}

// With a file named: the file put in place in the sample folder, a new game started and its first
// 900 frames timed (its first story event runs its script from about the 250th; the frame the
// scripts work most in is the one the file holds), then frames for a while more, with the resident
// memory after the 900 and at the end.
struct Held {
    double wallMs = 0.0;
    double cpuMs = 0.0;
    long frame = 0;
    long frames = 0;
    long rssBeforeKiB = 0;
    long rssAfterKiB = 0;
    long rssEndKiB = 0;
    long statements = 0;
    long tokens = 0;
};

bool PlayFile(const std::string& file, const std::string& place, double seconds, Held* h)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    qmtest::TempDir dir;
    sample::WriteSampleFolder(dir.Path());
    std::filesystem::copy_file(file, dir.Path() / place, std::filesystem::copy_options::overwrite_existing);
    qmtest::SceneDriver driver(dir.Path());
    if (!driver.Start() || !qmtest::ReachTitleMenu(driver)) {
        return false;
    }
    const std::string log = (dir.Path() / "log.txt").string();
    std::fflush(stderr);
    const int saved = dup(2);
    if (std::freopen(log.c_str(), "w", stderr) == nullptr) {
        return false;
    }
    std::uint64_t mostWork = 0;
    // At the game's pace, a frame every 1/60 s: stepped flat out, the software renderer queues
    // frames faster than it draws them, and its memory and the next frame's wait grow with any script.
    double next = Seconds(CLOCK_MONOTONIC);
    const auto timed = [&] {
        next += 1.0 / 60.0;
        const double wait = next - Seconds(CLOCK_MONOTONIC);
        if (wait > 0.0) {
            usleep(static_cast<useconds_t>(wait * 1e6));
        }
        const std::uint64_t tokens = ScriptWork::Tokens();
        const double wall = Seconds(CLOCK_MONOTONIC);
        const double cpu = Seconds(CLOCK_THREAD_CPUTIME_ID);
        const bool alive = driver.Step();
        const double cpuMs = (Seconds(CLOCK_THREAD_CPUTIME_ID) - cpu) * 1000.0;
        const double wallMs = (Seconds(CLOCK_MONOTONIC) - wall) * 1000.0;
        // The frame the scripts worked most in (not the one the event scene was built in).
        if (ScriptWork::Tokens() - tokens > mostWork) {
            mostWork = ScriptWork::Tokens() - tokens;
            h->wallMs = wallMs;
            h->cpuMs = cpuMs;
            h->frame = h->frames;
        }
        ++h->frames;
        return alive;
    };
    h->rssBeforeKiB = ResidentKiB();
    qmtest::ChooseTitleItem(driver, 0);
    driver.Steps(40);
    driver.Press(Button::A);
    for (int i = 0; i < 900 && timed(); ++i) {
    }
    h->rssAfterKiB = ResidentKiB();
    const double end = Seconds(CLOCK_MONOTONIC) + seconds;
    while (Seconds(CLOCK_MONOTONIC) < end && timed()) {
    }
    h->rssEndKiB = ResidentKiB();
    std::fflush(stderr);
    dup2(saved, 2);
    Result r;
    ReadLog(log, &r);
    h->statements = r.statements;
    h->tokens = r.tokens;
    driver.Stop();
    return true;
}

std::string Repeated(const char* text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    // script_module_bench FILE PLACE [SECONDS]: one file in the game instead of the shapes.
    if (argc >= 3) {
        Held h;
        const double seconds = argc >= 4 ? std::atof(argv[3]) : 0.0;
        if (!fieldwalk::RunApart(&h, [&](Held* out) { return PlayFile(argv[1], argv[2], seconds, out); })) {
            std::printf("%s did not run\n", argv[1]);
            return 1;
        }
        std::printf("%s: the scripts' busiest frame %.1f ms wall %.1f ms CPU (frame %ld of %ld), %ld statements "
                    "%ld tokens, RSS %ld -> %ld KiB after the walk, %ld KiB %.0f s later\n",
                    argv[1], h.wallMs, h.cpuMs, h.frame, h.frames, h.statements, h.tokens, h.rssBeforeKiB,
                    h.rssAfterKiB, h.rssEndKiB, seconds);
        return 0;
    }
    std::vector<std::string> elif = {"WHILE 1", "IF 1", "g.x = 1"};
    elif.insert(elif.end(), 100000, "ELIF 0");
    elif.insert(elif.end(), {"END", "END"});
    // Sixteen names of 60,000 bytes that differ only in their last two.
    std::vector<std::string> names = {"WHILE 1"};
    for (char c = 'a'; c < 'a' + 16; ++c) {
        names.push_back("g." + std::string(59998, 'n') + 'x' + c + " = 1");
    }
    names.push_back("END");
    // 5,000 calls of names the file does not have, the file padded to 4 MB.
    std::vector<std::string> missing;
    for (int i = 0; i < 5000; ++i) {
        char line[64];
        std::snprintf(line, sizeof(line), "CALL bench.pbsc/miss%05d", i);
        missing.push_back(line);
    }
    const std::vector<std::string> pad(70, "CALL @@Random \"" + std::string(60000, 'p') + "\"");
    // A script called with 6,000 digits, and a module sent 6,000 variables: statements of 54 KB.
    std::string numbers;
    std::string variables;
    for (int i = 0; i < 6000; ++i) {
        numbers += " " + std::to_string(i % 10);
        variables += " g.x";
    }
    // 100,000 variables of distinct names set each pass.
    std::vector<std::string> distinct = {"WHILE 1"};
    for (int i = 0; i < 100000; ++i) {
        char line[64];
        std::snprintf(line, sizeof(line), "g.v%06d = %d", i, i);
        distinct.push_back(line);
    }
    distinct.push_back("END");
    // 2,000 CALLs of files that do not exist, the i-th spelled with ".\" (i mod 300) + 1 times in
    // front of its name, each spelling a folder the system has not listed by that name.
    std::vector<std::string> spelled;
    for (int i = 0; i < 2000; ++i) {
        std::string prefix;
        for (int k = 0; k < i % 300 + 1; ++k) {
            prefix += ".\\\\";  // a backslash escaped for the assembler
        }
        spelled.push_back("CALL " + prefix + "m" + std::to_string(i) + ".pbsc/s");
    }
    // 20 CALLs of files that do not exist, then a wait to the next frame.
    std::vector<std::string> unsettled = {"WHILE 1"};
    for (int i = 0; i < 20; ++i) {
        unsettled.push_back("CALL n" + std::to_string(i) + ".pbsc/s");
    }
    unsettled.insert(unsettled.end(), {"CALL @@Wait", "END"});
    // 20,000 CALLs into files that do not exist, each a new name; 20,000 CALLs of new names of one
    // file, each script one statement.
    std::vector<std::string> missingFiles;
    std::vector<std::string> newNames;
    std::vector<std::pair<std::string, std::vector<std::string>>> named;
    for (int i = 0; i < 20000; ++i) {
        char line[64];
        std::snprintf(line, sizeof(line), "CALL m%05d.pbsc/s", i);
        missingFiles.push_back(line);
        std::snprintf(line, sizeof(line), "CALL bench.pbsc/s%05d", i);
        newNames.push_back(line);
        std::snprintf(line, sizeof(line), "s%05d", i);
        named.push_back({line, {"g.c = g.c + 1"}});
    }
    // 2,000 CALLs of missing files behind 24 steps out of the script folder and back in, into a
    // folder that is not there: 240 characters, written plainly "zz\m<i>.pbsc".
    std::vector<std::string> stepped;
    for (int i = 0; i < 2000; ++i) {
        stepped.push_back("CALL " + Repeated("..\\\\scr04\\\\", 24) + "zz\\\\m" + std::to_string(i) + ".pbsc/s");
    }
    // 600 spellings of one file (the case of "bench.pbsc" by the bits of i, behind i / 32 dot steps),
    // called frame after frame beside the crowded folder.
    std::vector<std::string> spellings = {"WHILE 1"};
    for (int i = 0; i < 600; ++i) {
        std::string name = "bench.pbsc";
        for (std::size_t b = 0, letter = 0; b < name.size(); ++b) {
            if (name[b] != '.' && ((i >> letter++) & 1) != 0) {
                name[b] = static_cast<char>(name[b] - 'a' + 'A');
            }
        }
        spellings.push_back("CALL " + Repeated(".\\\\", i / 32) + name + "/one");
    }
    spellings.insert(spellings.end(), {"CALL @@Wait", "END"});
    // One missing-file CALL a frame into each of four folders of 18,000 names of 204 letters in turn.
    std::vector<std::string> longNames = {"WHILE 1"};
    for (int f = 0; f < 4; ++f) {
        longNames.push_back("CALL long\\\\f00" + std::to_string(f) + "\\\\m.pbsc/s");
        longNames.push_back("CALL @@Wait");
    }
    longNames.push_back("END");
    // Missing-file CALLs into a folder of 300,000 names, one after the other.
    std::vector<std::string> over = {"WHILE 1", "g.i = g.i + 1", "CALL over\\\\f000\\\\m.pbsc/s", "END"};
    const Shape shapes[] = {
        {"short statements (g.x = g.x + 1)", {"WHILE 1", "g.x = g.x + 1", "END"}},
        {"Text 3 2 (clear both)", {"WHILE 1", "CALL @@SendMsg \"Text\" 3 2", "END"}},
        {"Text 4 \"NAME\" (name plate)", {"WHILE 1", "CALL @@SendMsg \"Text\" 4 \"NAME\"", "END"}},
        {"@@Random with a 60,000-byte text", {"WHILE 1", "CALL @@Random \"" + std::string(60000, 'x') + "\"", "END"}},
        {"100,000 ELIF links skipped", elif},
        {"3,000 unary operators", {"WHILE 1", "g.x = " + Repeated("~ ", 3000) + "g.x + 1", "END"}},
        {"Flag 1 13: a new item each pass", {"WHILE 1", "g.i = g.i + 1", "CALL @@SendMsg \"Flag\" 1 13 g.i 1", "END"}},
        {"16 variables of 60,000-byte names", names},
        {"Text 4 of a 60,000-letter name",
         {"WHILE 1", "CALL @@SendMsg \"Text\" 4 \"" + std::string(60000, 'N') + "\"", "END"}},
        {"5,000 CALLs of missing names, 4 MB file", missing, {{"pad", pad}}},
        {"CALL of a script with 6,000 arguments", {"WHILE 1", "CALL bench.pbsc/callee" + numbers, "END"},
         {{"callee", {"g.y = $5999"}}}},
        {"Flag 0 10 with 6,000 variables", {"g.x = 1", "WHILE 1", "CALL @@SendMsg \"Flag\" 0 10" + variables, "END"}},
        {"100,000 variables of distinct names", distinct},
        {"20,000 CALLs into missing files", missingFiles},
        {"20,000 CALLs of new names, one file", newNames, named},
        {"Flag 1 13 of a 60,000-digit number",
         {"WHILE 1", "g.i = g.i + 1", "CALL @@SendMsg \"Flag\" 1 13 " + std::string(60000, '9') + " 1", "END"}},
        {"Flag 0 5, Flag 0 10 (reads)",
         {"WHILE 1", "CALL @@SendMsg \"Flag\" 0 5", "CALL @@SendMsg \"Flag\" 0 10", "END"}},
        {"missing files spelled anew", spelled, {}, kCrowdedFolder},
        {"a folder that never settles", unsettled, {}, kCrowdedFolder, 30, true},
        {"a path of 24 steps, a folder missing", stepped},
        {"600 spellings of one file", spellings, {{"one", {"g.c = g.c + 1"}}}, kCrowdedFolder, 5},
        {"folders of 204-letter names", longNames, {}, 0, 16, false, {"long", 4, 18000, 204}},
        {"a folder of 300,000 names", over, {}, 0, 40, false, {"over", 1, 300000, 10}},
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
        // The story event start draws pictures: it is bounded by its own price, not measured against
        // the statements.
        if (bound == 0.0) {
            bound = r.cpuMs;
        } else if (&shape != &shapes[std::size(shapes) - 1] && r.cpuMs > worst) {
            worst = r.cpuMs;
        }
        std::printf("%-36s %9.1f ms wall %9.1f ms CPU  %8ld statements %9ld tokens  RSS %ld -> %ld KiB\n", shape.what,
                    r.wallMs, r.cpuMs, r.statements, r.tokens, r.rssBeforeKiB, r.rssAfterKiB);
    }
    std::printf("script frame of short statements %.1f ms CPU, slowest other shape but the story event %.1f ms CPU; "
                "goal <= %.1f ms (2 x short)\n",
                bound, worst, bound * 2.0);
    return 0;
}
