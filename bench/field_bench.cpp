// Field logic on one core: a battle area's step (player, enemies, object walk, attack pass,
// movement, collision, shadows, camera, mesh cells, effects, minimap) with the player pacing to and
// fro among 30 enemies of the six classes the map places around it, 40 live effects of the
// catalogue and a few shots. The ground has no walls at its edges: the player keeps to the middle
// of the ground, or the enemies crowding it walk off an edge, fall and count as out of range.
// Prints the CPU time per step and the heap allocations per step once the area runs steadily
// (allocations counted in sanitizer builds only, on the thread that steps the field: the music
// stream's own thread allocates in its waits and is no part of the step). Effects that end are
// raised again between steps; a new effect allocates by design, so steps in which one is created
// (effects raising effects included) are left out of the allocation count. The generator is
// seeded the same every run, so every run plays the same steps (--seed N plays other draws).
// The same walk runs again among 100 enemies in a child process: the step's cost grows with the
// enemies, not with their pairs. Enemies that fall out of range are counted.
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
#include <string>
#include <utility>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Enemy/TimeStop.h"
#include "MainCode/Shot/TShotPrototypes.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"
#include "support/alloc_probe.h"
#include "support/field_state_hash.h"
#include "formats/field_writer.h"
#include "support/temp_dir.h"
#include "platform/testing/win32.h"

namespace {

constexpr int kObjects = 30;
constexpr int kCrowd = 100;
constexpr int kEffects = 40;
constexpr int kShots = 4;
// One type id per enemy class. The time-stopping one stops time only when its stop blow lands on
// the player; the bench checks that it never does, so every step is the plain one.
constexpr const auto& kEnemyTypes = qmtest::kFieldEnemyClassTypes;
constexpr int kClasses = static_cast<int>(std::size(kEnemyTypes));
constexpr int kWarmUp = 120;
constexpr int kSteps = 2000;

double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The player walks to a point this far right of the middle, then as far left, and so on, steered
// by the arrow keys (which move it relative to the camera).
constexpr float kPace = 3.0F;
// Pushed about by the enemies or overshooting a turn, a player that strays this far from the
// middle (across, along z) is put back near it: steering alone lets it wander off to the edges.
constexpr float kStray = 3.5F;

// The middle of the ground, well away from its edges (the wall lies at z 30).
D3DXVECTOR3 Middle() { return {qmtest::FieldLayout::kSize * 0.5F, 0.0F, 20.0F}; }

// The battle map with kObjects enemies on a 6 x 5 grid 3 apart around the middle (x 12.5..27.5,
// z 14..26), or kCrowd on a 10 x 10 grid 2.4 apart (x 9.2..30.8, z 8.2..29.8), and no spawning.
// Anything on the ground is within the spawn distance of the player.
std::vector<qmtest::FieldMap> BenchMaps(int count)
{
    std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
    qmtest::FieldMap& battle = maps[0];
    battle.maxLive = 0;
    battle.spawnDistance = qmtest::FieldLayout::kSize;
    battle.enemies.clear();
    const D3DXVECTOR3 middle = Middle();
    const int columns = count == kObjects ? 6 : 10;
    const int rows = count / columns;
    const float apart = count == kObjects ? 3.0F : 2.4F;
    for (int i = 0; i < count; ++i) {
        const D3DXVECTOR3 at(middle.x + (static_cast<float>(i % columns) - 0.5F * (columns - 1)) * apart, 0.0F,
                             middle.z + (static_cast<float>(i / columns) - 0.5F * (rows - 1)) * apart -
                                 (count == kObjects ? 0.0F : 1.0F));
        battle.enemies.push_back({kEnemyTypes[i % kClasses], at, D3DXVECTOR3(0.0F, 0.0F, 0.0F)});
    }
    return maps;
}

// Presses the arrow keys that take the player toward the goal as the camera sees it.
void SteerToward(TAreaBase* area, const D3DXVECTOR3& goal)
{
    D3DXVECTOR3 at;
    area->GetPlayer()->GetPosition(&at);
    D3DXMATRIX camera;
    area->GetCamera()->GetFrame()->GetWorldMatrix(&camera);
    const float dx = goal.x - at.x;
    const float dz = goal.z - at.z;
    // The camera's right and forward axes along the ground.
    const float across = dx * camera._11 + dz * camera._13;
    const float ahead = dx * camera._31 + dz * camera._33;
    const float slack = 0.4F * std::sqrt(dx * dx + dz * dz);
    platform::InjectKey(VK_RIGHT, across > slack);
    platform::InjectKey(VK_LEFT, across < -slack);
    platform::InjectKey(VK_UP, ahead > slack);
    platform::InjectKey(VK_DOWN, ahead < -slack);
}

// The middle, or the first spot beside it with no enemy within 2: a player put down on an enemy
// would push it down through the ground.
D3DXVECTOR3 FreeSpot(const TEnemyFactory& enemies, const D3DXVECTOR3& middle)
{
    constexpr float kAside[9][2] = {{0, 0}, {-2, 0}, {2, 0}, {0, -2}, {0, 2}, {-2, -2}, {2, -2}, {-2, 2}, {2, 2}};
    for (const auto& aside : kAside) {
        const D3DXVECTOR3 spot = middle + D3DXVECTOR3(aside[0], 0.0F, aside[1]);
        std::uint32_t found = 0;
        enemies.FindEnemiesInRange(spot + D3DXVECTOR3(0.0F, 0.5F, 0.0F), 2.0F, &found, 1);
        if (found == 0xFFFFFFFFU) {
            return spot;
        }
    }
    return middle;
}

// Keeps a set of slots filled with live effects, each slot raising the next id of its list when
// its effect has ended.
class EffectPool {
public:
    EffectPool(std::vector<std::uint32_t> ids, int slots) : m_ids(std::move(ids)), m_serials(slots, -1) {}

