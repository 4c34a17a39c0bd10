// The prototypes of every effect id, built when the manager is made. Each loads its files here, so
// the whole effect folder is read at that moment.
#include <string>

#include "MainCode/Effect/TArrowEffect.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Effect/TRayEffect.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Effect/TSpawnPathEffect.h"
#include "MainCode/Effect/TThunderEffect.h"
#include "MainCode/Effect/TVecRange.h"
#include "MainCode/Shot/TShotPrototypes.h"
#include "TCommon/TByteReader.h"

namespace {

struct Scale {
    explicit Scale(float k) : v{k, k, k} {}
    float v[3];
};

const TVecRange kSmallBox(-0.1F, -0.1F, -0.1F, 0.1F, 0.1F, 0.1F);
const TVecRange kUnitBox(-1.0F, -1.0F, -1.0F, 1.0F, 1.0F, 1.0F);

TEffect* Burst(const char* key, std::uint32_t columns, std::uint32_t rows, std::uint32_t count, const TVecRange& from,
               const TVecRange& to, float dt, float scale)
{
    return new TParticleEffect(key, columns, rows, count, from.Get(), to.Get(), dt, Scale(scale).v);
}

TEffect* AlphaBurst(const char* key, std::uint32_t columns, std::uint32_t rows, std::uint32_t count,
                    const TVecRange& from, const TVecRange& to, float dt, float scale)
{
    return new TAlphaParticleEffect(key, columns, rows, count, from.Get(), to.Get(), dt, Scale(scale).v);
}

TEffect* Colour3(const char* model, float inEnd, float inStep, float holdEnd, float holdStep, float outEnd,
                 float outStep)
{
    return new TColourAnimEffect(model, inEnd, inStep, holdEnd, holdStep, outEnd, outStep);
}

TEffect* Mesh(const char* mesh, std::uint32_t sound, std::uint32_t duration, float speed, float gravity, float fade,
              std::int32_t mode, bool alphaMode, std::uint16_t hitEvent, float hitY, float scale)
{
    const D3DXVECTOR3 hitOffset(0.0F, hitY, 0.0F);
    return new TMeshEffect(mesh, sound, duration, 1, speed, gravity, fade, mode, alphaMode, hitEvent, &hitOffset,
                           Scale(scale).v);
}

// The element sparks 0-6, 10-16 and 20-26: element 0 is the plain mesh, soil and dark fade their alpha.
TEffect* ElementSpark(std::uint32_t id)
{
    static const char* const kKeys[] = {"effect.ptx/fire", "effect.ptx/ice",   "effect.ptx/wind",
                                        "effect.ptx/soil", "effect.ptx/shine", "effect.ptx/dark"};
    const std::uint32_t element = id % 10;
    const std::uint32_t count = id < 10 ? 3 : id < 20 ? 6 : 12;
    if (element == 0) {
        return new TParticleEffect("particle_mesh.msh", count, kSmallBox.Get(), kUnitBox.Get(), 0.04F, Scale(0.1F).v);
    }
    if (element == 4 || element == 6) {
        return AlphaBurst(kKeys[element - 1], 2, 2, count, kSmallBox, kUnitBox, 0.04F, 1.0F);
    }
    return Burst(kKeys[element - 1], 2, 2, count, kSmallBox, kUnitBox, 0.04F, 1.0F);
}

// Every id that is no shot; null for the others.
TEffect* NewEffectPrototype(std::uint32_t id)
{
    if (id <= 26) {
        return ElementSpark(id);
    }
    const TVecRange flat(-0.6F, 0.0F, -0.6F, 0.6F, 0.5F, 0.6F);
    const TVecRange rising(-0.8F, 1.0F, -0.8F, 0.8F, 3.0F, 0.8F);
    const TVecRange spread(-2.5F, -0.8F, -2.5F, 2.5F, 0.1F, 2.5F);
    switch (id) {
    case 30:
        return Burst("effect.ptx/smoke", 1, 1, 5, TVecRange(0.1F, 0.1F, 0.1F, 0.2F, 0.2F, 0.2F),
                     TVecRange(-1.0F, 0.1F, -1.0F, 1.0F, 0.4F, 1.0F), 0.03F, 0.7F);
    case 31:
        return Burst("effect.ptx/smoke", 1, 1, 5, TVecRange(0.1F, 0.1F, 0.1F, 0.12F, 0.12F, 0.12F),
                     TVecRange(-0.8F, 0.05F, -0.8F, 0.8F, 0.1F, 0.8F), 0.02F, 0.5F);
    case 32:
        return AlphaBurst("effect.ptx/darksmoke", 1, 1, 5, kSmallBox, TVecRange(-1.2F, -0.3F, -1.2F, 1.2F, 0.4F, 1.2F),
                          0.04F, 0.5F);
    case 33: return AlphaBurst("effect.ptx/darksmoke", 1, 1, 5, kSmallBox, kUnitBox, 0.02F, 0.5F);
    case 34: return Burst("effect.ptx/smoke", 1, 1, 5, kSmallBox, kUnitBox, 0.02F, 1.0F);
    case 35:
        return Burst("effect.ptx/smoke", 1, 1, 4, kSmallBox, TVecRange(-0.5F, -0.3F, -0.5F, 0.5F, 0.3F, 0.5F), 0.03F,
                     0.4F);
    case 50: return Burst("effect.ptx/ice", 2, 2, 10, kSmallBox, spread, 0.015F, 0.8F);
    case 51: return AlphaBurst("effect.ptx/darksmoke", 1, 1, 10, kSmallBox, spread, 0.015F, 0.8F);
    case 53:
        return Burst("effect.ptx/smoke", 2, 2, 10, kSmallBox, TVecRange(-1.5F, -0.1F, -1.5F, 1.5F, 2.5F, 1.5F), 0.015F,
                     0.8F);
    case 54:
        return AlphaBurst("effect.ptx/smoke2", 2, 2, 5, kSmallBox, TVecRange(-1.8F, -0.3F, -1.8F, 1.8F, -0.2F, 1.8F),
                          0.015F, 1.5F);
    case 55:
        return Burst("effect.ptx/ice", 2, 2, 3, kSmallBox, TVecRange(-1.5F, -0.8F, -1.5F, 1.5F, 0.1F, 1.5F), 0.01F,
                     0.8F);
    case 100: return Colour3("attack01_anim.frm", 5, 2, 10, 1, 20, 1);
    case 101: return Colour3("impact01_anim.frm", 5, 1, 10, 1, 20, 1);
    case 102: return Colour3("impact02_anim.frm", 5, 0.5F, 10, 0.7F, 20, 0.5F);
    case 103: return Colour3("ring01_anim.frm", 5, 0.5F, 10, 0.5F, 20, 0.5F);
    case 104: return Colour3("flash01.frm", 5, 1, 10, 1, 20, 1);
    case 105: return Colour3("flash01_2.frm", 5, 1, 10, 1, 20, 1);
    case 106: return Colour3("flash00.frm", 2, 0.3F, 6, 0.3F, 8, 0.3F);
    case 107: return Colour3("impact02_anim.frm", 5, 0.4F, 10, 0.4F, 20, 0.4F);
    case 108: return Colour3("bomb00.frm", 4, 0.06F, 8, 0.06F, 12, 0.06F);
    case 109: return new TColourAnimEffect("bomb01.frm", 5, 0.2F, false);
    case 110: return Colour3("bomb00.frm", 4, 0.12F, 8, 0.12F, 12, 0.12F);
    case 111: return Colour3("bomb00.frm", 4, 0.6F, 8, 0.6F, 12, 0.6F);
    case 112: return Colour3("impact01_anim.frm", 5, 0.5F, 10, 0.5F, 20, 0.5F);
    case 113: return Colour3("bomb00.frm", 4, 0.2F, 8, 0.2F, 12, 0.3F);
    case 114: return new TColourAnimEffect("bomb01.frm", 5, 0.1F, false);
    case 115: return Colour3("bomb00.frm", 4, 0.3F, 8, 0.3F, 12, 0.1F);
    case 116: return new TColourAnimEffect("shiningring.frm", 0, 0.1F, 4, 0.1F, 2, 4, 0.1F);
    case 117: return new TColourAnimEffect("shiningring.frm", 0, 0.1F, 4, 0.1F, 8, 4, 0.1F);
    case 118: return new TColourAnimEffect("shiningring.frm", 0, 0.1F, 4, 0.1F, 12, 4, 0.1F);
    case 119: return Colour3("shiningring.frm", 0, 0.1F, 2, 0.1F, 4, 0.1F);
    case 120: return new TAlphaAnimEffect("tornado00.frm", 0, 0.1F, 2, 0.1F, 4, 0.1F);
    case 121: return new TThunderEffect("", 3, 4, 0.2F, 8, 0.2F, -1, 12, 0.2F);
    case 122: {
        const float jitter[3] = {10000.0F, 10000.0F, 10000.0F};
        return new TJitterParticleEffect("effect.ptx/thunder00", 1, 1, 4,
                                         TVecRange(-2.5F, -2.5F, -2.5F, 2.5F, 2.5F, 2.5F).Get(),
                                         TVecRange(-0.01F, -0.01F, -0.01F, 0.01F, 0.01F, 0.01F).Get(), 0.02F, jitter,
                                         false, Scale(1.0F).v);
    }
    case 123: return new TAlphaAnimEffect("tornado00.frm", 0, 0.1F, 4, 0.1F, 4, 4, 0.1F);
    case 200: return new TIceAnimEffect("ice01_anim.frm", 201);
    case 201: return Mesh("ice01_mesh.msh", 505, 1, 0.05F, 0.005F, 0.02F, 1, false, 2101, 0.5F, 0.7F);
    case 202: return new TIceAnimEffect("ice01_anim.frm", 203);
    case 203: return Mesh("ice01_mesh.msh", 505, 1, 0.05F, 0.005F, 0.02F, 1, false, 3101, 0.5F, 1.0F);
    case 204: return new TEdgeAnimEffect("edge01_anim.frm", 205);
    case 205: return Mesh("edge01_mesh.msh", 505, 1, 0.05F, 0.005F, 0.02F, 0, true, 0, 0.5F, 1.0F);
    case 206: return new TIceAnimEffect("ice01_anim.frm", 207);
    case 207: return Mesh("ice01_mesh.msh", 505, 1, 0.05F, 0.005F, 0.02F, 1, false, 2103, 0.5F, 0.5F);
    case 208: return new TIceAnimEffect("ice01_anim.frm", 209);
    case 209: return Mesh("ice01_mesh.msh", 505, 1, 0.05F, 0.005F, 0.02F, 1, false, 3103, 0.5F, 0.8F);
    case 210: return new TSpawnPathEffect("earthfang.frm", 211);
    case 211: return Mesh("earthfang.msh", 506, 40, 0.02F, 0.001F, 0.01F, 2, true, 2305, 0.5F, 2.0F);
    case 212: return new TEdgeAnimEffect("edge02_anim.frm", 213);
    case 213: return Mesh("edge02_mesh.msh", 505, 1, 0.05F, 0.005F, 0.02F, 0, true, 0, 0.5F, 1.0F);
    case 214: return new TSpawnPathEffect("earthfang.frm", 215);
    case 215: return Mesh("earthfang.msh", 506, 40, 0.02F, 0.001F, 0.01F, 2, true, 3305, 0.5F, 2.0F);
    case 216: return new TIceAnimEffect("icefield00_f.frm", 217, false);
    case 217: return Mesh("icefield00_m.msh", 505, 80, 0.05F, -0.002F, 0.04F, 2, false, 2109, 0.5F, 0.7F);
    case 218: return new TIceAnimEffect("icefield00_f.frm", 219, false);
    case 219: return Mesh("icefield00_m.msh", 505, 80, 0.05F, -0.002F, 0.04F, 2, false, 3109, 0.5F, 1.0F);
    case 220: return new TIceAnimEffect("icefield01_f.frm", 221, false);
    case 221: return Mesh("icefield01_m.msh", 505, 50, 0.05F, -0.005F, 0.04F, 2, false, 2111, 0.5F, 0.7F);
    case 222: return new TIceAnimEffect("icefield01_f.frm", 223, false);
    case 223: return Mesh("icefield01_m.msh", 505, 50, 0.05F, -0.005F, 0.04F, 2, false, 3111, 0.5F, 1.0F);
    case 224: return new TEdgeAnimEffect("edge01_anim.frm", 205);
    case 225: return Mesh("edge01_mesh.msh", 505, 1, 0.05F, 0.005F, 0.02F, 0, true, 0, 0.5F, 1.5F);
    case 501: return Mesh("rock01_mesh.msh", 506, 1, 0.05F, 0.005F, 0.02F, 1, true, 2301, 0.5F, 0.3F);
    case 503: return Mesh("rock01_mesh.msh", 506, 1, 0.05F, 0.005F, 0.02F, 1, true, 3301, 0.5F, 0.5F);
    case 505: return Mesh("gareki00.msh", 506, 1, 0.05F, 0.005F, 0.02F, 1, true, 50002, 0.5F, 1.0F);
    case 507: return Mesh("rock01_mesh.msh", 506, 1, 0.05F, 0.005F, 0.02F, 1, true, 2303, 0.5F, 0.3F);
    case 509: return Mesh("rock01_mesh.msh", 506, 1, 0.05F, 0.005F, 0.02F, 1, true, 3303, 0.5F, 0.5F);
    case 511: return Mesh("rock01_mesh.msh", 506, 1, 0.05F, 0.005F, 0.01F, 1, true, 5003, 0.0F, 1.0F);
    case 513: return Mesh("rock01_mesh.msh", 506, 1, 0.05F, 0.005F, 0.01F, 1, true, 5006, 0.0F, 1.0F);
    case 600: return Colour3("impact03_anim.frm", 10, 1, 20, 1, 30, 1);
    case 601: return Colour3("impact04_anim.frm", 10, 1, 15, 1, 30, 1);
    case 602: return Colour3("edge01_anim.frm", 5, 1, 15, 1, 20, 1);
    case 603: return Colour3("impact03_anim.frm", 10, 2, 20, 1, 30, 0.7F);
    case 700: return Mesh("ring02_mesh.msh", 504, 200, 0.01F, 0.001F, 0.02F, 0, false, 0, 0.5F, 1.0F);
    case 701: return Mesh("ring02_mesh.msh", 504, 300, 0.05F, 0.005F, 0.02F, 0, false, 0, 0.5F, 2.0F);
    case 702: return Mesh("ice01_mesh.msh", 505, 200, 0.04F, 0.002F, 0.02F, 2, false, 2103, 0.5F, 0.5F);
    case 703: return Mesh("ice01_mesh.msh", 505, 300, 0.04F, 0.002F, 0.02F, 2, false, 3103, 0.5F, 0.7F);
    case 704: return Mesh("ice01_mesh.msh", 505, 200, 0.04F, 0.002F, 0.02F, 2, false, 2106, 0.5F, 0.5F);
    case 705: return Mesh("ice01_mesh.msh", 505, 300, 0.04F, 0.002F, 0.02F, 2, false, 3106, 0.5F, 0.7F);
    case 706: return Mesh("icefield02_m.msh", 505, 500, 0.04F, 0.002F, 0.02F, 2, false, 2107, 0.5F, 0.5F);
    case 707: return Mesh("icefield02_m.msh", 505, 700, 0.04F, 0.002F, 0.02F, 2, false, 3107, 0.5F, 0.7F);
    case 708: return Mesh("icefield02_m.msh", 505, 700, 0.04F, 0.002F, 0.02F, 2, false, 50007, 0.5F, 0.0F);
    case 900: return Burst("effect.ptx/ain", 2, 2, 10, TVecRange(-0.6F, 0.0F, -0.6F, 0.6F, 1.0F, 0.6F), rising, 0.01F, 1.0F);
    case 901: return Burst("effect.ptx/ain", 2, 2, 15, TVecRange(-0.6F, 0.0F, -0.6F, 0.6F, 1.0F, 0.6F), rising, 0.01F, 1.0F);
    case 902: return Burst("effect.ptx/ain", 2, 2, 20, flat, rising, 0.01F, 0.3F);
    case 903: return Burst("effect.ptx/ain", 2, 2, 20, flat, rising, 0.01F, 0.5F);
    case 904:
        return Burst("effect.ptx/ain", 2, 2, 20, TVecRange(-0.3F, 0.0F, -0.3F, 0.3F, 0.5F, 0.3F),
                     TVecRange(-0.5F, 1.0F, -0.5F, 0.5F, 3.0F, 0.5F), 0.05F, 0.3F);
    case 905: return Burst("effect.ptx/ain", 2, 2, 15, flat, rising, 0.01F, 0.3F);
    case 906: return Burst("effect.ptx/ain", 2, 2, 25, flat, rising, 0.01F, 0.3F);
    case 907: return Burst("effect.ptx/ain", 2, 2, 20, kSmallBox, kUnitBox, 0.015F, 0.3F);
    case 908:
        return Burst("effect.ptx/ain", 2, 2, 15, TVecRange(-2.0F, -2.0F, -2.0F, 2.0F, 2.0F, 2.0F), kSmallBox, 0.03F,
                     0.4F);
    case 909:
        return Burst("effect.ptx/ain", 2, 2, 15, kSmallBox, TVecRange(-2.0F, -2.0F, -2.0F, 2.0F, 2.0F, 2.0F), 0.01F,
                     0.4F);
    case 910:
        return Burst("effect.ptx/ain", 2, 2, 15, TVecRange(-1.6F, 0.0F, -1.6F, 1.6F, 0.5F, 1.6F),
                     TVecRange(-1.8F, 1.5F, -1.8F, 1.8F, 1.8F, 1.8F), 0.006F, 0.4F);
    case 911: return AlphaBurst("effect.ptx/star", 2, 2, 20, kSmallBox, kUnitBox, 0.05F, 0.4F);
    case 912:
        return AlphaBurst("effect.ptx/star", 2, 2, 15, kSmallBox, TVecRange(-1.5F, -1.5F, -1.5F, 1.5F, 1.5F, 1.5F),
                          0.05F, 0.8F);
    case 913:
        return AlphaBurst("effect.ptx/star", 2, 2, 15, TVecRange(-1.5F, -1.5F, -1.5F, 1.5F, 1.5F, 1.5F), kSmallBox,
                          0.05F, 0.8F);
    case 914:
        return AlphaBurst("effect.ptx/star", 2, 2, 20, TVecRange(-0.3F, 0.0F, -0.3F, 0.3F, 0.5F, 0.3F),
                          TVecRange(-1.0F, 1.0F, -1.1F, 1.0F, 4.0F, 1.0F), 0.03F, 0.6F);
    case 915:
        return AlphaBurst("effect.ptx/star", 2, 2, 10, TVecRange(-0.3F, 0.0F, -0.3F, 0.3F, 0.5F, 0.3F),
                          TVecRange(-0.5F, 1.0F, -0.5F, 0.5F, 4.0F, 0.5F), 0.04F, 0.3F);
    case 1000: return new TArrowEffect(10);
    case 1001: return new TArrowEffect(27);
    case 2000: return new TSmashEffect("ring02_mesh.msh", 1, 1, 0.05F, 0.001F, 0.02F, 0, false, Scale(2.0F).v);
    case 2001: {
        const D3DXVECTOR3 noOffset(0.0F, 0.0F, 0.0F);
        // Duration -1: the board stays until something ends it.
        return new TMeshEffect("board01.msh", 505, 0xFFFFFFFFu, 1, 0.1F, 0.0F, 0.005F, 2, false, 0, &noOffset,
                               Scale(1.6F).v);
    }
    case 10000: return new TRayEffect("sword01.msh");
    default: return nullptr;
    }
}

}  // namespace

void TEffectManager::LoadPrototypes()
{
    // Most prototypes are made of the same few files (every particle is one quad): each is read once.
    TReadOnceScope readOnce;
    // Ascending ids: particle and bullet-part prototypes take their atlas cells in this order.
    for (const std::uint32_t id : GetCatalogueIds()) {
        TEffect* prototype = NewEffectPrototype(id);
        if (prototype == nullptr) {
            prototype = NewShotPrototype(id);
        }
        AddPrototype(id, TRefPtr<TEffect>(prototype));
    }
}
