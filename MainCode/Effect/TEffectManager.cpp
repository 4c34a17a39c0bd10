#include "MainCode/Effect/TEffectManager.h"

#include <algorithm>
#include <cstring>

#include "MainCode/Effect/TEffectCreateObserver.h"

namespace {

TEffectCreateObserver* s_observer = nullptr;

// First and last id of each run of the catalogue, ascending.
struct IdRun {
    std::uint32_t first;
    std::uint32_t last;
};

constexpr IdRun kCatalogueRuns[] = {
    {0, 6},       {10, 16},     {20, 26},     {30, 35},     {50, 56},     {100, 123},   {200, 225},   {300, 306},
    {310, 316},   {320, 330},   {400, 414},   {450, 456},   {500, 513},   {550, 552},   {600, 603},   {700, 708},
    {800, 809},   {900, 915},   {1000, 1001}, {1100, 1100}, {2000, 2001}, {10000, 10000},
};

std::vector<std::uint32_t> ExpandRuns()
{
    std::vector<std::uint32_t> ids;
    for (const IdRun& run : kCatalogueRuns) {
        for (std::uint32_t id = run.first; id <= run.last; ++id) {
            ids.push_back(id);
        }
    }
    return ids;
}

// A scale of exactly (1, 1, 1), bit for bit.
bool IsUnitScale(const float* scale)
{
    const float one = 1.0F;
    return std::memcmp(&scale[0], &one, sizeof one) == 0 && std::memcmp(&scale[1], &one, sizeof one) == 0 &&
           std::memcmp(&scale[2], &one, sizeof one) == 0;
}

}  // namespace

void SetEffectCreateObserver(TEffectCreateObserver* observer) { s_observer = observer; }

TEffectManager::TEffectManager() { LoadPrototypes(); }

TEffectManager::~TEffectManager()
{
    m_prototypes.clear();
    // The field tears its frames down itself; the effects are only let go.
    m_live.clear();
    m_liveCount = 0;
}

const std::vector<std::uint32_t>& TEffectManager::GetCatalogueIds()
{
    static const std::vector<std::uint32_t> ids = ExpandRuns();
    return ids;
}

bool TEffectManager::IsCatalogueId(std::uint32_t id)
{
    const std::vector<std::uint32_t>& ids = GetCatalogueIds();
    return std::binary_search(ids.begin(), ids.end(), id);
}

void TEffectManager::AddPrototype(std::uint32_t id, const TRefPtr<TEffect>& prototype)
{
    m_prototypes.insert_or_assign(static_cast<std::int32_t>(id), prototype);
}

TRefPtr<TEffect> TEffectManager::FindPrototype(std::uint32_t id) const
{
    if (!IsCatalogueId(id)) {
        return TRefPtr<TEffect>();
    }
    const auto it = m_prototypes.find(static_cast<std::int32_t>(id));
    if (it == m_prototypes.end() || it->second.Get() == nullptr) {
        return TRefPtr<TEffect>();
    }
    return TRefPtr<TEffect>(it->second->Clone());
}

TEffect* TEffectManager::Create(std::uint32_t id, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                                TFrame* parent, TAreaBase* area, const float* colour, const float* scale)
{
    const std::int32_t serial = m_nextSerial++;
    TRefPtr<TEffect> effect = FindPrototype(id);
    if (effect.Get() != nullptr) {
        if (scale != nullptr && !IsUnitScale(scale)) {
            effect->SetScale(scale[0], scale[1], scale[2]);
        }
        effect->Init(serial, position, direction, parent, area, colour);
        m_live.push_back(effect);
        ++m_liveCount;
    }
    if (s_observer != nullptr) {
        s_observer->OnCreate(*this, id, position, direction, parent, area, colour, scale, serial, effect.Get());
    }
    return effect.Get();
}

void TEffectManager::Update()
{
    // Effects appended while the walk runs are reached by it in this same pass.
    for (auto it = m_live.begin(); it != m_live.end();) {
        TEffect* effect = it->Get();
        if (effect->Update()) {
            ++it;
            continue;
        }
        effect->Detach();
        it = m_live.erase(it);
        --m_liveCount;
    }
}

void TEffectManager::Clear()
{
    for (TRefPtr<TEffect>& effect : m_live) {
        effect->Detach();
    }
    m_live.clear();
    m_liveCount = 0;
}

TRefPtr<TEffect> TEffectManager::FindLive(std::int32_t serial) const
{
    for (const TRefPtr<TEffect>& effect : m_live) {
        if (effect->GetSerial() == serial) {
            return effect;
        }
    }
    return TRefPtr<TEffect>();
}