    // Raises what has ended around the player; answers how many were raised.
    int Refill(TEffectManager& manager, TAreaBase* area, const D3DXVECTOR3& around)
    {
        int raised = 0;
        for (std::size_t i = 0; i < m_serials.size(); ++i) {
            if (m_serials[i] >= 0 && manager.FindLive(m_serials[i]).Get() != nullptr) {
                continue;
            }
            const std::uint32_t id = m_ids[m_next++ % m_ids.size()];
            const float angle = static_cast<float>(i) * 0.7F;
            const D3DXVECTOR3 at(around.x + 2.0F * std::cos(angle), 1.0F, around.z + 2.0F * std::sin(angle));
            const D3DXVECTOR3 heading(std::cos(angle), 0.0F, std::sin(angle));
            const float colour[4] = {1.0F, 1.0F, 1.0F, 1.0F};
            const float scale[3] = {1.0F, 1.0F, 1.0F};
            TEffect* effect = manager.Create(id, &at, &heading, area->GetSceneFrame(), area, colour, scale);
            m_serials[i] = effect != nullptr ? effect->GetSerial() : -1;
            if (effect != nullptr && std::find(m_seen.begin(), m_seen.end(), id) == m_seen.end()) {
                m_seen.push_back(id);
            }
            ++raised;
        }
        return raised;
    }
    std::size_t Kinds() const { return m_seen.size(); }

private:
    std::vector<std::uint32_t> m_ids;
    std::vector<std::int32_t> m_serials;
    std::vector<std::uint32_t> m_seen;
    std::size_t m_next = 0;
};


struct Result {
    double ms = 0.0;
    long allocations = 0;
    int countedSteps = 0;
    std::size_t live = 0;
};

// Plays the walk among `count` enemies; false when the field could not be played as planned.
bool Play(int count, std::uint32_t seed, std::FILE* trace, Result* result)
{
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    std::ofstream("setting.ini", std::ios::binary)
        << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
    qmtest::WriteFieldFolder(".", BenchMaps(count));
    qmtest::WriteFieldEnemyTable(".", {std::begin(kEnemyTypes), std::end(kEnemyTypes)});

    TGameWnd app(0, "Verrow Quillmark", "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                 nullptr, nullptr, 101, 104);
    app.Create();
    app.Init();
    // The game seeds its generator from the clock as it starts; the bench plays the same draws
    // every run.
    init_genrand(seed);
    TFieldLoop* field = TFieldLoop::CreateAtPosition(&app, "map00/battle", qmtest::FieldLayout::Start(),
                                                     qmtest::FieldLayout::StartDirection(),
                                                     qmtest::FieldLayout::StartCamera());
    if (field == nullptr) {
        std::fprintf(stderr, "the field could not be made\n");
        return false;
    }
    app.PushScene(field);
    TAreaBase* area = field->GetArea();
    const TEnemyFactory* enemies = area->GetEnemies();
    if (enemies == nullptr || enemies->GetLive().size() != static_cast<std::size_t>(count)) {
        std::fprintf(stderr, "the map's enemies were not placed\n");
        return false;
    }
    // Every effect kind of the catalogue in turn, and a few shots, around the walk.
    TEffectManager* manager = area->GetEffectManager();
    const std::vector<std::uint32_t>& shotIds = GetShotPrototypeIds();
    std::vector<std::uint32_t> effectIds;
    for (std::uint32_t id : TEffectManager::GetCatalogueIds()) {
        if (std::find(shotIds.begin(), shotIds.end(), id) == shotIds.end()) {
            effectIds.push_back(id);
        }
    }
    EffectPool effects(effectIds, kEffects);
    EffectPool shots(shotIds, kShots);
    const D3DXVECTOR3 middle = Middle();

    // The player paces right and left of the middle, among the enemies.
    D3DXVECTOR3 goal = middle + D3DXVECTOR3(kPace, 0.0F, 0.0F);
    int putBack = 0;
    qmtest::AllocationProbe probe;
    double cpu = 0.0;
    long allocations = 0;
    int countedSteps = 0;
    std::uint32_t fewestLive = ~0u;
    for (int step = 0; step < kWarmUp + kSteps; ++step) {
        D3DXVECTOR3 at;
        area->GetPlayer()->GetPosition(&at);
        const D3DXVECTOR3 off = at - middle;
        if (std::fabs(off.x) > kStray || std::fabs(off.z) > kStray) {
            area->GetPlayer()->SetPosition(FreeSpot(*enemies, middle));
            ++putBack;
        }
        const D3DXVECTOR3 left = goal - at;
        if (D3DXVec3Length(&left) < 1.0F) {
            goal = middle + D3DXVECTOR3(goal.x > middle.x ? -kPace : kPace, 0.0F, 0.0F);
        }
        SteerToward(area, goal);
        app.GetInput()->PollInput();
        // Raising effects is the bench's own work too; a step that follows a raise still counts
        // its allocations unless it raises effects itself.
        effects.Refill(*manager, area, middle);
        shots.Refill(*manager, area, middle);
        fewestLive = std::min(fewestLive, manager->GetLiveCount());
        const std::int32_t serial = manager->GetNextSerial();
        const long before = probe.OwnThreadAllocations();
        const double start = Seconds(CLOCK_THREAD_CPUTIME_ID);
        area->Update();
        if (step >= kWarmUp) {
            cpu += Seconds(CLOCK_THREAD_CPUTIME_ID) - start;
            if (manager->GetNextSerial() == serial) {
                allocations += probe.OwnThreadAllocations() - before;
                ++countedSteps;
            }
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
    result->live = enemies->GetLive().size();
    app.Shutdown();
    if (effects.Kinds() != effectIds.size() || fewestLive < static_cast<std::uint32_t>(kEffects + kShots)) {
        std::fprintf(stderr, "%zu effect kinds of %zu raised, %u effects live at the fewest\n", effects.Kinds(),
                     effectIds.size(), fewestLive);
        return false;
    }
    if (trace == nullptr && count == kObjects) {
        std::fprintf(stderr,
                     "%zu effect kinds, %zu shot kinds, %d of %d steps without a new effect, the player put back %d "
                     "times\n",
                     effects.Kinds(), shots.Kinds(), countedSteps, kSteps, putBack);
    }
    result->ms = cpu * 1000.0 / kSteps;
    result->allocations = allocations;
    result->countedSteps = countedSteps;
    return true;
}

// The crowd's walk in a child process, so that neither field leaves anything to the other.
bool PlayCrowd(std::uint32_t seed, Result* result)
{
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        Result r;
        const bool ok = Play(kCrowd, seed, nullptr, &r);
        const bool written = ok && write(fds[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
        _exit(written ? 0 : 1);
    }
    close(fds[1]);
    const bool read = child > 0 && ::read(fds[0], result, sizeof *result) == static_cast<ssize_t>(sizeof *result);
    close(fds[0]);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && read;
}

}  // namespace

// --trace FILE writes the state hash after every step of the walk among 30, one a line: two runs
// of the same build compare line by line. --seed N seeds the generator with N instead of 1.
int main(int argc, char** argv)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
    std::uint32_t seed = 1;
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 < argc && option == "--trace") {
            trace.reset(std::fopen(argv[i + 1], "w"));
            if (!trace) {
                std::fprintf(stderr, "cannot write %s\n", argv[i + 1]);
                return 1;
            }
        } else if (i + 1 < argc && option == "--seed") {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        } else {
            std::fprintf(stderr, "usage: %s [--trace FILE] [--seed N]\n", argv[0]);
            return 1;
        }
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::SetMessageBoxHook([](const platform::MessageBoxRecord& r) { std::fprintf(stderr, "%s\n", r.text.c_str()); });
    Result crowd;
    if (!trace && !PlayCrowd(seed, &crowd)) {
        std::fprintf(stderr, "the walk among %d enemies failed\n", kCrowd);
        return 1;
    }
    Result r;
    if (!Play(kObjects, seed, trace.get(), &r)) {
        return 1;
    }
    // The enemies stay about the player: none may sink under the ground and fall out of range.
    if (r.live != static_cast<std::size_t>(kObjects)) {
        std::fprintf(stderr, "%zu enemies of %d at the end\n", r.live, kObjects);
    }
    if (trace) {
        return 0;
    }
    char ran[160];
    std::snprintf(ran, sizeof ran,
                  "player, %d enemies of six classes (%zu left), %d effects, %d shots; %.3f ms/step among %d (%zu left), "
                  "%.2fx",
                  kObjects, r.live, kEffects, kShots, crowd.ms, kCrowd, crowd.live, crowd.ms / r.ms);
    if (qmtest::AllocationProbe::Available()) {
        std::printf("field logic %.3f ms/step, %ld allocations in the %d steps creating no effect (%s); goal <= 1.0 "
                    "ms, 0, 30 left, <= 3.5x among %d\n",
                    r.ms, r.allocations, r.countedSteps, ran, kCrowd);
    } else {
        std::printf("field logic %.3f ms/step, allocations not counted in this build (%s); goal <= 1.0 ms, 30 left, "
                    "<= 3.5x among %d\n",
                    r.ms, ran, kCrowd);
    }
    return 0;
}
