// The walk both field benchmarks play: the battle map with enemies of the six classes on a grid
// around the middle of the ground and no spawning, the player pacing right and left of the
// middle among them steered by the arrow keys, and pools of live catalogue effects and shots
// raised again as they end.
#pragma once

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "formats/field_writer.h"
#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"
#include "support/effect_probe.h"
#include "support/shot_probe.h"

namespace fieldwalk {

// Runs play(result) in a child process, so that neither run leaves anything to the next; the
// result (plain data) comes back through a pipe. False when the child failed.
template <typename Result, typename Play>
bool RunApart(Result* result, const Play& play)
{
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        Result r{};
        const bool ok = play(&r) && write(fds[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    const bool got = child > 0 && read(fds[0], result, sizeof *result) == static_cast<ssize_t>(sizeof *result);
    close(fds[0]);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && got;
}


constexpr int kObjects = 30;
constexpr int kCrowd = 100;
constexpr int kEffects = 40;
constexpr int kShots = 4;
// One type id per enemy class. The time-stopping one stops time only when its stop blow lands on
// the player; the bench checks that it never does, so every step is the plain one.
constexpr const auto& kEnemyTypes = qmtest::kFieldEnemyClassTypes;
constexpr int kClasses = static_cast<int>(std::size(kEnemyTypes));

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
// The field of map entry (of map file `file`) pushed on app with the generator seeded (the game seeds it from the clock
// as it starts; a bench plays the same draws every run); its area, or null, said on stderr, when
// the field cannot be made or its count of enemies is not placed.
inline TAreaBase* StartField(TGameWnd& app, const std::string& entry, std::uint32_t seed, int count,
                             const std::string& file = "map00")
{
    init_genrand(seed);
    TFieldLoop* field = TFieldLoop::CreateAtPosition(&app, file + "/" + entry, qmtest::FieldLayout::Start(),
                                                     qmtest::FieldLayout::StartDirection(),
                                                     qmtest::FieldLayout::StartCamera());
    if (field == nullptr) {
        std::fprintf(stderr, "the field could not be made\n");
        return nullptr;
    }
    app.PushScene(field);
    TAreaBase* area = field->GetArea();
    const TEnemyFactory* enemies = area->GetEnemies();
    if (enemies == nullptr || enemies->GetLive().size() != static_cast<std::size_t>(count)) {
        std::fprintf(stderr, "the map's enemies were not placed\n");
        return nullptr;
    }
    return area;
}

D3DXVECTOR3 Middle() { return {qmtest::FieldLayout::kSize * 0.5F, 0.0F, 20.0F}; }

// The battle map with kObjects enemies on a 6 x 5 grid 3 apart around the middle (x 12.5..27.5,
// z 14..26), or kCrowd on a 10 x 10 grid 2.4 apart (x 9.2..30.8, z 8.2..29.8), and no spawning.
// Anything on the ground is within the spawn distance of the player.
std::vector<qmtest::FieldMap> BenchMaps(int count, std::vector<qmtest::FieldMap> maps)
{
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

// One step's preparation: the player put back when it strayed, the goal turned when reached, the
// arrow keys pressed toward it, and the effects and shots that ended raised again.
class FieldWalk {
public:
    explicit FieldWalk(TAreaBase* area, int effects = kEffects)
        : m_area(area), m_slots(effects), m_effectIds(EffectIds(*area->GetEffectManager())),
          m_effects(m_effectIds, effects), m_shots(TShotProbe::PrototypeIds(*area->GetEffectManager()), kShots)
    {
    }

    void Prepare()
    {
        const D3DXVECTOR3 middle = Middle();
        D3DXVECTOR3 at;
        m_area->GetPlayer()->GetPosition(&at);
        const D3DXVECTOR3 off = at - middle;
        if (std::fabs(off.x) > kStray || std::fabs(off.z) > kStray) {
            m_area->GetPlayer()->SetPosition(FreeSpot(*m_area->GetEnemies(), middle));
            ++m_putBack;
        }
        const D3DXVECTOR3 left = m_goal - at;
        if (D3DXVec3Length(&left) < 1.0F) {
            m_goal = middle + D3DXVECTOR3(m_goal.x > middle.x ? -kPace : kPace, 0.0F, 0.0F);
        }
        SteerToward(m_area, m_goal);
    }
    // After the input is polled.
    void Refill()
    {
        TEffectManager& manager = *m_area->GetEffectManager();
        m_effects.Refill(manager, m_area, Middle());
        m_shots.Refill(manager, m_area, Middle());
        m_fewestLive = std::min(m_fewestLive, TEffectProbe::LiveCount(manager));
    }
    // Every effect kind was raised and the pools never ran short.
    bool Full() const
    {
        return m_effects.Kinds() == m_effectIds.size() && m_fewestLive >= static_cast<std::uint32_t>(m_slots + kShots);
    }
    const EffectPool& Effects() const { return m_effects; }
    const std::vector<std::uint32_t>& EffectIds() const { return m_effectIds; }
    const EffectPool& Shots() const { return m_shots; }
    std::uint32_t FewestLive() const { return m_fewestLive; }
    int PutBack() const { return m_putBack; }

    // The catalogue's effects that are not shots.
    static std::vector<std::uint32_t> EffectIds(const TEffectManager& manager)
    {
        const std::vector<std::uint32_t> shotIds = TShotProbe::PrototypeIds(manager);
        std::vector<std::uint32_t> ids;
        for (std::uint32_t id : TEffectManager::GetCatalogueIds()) {
            if (std::find(shotIds.begin(), shotIds.end(), id) == shotIds.end()) {
                ids.push_back(id);
            }
        }
        return ids;
    }

private:
    TAreaBase* m_area;
    int m_slots;
    std::vector<std::uint32_t> m_effectIds;
    EffectPool m_effects;
    EffectPool m_shots;
    D3DXVECTOR3 m_goal = Middle() + D3DXVECTOR3(kPace, 0.0F, 0.0F);
    int m_putBack = 0;
    std::uint32_t m_fewestLive = ~0u;
};

}  // namespace fieldwalk
