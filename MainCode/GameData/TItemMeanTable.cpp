#include "MainCode/GameData/TItemMeanTable.h"

#include <algorithm>
#include <limits>

bool TItemMeanRecord::Read(TByteReader& in)
{
    return tablefield::ReadFields(in, Id, Word1, HpRecover, MpRecover, Bonus, CurePoison, CureSickness,
                                  CureConfusion, CureFear, CureSlow, CureSilence, Cost, Duration);
}

bool TItemMean::CountDown()
{
    // An expired effect keeps being ticked; it stops at the bottom instead of wrapping.
    if (Duration > std::numeric_limits<std::int32_t>::min()) {
        --Duration;
    }
    return Duration >= 0;
}

TRefPtr<TItemMean> TItemMeanTable::CreateInstance(std::uint32_t id)
{
    const TItemMeanRecord& record = Get(id);
    TItemMean* mean = new TItemMean;
    mean->Id = record.Id;
    mean->Duration = record.Duration;
    mean->HpRecover = record.HpRecover;
    mean->MpRecover = record.MpRecover;
    std::copy(std::begin(record.Bonus), std::end(record.Bonus), mean->Bonus);
    mean->Cost = record.Cost;
    return TRefPtr<TItemMean>(mean);
}
