// Stand-ins until the combat rules of the player come (equipment and stats, experience, the
// reactions and hit effects, the pattern-event dispatcher and the pattern-id actions): each keeps
// the least the rest of the player relies on.
#include "MainCode/Character/TPlayerCharacter.h"

// Stand-in: the base statistics, no equipment or bonus yet.
std::int32_t TPlayerCharacter::GetStr() { return m_str; }
std::int32_t TPlayerCharacter::GetVit() { return m_vit; }
std::int32_t TPlayerCharacter::GetInt() { return m_int; }
std::int32_t TPlayerCharacter::GetMen() { return m_men; }
float TPlayerCharacter::GetElementRate1() { return m_elementRates[0]; }
float TPlayerCharacter::GetElementRate2() { return m_elementRates[1]; }
float TPlayerCharacter::GetElementRate3() { return m_elementRates[2]; }
float TPlayerCharacter::GetElementRate4() { return m_elementRates[3]; }
float TPlayerCharacter::GetElementRate5() { return m_elementRates[4]; }
float TPlayerCharacter::GetElementRate6() { return m_elementRates[5]; }

// Stand-in: the hit as the armed character takes it, the queue cleared.
std::uint32_t TPlayerCharacter::ReceiveHit(TAttackHit* hit)
{
    ClearCommandQueue();
    return TArmedCharacter::ReceiveHit(hit);
}

// Stand-in: hits hang on the body at the record's offset with the strength as their value.
void TPlayerCharacter::GetAttackParams(const TAttackRecord& record, TAttackPlacement& out)
{
    out.Parent = m_frame.Get();
    out.Position = D3DXVECTOR3(record.Offset[0], record.Offset[1], record.Offset[2]);
    out.BaseDamage = static_cast<std::uint32_t>(GetStr());
}

// Stand-in: the armed character's dispatcher only.
void TPlayerCharacter::OnPatternEvent(const TPatternEvent& frame) { TArmedCharacter::OnPatternEvent(frame); }

// Stand-ins for the reactions: the hit effect and the damage, no reaction state.
std::uint32_t TPlayerCharacter::ReactLight(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                           std::int32_t, std::uint8_t, float, float, std::int32_t damage)
{
    HitEffectLight(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    return 0;
}

std::uint32_t TPlayerCharacter::ReactLight2(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                            std::int32_t, std::uint8_t, float, float, std::int32_t damage)
{
    HitEffectLight2(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    return 0;
}

std::uint32_t TPlayerCharacter::ReactLaunch(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                            std::int32_t, std::uint8_t, float, float, float, std::int32_t damage)
{
    HitEffectLaunch(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    return 0;
}

std::uint32_t TPlayerCharacter::ReactStun(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                          std::int32_t, std::uint8_t, std::uint8_t, float, float, std::int32_t damage)
{
    HitEffectHeavy(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    return 0;
}

std::uint32_t TPlayerCharacter::ReactHeavy(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                           std::int32_t, std::uint8_t, float, float, std::int32_t damage)
{
    HitEffectHeavy2(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    return 0;
}

// Stand-ins for the hit effects: the element effect only.
void TPlayerCharacter::HitEffectLight(std::int32_t, std::uint32_t, std::uint32_t element, std::int32_t)
{
    SpawnElementEffect(element);
}

void TPlayerCharacter::HitEffectLaunch(std::int32_t, std::uint32_t, std::uint32_t element, std::int32_t)
{
    SpawnElementEffect(element);
}

void TPlayerCharacter::HitEffectHeavy(std::int32_t, std::uint32_t, std::uint32_t element, std::int32_t)
{
    SpawnElementEffect(element);
}

// Stand-in: no gauge refill or hit effects yet.
std::int32_t TPlayerCharacter::OnHitLanded(TArmedCharacter*, std::int32_t, std::int32_t, std::uint8_t) { return 0; }

// Stand-in: no experience or ability points yet.
void TPlayerCharacter::GainExperience(TGameObject*) {}

// Stand-in: the weapon objects are kept, not hung on the frames.
void TPlayerCharacter::SetLWeapon(const TRefPtr<TWepon>& weapon) { m_leftWepon = weapon; }
void TPlayerCharacter::SetRWeapon(const TRefPtr<TWepon>& weapon) { m_rightWepon = weapon; }

// Stand-in: the ids are kept as given, so a stored party record keeps them unchanged.
void TPlayerCharacter::Equip(std::uint32_t weaponId) { m_weaponId = weaponId; }

void TPlayerCharacter::SetEquipItem(std::uint32_t itemId, std::uint8_t slot)
{
    (slot == 'A' ? m_accessoryAId : m_accessoryBId) = itemId;
}

void TPlayerCharacter::TickTargetTimer()
{
    if (--m_targetTimer < 0) {
        m_targetTimer = -1;
        // Even an empty holder takes cells: only a held target is let go, so a steady step
        // allocates nothing.
        if (m_targetEnemy.Get() != nullptr) {
            m_targetEnemy = TRefPtr<TGameObject>();
        }
    }
}

// Stand-in: the pop-ups step and go when done; no gain notices or level-up yet.
void TPlayerCharacter::UpdatePopups()
{
    for (auto it = m_popups.begin(); it != m_popups.end();) {
        (*it)->Update();
        if ((*it)->IsActive()) {
            ++it;
        } else {
            it = m_popups.erase(it);
            --m_popupCount;
        }
    }
    if (m_popupDelay > 0) {
        --m_popupDelay;
    }
    m_hitPopup.Update();
}

// Stand-in for the pattern-id table: every id of 100..159 has the common no-op for both flags.
TPlayerCharacter::PatternAction TPlayerCharacter::GetPatternFunc(std::uint32_t patternId, std::uint8_t) const
{
    if (patternId < 100 || patternId > 159) {
        return nullptr;
    }
    return &TPlayerCharacter::PatternNoOp;
}
