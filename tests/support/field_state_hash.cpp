#include "support/effect_probe.h"
#include "support/field_state_hash.h"

#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "support/character_probe.h"

namespace qmtest {
namespace {

// FNV-1a over the bytes of a value.
template <typename T>
void Mix(std::uint64_t* hash, const T& value)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        *hash = (*hash ^ bytes[i]) * 0x100000001B3ULL;
    }
}

void MixCharacter(std::uint64_t* hash, const TArmedCharacter& c)
{
    D3DXVECTOR3 at;
    c.GetPosition(&at);
    Mix(hash, at.x);
    Mix(hash, at.y);
    Mix(hash, at.z);
    Mix(hash, c.GetState());
    Mix(hash, TCharacterProbe::SubState(c));
    Mix(hash, c.GetHp());
}

}  // namespace

std::uint64_t FieldStateHash(TAreaBase* area)
{
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    if (area->GetPlayer() != nullptr) {
        MixCharacter(&hash, *area->GetPlayer());
    }
    if (const TEnemyFactory* enemies = area->GetEnemies()) {
        // In id order, by type: the object ids count on across applications in one process.
        for (const auto& [id, enemy] : enemies->GetLive()) {
            Mix(&hash, enemy->GetRelatedId());
            MixCharacter(&hash, *enemy);
        }
    }
    if (const TEffectManager* effects = area->GetEffectManager()) {
        Mix(&hash, TEffectProbe::LiveCount(*effects));
        Mix(&hash, TEffectProbe::NextSerial(*effects));
    }
    return hash;
}

}  // namespace qmtest
