#include "MainCode/Shot/TShotPrototypes.h"

#include <algorithm>
#include <string>

#include "MainCode/Shot/TShotJ.h"
#include "MainCode/Shot/TShots.h"
#include "MainCode/Shot/TStarShot.h"

namespace {

enum class Kind { A, B, C, D, E, F, G, H, I, J, M, N };

struct ShotRow {
    std::uint32_t id;
    Kind kind;
    const char* name;
    std::int32_t flight;
    std::int32_t parts;
    bool parked;
    float scale[3];
    // J: end effect; M, N: burst A.
    std::int32_t endOrBurst;
    std::int32_t sound;
    std::uint16_t hitEvent;
};

// Ascending ids.
const ShotRow kRows[] = {
    {52, Kind::A, "effect.ptx/smoke", 60, 15, true, {0.5F, 0.5F, 1.0F}, 0, 0, 0},
    {56, Kind::B, "effect.ptx/star", 60, 20, true, {0.4F, 0.4F, 0.4F}, 0, 0, 0},
    {300, Kind::C, "effect.ptx/ain", 60, 7, true, {0.9F, 0.9F, 0.9F}, 0, 0, 0},
    {301, Kind::C, "effect.ptx/fire", 60, 7, true, {0.9F, 0.9F, 0.9F}, 0, 0, 0},
    {302, Kind::C, "effect.ptx/ice", 60, 7, true, {0.9F, 0.9F, 0.9F}, 0, 0, 0},
    {303, Kind::C, "effect.ptx/wind", 60, 7, true, {0.9F, 0.9F, 0.9F}, 0, 0, 0},
    {304, Kind::B, "effect.ptx/soil", 60, 7, true, {0.9F, 0.9F, 0.9F}, 0, 0, 0},
    {305, Kind::C, "effect.ptx/shine", 60, 7, true, {0.9F, 0.9F, 0.9F}, 0, 0, 0},
    {306, Kind::B, "effect.ptx/dark", 60, 7, true, {0.9F, 0.9F, 0.9F}, 0, 0, 0},
    {310, Kind::C, "effect.ptx/ain", 60, 6, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {311, Kind::C, "effect.ptx/fire", 60, 6, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {312, Kind::C, "effect.ptx/ice", 60, 6, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {313, Kind::C, "effect.ptx/wind", 60, 6, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {314, Kind::B, "effect.ptx/soil", 60, 6, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {315, Kind::C, "effect.ptx/shine", 60, 6, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {316, Kind::B, "effect.ptx/dark", 60, 6, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {320, Kind::C, "effect.ptx/ain", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {321, Kind::C, "effect.ptx/fire", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {322, Kind::C, "effect.ptx/ice", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {323, Kind::C, "effect.ptx/wind", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {324, Kind::B, "effect.ptx/soil", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {325, Kind::C, "effect.ptx/shine", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {326, Kind::B, "effect.ptx/dark", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {327, Kind::C, "effect.ptx/smoke", 60, 10, true, {1.0F, 1.0F, 1.0F}, 0, 0, 0},
    {328, Kind::B, "effect.ptx/star2", 60, 7, true, {0.9F, 0.9F, 0.9F}, 0, 0, 0},
    {329, Kind::B, "effect.ptx/star2", 60, 6, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {330, Kind::B, "effect.ptx/star2", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {400, Kind::D, "effect.ptx/fire", 40, 10, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {401, Kind::D, "effect.ptx/fire", 40, 15, true, {1.0F, 1.0F, 1.0F}, 0, 0, 0},
    {402, Kind::E, "wind01.msh", 40, 5, true, {0.8F, 0.8F, 0.8F}, 0, 0, 0},
    {403, Kind::E, "wind01.msh", 40, 10, true, {1.0F, 1.0F, 1.0F}, 0, 0, 0},
    {404, Kind::D, "effect.ptx/fire", 40, 30, true, {2.0F, 2.0F, 2.0F}, 0, 0, 0},
    {405, Kind::E, "wind01.msh", 20, 1, true, {1.5F, 1.0F, 1.2F}, 0, 0, 0},
    {406, Kind::E, "wind01.msh", 20, 1, true, {2.0F, 1.0F, 1.4F}, 0, 0, 0},
    {407, Kind::D, "effect.ptx/fire", 20, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {408, Kind::D, "effect.ptx/fire", 20, 10, true, {1.0F, 1.0F, 1.0F}, 0, 0, 0},
    {409, Kind::F, "effect.ptx/dark", 30, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {410, Kind::F, "effect.ptx/dark", 40, 10, true, {1.0F, 1.0F, 1.0F}, 0, 0, 0},
    {411, Kind::F, "effect.ptx/dark", 10, 4, true, {0.4F, 0.4F, 0.4F}, 0, 0, 0},
    {412, Kind::F, "effect.ptx/dark", 10, 6, true, {0.5F, 0.5F, 0.5F}, 0, 0, 0},
    {413, Kind::G, "effect.ptx/darksmoke", 10, 4, true, {1.0F, 1.0F, 1.0F}, 0, 0, 0},
    {414, Kind::G, "effect.ptx/darksmoke", 10, 6, true, {1.0F, 1.0F, 1.0F}, 0, 0, 0},
    {450, Kind::I, "effect.ptx/impact03", 60, 20, true, {0.5F, 6.0F, 1.0F}, 0, 0, 0},
    {451, Kind::I, "effect.ptx/impact03", 60, 4, true, {1.0F, 3.0F, 1.0F}, 0, 0, 0},
    {452, Kind::I, "effect.ptx/impact03", 60, 6, true, {1.2F, 4.0F, 1.0F}, 0, 0, 0},
    {453, Kind::D, "effect.ptx/wind", 60, 4, true, {0.4F, 0.4F, 0.4F}, 0, 0, 0},
    {454, Kind::D, "effect.ptx/wind", 60, 6, true, {0.6F, 0.6F, 0.6F}, 0, 0, 0},
    {455, Kind::I, "effect.ptx/impact03", 60, 20, true, {0.8F, 6.0F, 1.0F}, 0, 0, 0},
    {456, Kind::I, "effect.ptx/impact03", 120, 30, true, {0.8F, 6.0F, 1.0F}, 0, 0, 0},
    {500, Kind::J, "rock01_mesh.msh", 60, 1, true, {0.3F, 0.3F, 0.3F}, 501, 0, 0},
    {502, Kind::J, "rock01_mesh.msh", 60, 1, true, {0.5F, 0.5F, 0.5F}, 503, 0, 0},
    {504, Kind::J, "gareki00.msh", 60, 1, true, {1.0F, 1.0F, 1.0F}, 505, 0, 0},
    {506, Kind::J, "rock01_mesh.msh", 60, 1, true, {0.3F, 0.3F, 0.3F}, 507, 0, 0},
    {508, Kind::J, "rock01_mesh.msh", 60, 1, true, {0.5F, 0.5F, 0.5F}, 509, 0, 0},
    {510, Kind::J, "meteo.msh", 60, 1, false, {1.0F, 1.0F, 1.0F}, 511, 0, 0},
    {512, Kind::J, "meteo.msh", 60, 1, false, {1.0F, 1.0F, 1.0F}, 513, 0, 0},
    {550, Kind::M, "effect.ptx/smoke", 60, 1, true, {0.0F, 0.0F, 0.0F}, 109, -1, 0},
    {551, Kind::N, "effect.ptx/dark", 60, 10, true, {1.0F, 1.0F, 1.0F}, 114, 500, 2504},
    {552, Kind::N, "effect.ptx/dark", 60, 10, true, {1.0F, 1.0F, 1.0F}, 114, 500, 3504},
    {800, Kind::C, "effect.ptx/fire", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {801, Kind::C, "effect.ptx/fire", 60, 8, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {802, Kind::C, "effect.ptx/ice", 60, 10, true, {0.5F, 0.5F, 0.5F}, 0, 0, 0},
    {803, Kind::C, "effect.ptx/wind", 60, 10, true, {0.5F, 0.5F, 0.5F}, 0, 0, 0},
    {804, Kind::H, "effect.ptx/darksmoke", 60, 15, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {805, Kind::B, "effect.ptx/dark", 60, 5, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {806, Kind::B, "effect.ptx/dark", 60, 8, true, {0.7F, 0.7F, 0.7F}, 0, 0, 0},
    {807, Kind::B, "effect.ptx/soil", 60, 5, true, {0.5F, 0.5F, 0.5F}, 0, 0, 0},
    {808, Kind::C, "effect.ptx/shine", 60, 5, true, {0.5F, 0.5F, 0.5F}, 0, 0, 0},
    {809, Kind::B, "effect.ptx/star2", 60, 5, true, {1.0F, 1.0F, 1.0F}, 0, 0, 0},
    {1100, Kind::I, "effect.ptx/smoke", 60, 1, true, {0.0F, 0.0F, 0.0F}, 0, 0, 0},
};

TEffect* Build(const ShotRow& r)
{
    const std::string name = r.name;
    const float noOffset[3] = {0.0F, 0.0F, 0.0F};
    switch (r.kind) {
    case Kind::A: return new TShotA(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::B: return new TShotB(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::C: return new TShotC(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::D: return new TShotD(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::E: return new TShotE(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::F: return new TShotF(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::G: return new TShotG(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::H: return new TShotH(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::I: return new TShotI(name, r.flight, r.parts, r.parked, r.scale);
    case Kind::J: return new TShotJ(name, r.endOrBurst, r.flight, r.parts, r.parked, r.scale);
    case Kind::M:
        return new TShotM(name, r.endOrBurst, -1, r.flight, r.parts, r.parked, r.sound, r.hitEvent, noOffset, r.scale);
    case Kind::N:
        return new TShotN(name, r.endOrBurst, -1, r.flight, r.parts, r.parked, r.sound, r.hitEvent, noOffset, r.scale);
    }
    return nullptr;
}

}  // namespace

TEffect* NewShotPrototype(std::uint32_t id)
{
    const auto it = std::lower_bound(std::begin(kRows), std::end(kRows), id,
                                     [](const ShotRow& row, std::uint32_t key) { return row.id < key; });
    if (it == std::end(kRows) || it->id != id) {
        return nullptr;
    }
    return Build(*it);
}
