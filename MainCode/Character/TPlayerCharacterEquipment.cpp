// The player's numbers: what it holds and wears, the stats and element rates that follow, the
// attack value of a hit, experience and ability points from a defeated enemy, the level-up, the
// queue of gain notices, the target display and the save request.
#include <algorithm>
#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TAfterImage.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/Hud/TGainPopup.h"
#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/TRunState.h"

namespace {

constexpr std::uint32_t kSoundLearned = 218;
constexpr std::uint32_t kSoundSavePoint = 503;
constexpr std::uint16_t kEventLearned = 1012;
constexpr std::int32_t kGainDelay = 120;
constexpr std::int32_t kLevelUpDelay = 280;
constexpr std::int32_t kTargetSteps = 200;

// Toward zero, held inside the 32-bit range.
std::int32_t Trunc(double v)
{
    if (std::isnan(v)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::clamp(v, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
}

// A weapon object of the id; one the table lacks keeps the id it was asked for, so the party
// record gets it back.
TRefPtr<TWepon> MakeWepon(std::uint32_t id)
{
    TRefPtr<TWepon> wepon = TWeponTable::CreateInstance(id);
    wepon->Id = id;
    return wepon;
}

// The accessory's words 1 and 2 and its six element floats; an empty slot adds nothing.
std::int32_t Defence(const TRefPtr<TAccessory>& a, bool magic)
{
    if (a.Get() == nullptr) {
        return 0;
    }
    return magic ? a->MagicDefence : a->PhysicalDefence;
}

float ElementDefence(const TRefPtr<TAccessory>& a, std::uint32_t i)
{
    return a.Get() != nullptr ? a->ElementDefence[i] : 0.0F;
}

// The value of a table indexed by level difference + 100, the index held inside the table.
std::uint32_t ByLevelDifference(const std::vector<std::uint32_t>& table, std::int64_t index)
{
    if (table.empty()) {
        return 0;
    }
    const auto last = static_cast<std::int64_t>(table.size()) - 1;
    return table[static_cast<std::size_t>(std::clamp<std::int64_t>(index, 0, last))];
}

}  // namespace

// ---- equipment ----

void TPlayerCharacter::Equip(std::uint32_t weaponId)
{
    const std::int32_t type = TWeponTable::Get(weaponId).Type;
    switch (type) {
    case 2:
        SetLWeapon(MakeWepon(weaponId));
        SetRWeapon(MakeWepon(weaponId));
        break;
    case 8:
        // A pair: the left piece is its own record.
        SetLWeapon(MakeWepon(weaponId + 10000));
        SetRWeapon(MakeWepon(weaponId));
        break;
    case 3:
    case 4:
    case 10:
    case 11:
        SetLWeapon(MakeWepon(weaponId));
        SetRWeapon(TRefPtr<TWepon>());
        break;
    default:
        SetLWeapon(TRefPtr<TWepon>());
        SetRWeapon(MakeWepon(weaponId));
        break;
    }
}

void TPlayerCharacter::SetEquipItem(std::uint32_t itemId, std::uint8_t slot)
{
    TRefPtr<TAccessory> accessory = TAccessoryTable::CreateInstance(itemId);
    accessory->Id = itemId;
    (slot == 'A' ? m_accessoryA : m_accessoryB) = accessory;
}

std::uint32_t TPlayerCharacter::GetWeaponId() const
{
    if (m_rightWepon.Get() != nullptr) {
        return m_rightWepon->Id;
    }
    return m_leftWepon.Get() != nullptr ? m_leftWepon->Id : 0;
}

std::uint32_t TPlayerCharacter::GetEquipItemId(std::uint8_t slot) const
{
    const TRefPtr<TAccessory>& a = slot == 'A' ? m_accessoryA : m_accessoryB;
    return a.Get() != nullptr ? a->Id : 0;
}

std::uint16_t TPlayerCharacter::GetWeaponAbp() const
{
    TGameData* data = TGameData::GetInstance();
    TCharacterRecord* record = data != nullptr ? data->GetCharacterData(m_characterIndex) : nullptr;
    const std::uint16_t* points = record != nullptr ? record->WeponAbp(GetWeaponId()) : nullptr;
    return points != nullptr ? *points : 0;
}

std::uint16_t TPlayerCharacter::GetEquipAbp(std::uint8_t slot) const
{
    TGameData* data = TGameData::GetInstance();
    TCharacterRecord* record = data != nullptr ? data->GetCharacterData(m_characterIndex) : nullptr;
    const std::uint16_t* points = record != nullptr ? record->AccessoryAbp(GetEquipItemId(slot)) : nullptr;
    return points != nullptr ? *points : 0;
}

void TPlayerCharacter::SetLWeapon(const TRefPtr<TWepon>& weapon)
{
    HoldWeapon(weapon, m_leftWepon, m_leftWeapon.Get(), m_leftTrail.get());
}

void TPlayerCharacter::SetRWeapon(const TRefPtr<TWepon>& weapon)
{
    HoldWeapon(weapon, m_rightWepon, m_rightWeapon.Get(), m_rightTrail.get());
}

void TPlayerCharacter::HoldWeapon(const TRefPtr<TWepon>& weapon, TRefPtr<TWepon>& held, TFrame* frame,
                                  TAfterImage* trail)
{
    held = weapon;
    if (frame != nullptr) {
        frame->ClearMeshes();
    }
    if (weapon.Get() == nullptr) {
        return;
    }
    if (trail != nullptr) {
        trail->SetRamp(weapon->TrailLength, weapon->TrailRed, weapon->TrailGreen, weapon->TrailBlue, weapon->Element);
    }
    if (frame != nullptr && weapon->Mesh.Get() != nullptr) {
        frame->AddMesh(*weapon->Mesh);
    }
}

// ---- stats and rates ----

std::int32_t TPlayerCharacter::EffectiveStat(std::uint32_t i, std::int64_t extra) const
{
    const TGameData* data = TGameData::GetInstance();
    const float f = data != nullptr ? data->GetSkillFactor(i) : 0.0F;
    const std::int32_t stat = GetBaseStat(i);
    return Trunc(f * static_cast<float>(stat) + static_cast<float>(stat + extra + TimedBonus(i)));
}

std::int32_t TPlayerCharacter::TimedBonus(std::uint32_t i) const
{
    TGameData* data = TGameData::GetInstance();
    const TTimedFlags* timed = data != nullptr ? data->GetTimedFlags(m_characterIndex) : nullptr;
    return timed != nullptr ? timed->GetBonus(i) : 0;
}

std::int32_t TPlayerCharacter::StatBonus(std::uint32_t i) const
{
    const TGameData* data = TGameData::GetInstance();
    const float f = data != nullptr ? data->GetSkillFactor(i) : 0.0F;
    return Trunc(f * static_cast<float>(GetBaseStat(i)) + static_cast<float>(TimedBonus(i)));
}

std::int32_t TPlayerCharacter::GetStr() { return EffectiveStat(0, 0); }
std::int32_t TPlayerCharacter::GetVit()
{
    return EffectiveStat(1, static_cast<std::int64_t>(Defence(m_accessoryB, false)) + Defence(m_accessoryA, false));
}
std::int32_t TPlayerCharacter::GetInt() { return EffectiveStat(2, 0); }
std::int32_t TPlayerCharacter::GetMen()
{
    return EffectiveStat(3, static_cast<std::int64_t>(Defence(m_accessoryB, true)) + Defence(m_accessoryA, true));
}
std::int32_t TPlayerCharacter::GetStrBonus() const { return StatBonus(0); }
std::int32_t TPlayerCharacter::GetVitBonus() const { return StatBonus(1); }
std::int32_t TPlayerCharacter::GetIntBonus() const { return StatBonus(2); }
std::int32_t TPlayerCharacter::GetMenBonus() const { return StatBonus(3); }

bool TPlayerCharacter::HasStatBoost() const
{
    TGameData* data = TGameData::GetInstance();
    const TTimedFlags* timed = data != nullptr ? data->GetTimedFlags(m_characterIndex) : nullptr;
    return timed != nullptr && timed->IsActive();
}

float TPlayerCharacter::EffectiveRate(std::uint32_t i) const
{
    const TGameData* data = TGameData::GetInstance();
    const float g = data != nullptr ? data->GetSkillFactor(4 + i) : 0.0F;
    const float r = m_elementRates[i];
    const float rate = r - ElementDefence(m_accessoryA, i) - ElementDefence(m_accessoryB, i) - g * r;
    return rate < 0.0F ? 0.0F : rate;
}

float TPlayerCharacter::GetElementRate1() { return EffectiveRate(0); }
float TPlayerCharacter::GetElementRate2() { return EffectiveRate(1); }
float TPlayerCharacter::GetElementRate3() { return EffectiveRate(2); }
float TPlayerCharacter::GetElementRate4() { return EffectiveRate(3); }
float TPlayerCharacter::GetElementRate5() { return EffectiveRate(4); }
float TPlayerCharacter::GetElementRate6() { return EffectiveRate(5); }

// ---- attack value ----

std::int32_t TPlayerCharacter::GetRaisedStr()
{
    const std::int32_t str = GetStr();
    if (m_attackBuff1.IsRunning()) {
        return Trunc(str * 1.1);
    }
    if (m_attackBuff2.IsRunning()) {
        return Trunc(str * 1.2);
    }
    return str;
}

void TPlayerCharacter::GetAttackParams(const TAttackRecord& record, TAttackPlacement& out)
{
    out.Position = D3DXVECTOR3(record.Offset[0], record.Offset[1], record.Offset[2]);
    out.Word14 = record.Radius;
    out.PropertyB = static_cast<std::int32_t>(record.Element);
    out.PropertyA = -1;

    const std::int32_t base = GetRaisedStr();

    const TWepon* left = m_leftWepon.Get();
    const TWepon* right = m_rightWepon.Get();
    std::int64_t power = 0;
    auto takeProperties = [&](const TWepon* w) {
        out.PropertyB = static_cast<std::int32_t>(w->Element);
        out.PropertyA = w->Type;
    };
    if (left != nullptr && right != nullptr) {
        power = Trunc((static_cast<double>(left->Attack) + right->Attack) * 0.5);
        takeProperties(left);
    } else if (left != nullptr || right != nullptr) {
        const TWepon* only = left != nullptr ? left : right;
        power = only->Attack;
        takeProperties(only);
    }

    const TWepon* hand = nullptr;
    switch (record.Placement) {
    case 0: out.Parent = m_frame.Get(); break;
    case 1:
        out.Parent = m_leftWeapon.Get();
        hand = left;
        power = left != nullptr ? left->Attack : 0;
        break;
    case 2:
        out.Parent = m_rightWeapon.Get();
        hand = right;
        power = right != nullptr ? right->Attack : 0;
        break;
    default:
        // No hand: the hit has no attack value.
        out.BaseDamage = 0;
        return;
    }
    const bool spell = (record.Flags & 0x100) != 0;
    const std::int64_t value = spell ? 2 * static_cast<std::int64_t>(GetInt()) : power + base;
    out.BaseDamage = static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
    if (hand != nullptr) {
        takeProperties(hand);
    }
}

// ---- experience ----

void TPlayerCharacter::GainExperience(TGameObject* object)
{
    auto* enemy = dynamic_cast<TEnemy*>(object);
    if (enemy == nullptr) {
        return;
    }
    const std::uint32_t serial = ++TRunState::Current().gainSerial;
    const std::int64_t d = static_cast<std::int64_t>(m_level) - enemy->GetLevel() + 100;
    TGameData* data = TGameData::GetInstance();
    const float expBonus = data != nullptr ? data->GetSkillFactor(10) : 0.0F;
    const float abpBonus = data != nullptr ? data->GetSkillFactor(11) : 0.0F;

    const std::int32_t e0 = Trunc(static_cast<float>(ByLevelDifference(m_experienceTable, d)) * enemy->GetGainFactor());
    const std::int32_t experience = Trunc(static_cast<float>(e0) * expBonus + static_cast<float>(e0));

    const std::int64_t a = enemy->GetLevelWordA();
    const std::int64_t t = ByLevelDifference(m_abilityPointTable, d);
    const std::int32_t beforeTable = Trunc(static_cast<float>(a + t) * abpBonus + static_cast<float>(a));
    const std::int32_t points = Trunc(static_cast<double>(beforeTable) + static_cast<double>(t));

    std::vector<std::uint32_t> learned;
    if (data != nullptr && points > 0) {
        const auto p = static_cast<std::uint32_t>(points);
        data->AddWeponAbp(m_characterIndex, GetWeaponId(), p, learned);
        data->AddAccessoryAbp(m_characterIndex, GetEquipItemId('A'), p, learned);
        data->AddAccessoryAbp(m_characterIndex, GetEquipItemId('B'), p, learned);
    }
    for (std::uint32_t skill : learned) {
        if (m_getRender != nullptr) {
            m_getRender->PushSkillGet(skill);
        }
    }
    if (!learned.empty()) {
        PlaySound(kSoundLearned);
        FireEvent(kEventLearned);
    }

    TGainRecord gain;
    gain.Words[0] = serial;
    gain.Words[1] = static_cast<std::uint32_t>(experience);
    gain.Words[2] = static_cast<std::uint32_t>(beforeTable);
    gain.Words[3] = static_cast<std::uint32_t>(beforeTable);
    gain.Words[4] = static_cast<std::uint32_t>(a);
    gain.Words[5] = static_cast<std::uint32_t>(enemy->GetLevelWordB());
    gain.Words[6] = static_cast<std::uint32_t>(enemy->GetLevelWordABase());
    gain.Finish();
    m_gainQueue.push_back(gain);
    ++m_gainCount;

    bool levelUp = false;
    m_experience = TCharacterRecord::LimitExperience(
        m_level, static_cast<std::int64_t>(m_experience) + std::max(experience, 0), TGameData::GetMaxLevel(), levelUp);
    if (levelUp) {
        m_levelUpPending = 1;
        m_levelUpSerial = static_cast<std::int32_t>(serial);
    }
}

void TPlayerCharacter::ComputeLevelUpGains()
{
    const THrdefRecord& hero = THrdefTable::Get(m_characterIndex);
    // Max HP, max MP, STR, VIT, INT, MEN.
    static const std::int32_t kBase[6] = {575, 57, 57, 45, 57, 45};
    const std::int32_t current[6] = {m_maxHp, m_maxMp, m_str, m_vit, m_int, m_men};
    const double level = static_cast<double>(m_level) + 2.0;
    for (int i = 0; i < 6; ++i) {
        const double growth = hero.Extra[i];
        const std::int64_t target = Trunc(growth * 0.001 * (level + 20.0) * level + kBase[i]);
        if (target <= current[i]) {
            m_levelUpGains[i] = 0;
            continue;
        }
        const std::int64_t d = target - current[i];
        const double h = 0.5 * static_cast<double>(d);
        const auto r = static_cast<std::int64_t>(static_cast<double>(d) - h);
        double value = std::ceil(h);
        if (r > 0) {
            value += static_cast<double>(genrand_int32() % static_cast<std::uint64_t>(r));
        }
        const std::int64_t gain = std::min<std::int64_t>(static_cast<std::int64_t>(value), d);
        m_levelUpGains[i] = static_cast<std::int32_t>(std::clamp<std::int64_t>(gain, 1, INT32_MAX));
    }
}

void TPlayerCharacter::LevelUp()
{
    m_levelUpPending = 0;
    ComputeLevelUpGains();
    auto add = [](std::int32_t& stat, std::int32_t gain) {
        stat = static_cast<std::int32_t>(std::min<std::int64_t>(static_cast<std::int64_t>(stat) + gain, INT32_MAX));
    };
    add(m_str, m_levelUpGains[2]);
    add(m_vit, m_levelUpGains[3]);
    add(m_int, m_levelUpGains[4]);
    add(m_men, m_levelUpGains[5]);
    add(m_maxHp, m_levelUpGains[0]);
    add(m_maxMp, m_levelUpGains[1]);
    ++m_level;
    RecoverHp(m_levelUpGains[0]);
    RecoverMp(m_levelUpGains[1]);
    m_levelUpPopup->Start(508.0F, 180.0F);
    m_popups.push_back(m_levelUpPopup);
    ++m_popupCount;
    m_popupDelay = kLevelUpDelay;
    std::fill(std::begin(m_levelUpGains), std::end(m_levelUpGains), 0);
    PlaySound(kSoundLearned);
    SetState(kStateLevelUp);
}

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
    if (--m_popupDelay >= 1) {
        m_hitPopup.Update();
        return;
    }
    m_popupDelay = 0;
    const bool pending = m_levelUpPending != 0;
    if (pending && m_levelUpSerial == -1) {
        const bool busy = m_state >= kStateLevelUp && m_state <= kStateAction;
        if (m_reactionMode == kModeNormal && !busy && !m_levelUpPopup->IsActive()) {
            LevelUp();
        }
    } else if (!m_gainQueue.empty()) {
        // The level-up waits until the notice of the gain that reached it is out.
        const TGainRecord gain = m_gainQueue.front();
        if (static_cast<std::int32_t>(gain.Words[0]) == m_levelUpSerial) {
            m_levelUpSerial = -1;
        }
        TRefPtr<TPopupText> popup(new TGainPopup(gain, m_letterFont));
        popup->Start(440.0F, 240.0F);
        m_popups.push_back(popup);
        ++m_popupCount;
        m_gainQueue.pop_front();
        --m_gainCount;
        m_popupDelay = kGainDelay;
    }
    m_hitPopup.Update();
}

// ---- target display ----

void TPlayerCharacter::SetTargetEnemy(TGameObject* enemy)
{
    m_targetEnemyId = enemy != nullptr ? enemy->GetObjectId() : kNoTarget;
    m_targetTimer = kTargetSteps;
}

void TPlayerCharacter::TickTargetTimer()
{
    if (--m_targetTimer < 0) {
        m_targetTimer = -1;
        m_targetEnemyId = kNoTarget;
    }
}

void TPlayerCharacter::ShowHitCount(TArmedCharacter* enemy)
{
    if (enemy != nullptr) {
        m_hitPopup.Show(520.0F, 140.0F, enemy->GetHitsTaken(), enemy->GetDamageTaken());
    }
}

void TPlayerCharacter::UpdateBestRecords(TArmedCharacter* enemy)
{
    if (enemy == nullptr) {
        return;
    }
    const std::int32_t counters[4] = {enemy->GetDamageTaken(), enemy->GetHitsTaken(), enemy->GetAirHits(),
                                      enemy->GetGroundHits()};
    for (int i = 0; i < 4; ++i) {
        m_bestValues[i] = std::max(m_bestValues[i], counters[i]);
    }
}

// ---- save request ----

bool TPlayerCharacter::RequestSave(std::int32_t savePointId)
{
    if (m_saveRequest != 0) {
        m_savePointId = savePointId;
        return false;
    }
    PlaySound(kSoundSavePoint);
    m_saveRequest = 1;
    m_savePointId = savePointId;
    return true;
}

void TPlayerCharacter::ClearSaveRequest()
{
    m_saveRequest = 0;
    m_savePointId = -1;
}
