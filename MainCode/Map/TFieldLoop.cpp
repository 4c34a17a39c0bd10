#include "MainCode/Map/TFieldLoop.h"

TRefPtr<TFieldPhase> CreateFieldPhase(const TFieldDestination& destination, std::uint32_t mode)
{
    if (mode > 1) {
        return TRefPtr<TFieldPhase>();
    }
    return TRefPtr<TFieldPhase>(new TMapChangeRecord(destination, mode));
}

TLookVariantRecord& GetLookVariantRecord()
{
    static TLookVariantRecord record;
    return record;
}

void SetPlayerLookVariant(TGameObject* player, std::uint32_t variant)
{
    TLookVariantRecord& record = GetLookVariantRecord();
    record.player = player;
    record.variant = variant;
    ++record.calls;
}

void TFieldLoop::SetPhase(const TRefPtr<TFieldPhase>& phase)
{
    if (phase.Get() != nullptr && phase.Get() != m_phase.Get()) {
        m_phase = phase;
    }
}
