#include "MainCode/GameData/TTimedFlags.h"

#include <algorithm>

void TTimedFlags::Set(const TRefPtr<TItemMean>& effect)
{
    if (effect.Get() == nullptr) {
        return;
    }
    m_effect = effect;  // the holder shares nothing new when it already holds this effect
    std::copy(std::begin(effect->Bonus), std::end(effect->Bonus), m_bonus);
}

void TTimedFlags::Tick()
{
    if (m_effect.Get() != nullptr && !m_effect->CountDown()) {
        std::fill(std::begin(m_bonus), std::end(m_bonus), 0);
    }
}

bool TTimedFlags::IsActive() const
{
    return m_effect.Get() != nullptr && std::any_of(std::begin(m_bonus), std::end(m_bonus), [](std::int32_t b) {
               return b != 0;
           });
}

void TTimedFlags::Reset()
{
    std::fill(std::begin(m_bonus), std::end(m_bonus), 0);
    // Only this share is given up: whoever else still holds the effect keeps a live object.
    m_effect = TRefPtr<TItemMean>();
}
