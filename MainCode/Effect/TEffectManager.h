// The one way to raise an effect or a shot: a prototype per effect id is cloned, started under a
// parent frame and kept in the live list, oldest first, until its update answers false.
// One manager per field; it is no singleton.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "MainCode/Effect/TEffect.h"
#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;
class TFrame;

class TEffectManager {
    friend struct TEffectProbe;
public:
    // Fills the prototypes of the catalogue.
    TEffectManager();
    // Releases prototypes and live effects; frames stay where they hang.
    ~TEffectManager();
    TEffectManager(const TEffectManager&) = delete;
    TEffectManager& operator=(const TEffectManager&) = delete;

    // The effect data folder with its trailing "/" ("effect/" from start-up).
    static void SetFolder(const std::string& folder) { s_folder = folder; }
    static const std::string& GetFolder() { return s_folder; }

    // Whether the id names an effect of the catalogue.
    static bool IsCatalogueId(std::uint32_t id);
    static const std::vector<std::uint32_t>& GetCatalogueIds();

    // Clones the id's prototype, scales it unless the scale is exactly (1, 1, 1), starts it and
    // keeps it. The pointer is good while the effect is listed; keep GetSerial() and FindLive
    // for longer. Null for an id without prototype (its serial is used up all the same).
    TEffect* Create(std::uint32_t id, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
                    TAreaBase* area, const float* colour, const float* scale);
    // One game frame of every live effect, effects created meanwhile included.
    void Update();
    // Detaches and drops every live effect without stepping it.
    void Clear();

    // A fresh clone of the id's prototype, or a null handle.
    TRefPtr<TEffect> FindPrototype(std::uint32_t id) const;
    // Registers the prototype under the id, replacing an earlier one.
    void AddPrototype(std::uint32_t id, const TRefPtr<TEffect>& prototype);

    // The listed effect of that serial, sharing the list's reference; a null handle once dropped.
    TRefPtr<TEffect> FindLive(std::int32_t serial) const;

private:
    void LoadPrototypes();

    static inline std::string s_folder;

    std::list<TRefPtr<TEffect>> m_live;
    std::uint32_t m_liveCount = 0;
    std::map<std::int32_t, TRefPtr<TEffect>> m_prototypes;
    std::int32_t m_nextSerial = 0;
};
