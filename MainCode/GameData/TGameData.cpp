#include "MainCode/GameData/TGameData.h"

#include <algorithm>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TSvpTable.h"
#include "TUtility/TIni.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TStreamSound.h"
#include "platform/win32/timer.h"

TRefPtr<TGameData> TGameData::s_instance;

TGameData::TGameData() = default;

TGameData::~TGameData() = default;

TGameData* TGameData::GetInstance()
{
    return s_instance.Get();
}

void TGameData::Initialize()
{
    const std::string& tables = GetTableDirectory();
    TItemTable::Load(tables + "item.tbl");
    TSkillTable::Load(tables + "skill.tbl");
    TSvpTable::Load(tables + "svp.tbl");
    THrdefTable::Load(tables + "hrdef.tbl");

    s_instance = TRefPtr<TGameData>(new TGameData());

    TIni ini("./setting.ini", 4096, 4096, 1024);
    if (ini.Load()) {
        std::int32_t type = 0;
        ini.GetInt("CaptureCaps", "CaptureType", type);
        s_capture = type != 0;
    }
}

void TGameData::Finalize()
{
    TItemTable::Clear();
    TSkillTable::Clear();
    TSvpTable::Clear();
    THrdefTable::Clear();
    s_instance = TRefPtr<TGameData>();
}

void TGameData::Reset()
{
    m_gaugeCarry = 0;
    m_playTime = 0;
    m_bgmVolume = kFullVolume;
    m_seVolume = kFullVolume;
    m_voiceVolume = kFullVolume;
    m_miniMap = 1;
    m_activeCharacter = 0;
    m_savePoint = 0;
    m_money = 30000;
    for (std::uint32_t i = 0; i < kPartySize; ++i) {
        m_characters[i].Reset(i);
    }
    std::fill(std::begin(m_flags), std::end(m_flags), std::uint8_t{0});
    std::fill(std::begin(m_pickupFlags), std::end(m_pickupFlags), std::uint8_t{0});
    std::fill(std::begin(m_ring), std::end(m_ring), TItemEntry());
    m_items.clear();
    // A new game starts with five of item 1 in ring slot 1.
    AddItem(1, 5);
    AddRingItem(1, 1);
    ApplyVolumes();
    for (TTimedFlags& flags : m_timedFlags) {
        flags.Reset();
    }
    m_playTimeStart = timeGetTime();
}

void TGameData::ApplyVolumes()
{
    ApplyVolume(0, m_seVolume);
    ApplyVolume(1, m_voiceVolume);
    ApplyVolume(2, m_bgmVolume);
}

std::int32_t TGameData::ClampVolume(std::int32_t level)
{
    return std::clamp(level, 0, kFullVolume);
}

void TGameData::ApplyVolume(std::uint32_t bankId, std::int32_t level)
{
    TDSound8* sound = TDSound8::Instance();
    TSoundBank* bank = sound != nullptr ? sound->GetBank(bankId) : nullptr;
    if (bank == nullptr) {
        return;  // before the banks exist the levels only wait in the record
    }
    // A level from a damaged save never asks for more than full volume.
    const float level01 = static_cast<float>(ClampVolume(level)) * 0.015625f;
    const std::int32_t volume = AttenuationToVolume(1.0f - level01);
    bank->SetMaxVolume(volume);
    bank->SetVolumeAll(volume);
}

void TGameData::SetMoney(std::uint32_t money)
{
    m_money = std::min(money, s_maxMoney);
}

void TGameData::AddMoney(std::uint32_t n)
{
    // Summed wide so that a large amount cannot wrap past the cap.
    m_money = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(m_money) + n, s_maxMoney));
}

void TGameData::SubMoney(std::uint32_t n)
{
    m_money = n > m_money ? 0 : m_money - n;
}

TCharacterRecord* TGameData::GetCharacterData(std::uint32_t i)
{
    return Character(i);
}

std::uint8_t TGameData::GetFlag(std::uint32_t id) const
{
    return id < kEventFlags ? m_flags[id] : 0;
}

void TGameData::SetFlag(std::uint32_t id, std::uint8_t value)
{
    if (id < kEventFlags) {
        m_flags[id] = value;
    }
}

std::uint8_t TGameData::GetPickupFlag(std::uint32_t i) const
{
    return i < kPickupFlags ? m_pickupFlags[i] : 0;
}

void TGameData::SetPickupFlag(std::uint32_t i, std::uint8_t value)
{
    if (i < kPickupFlags) {
        m_pickupFlags[i] = value;
    }
}

TItemEntry* TGameData::GetRingSlot(std::uint32_t i)
{
    return i < kRingSlots ? &m_ring[i] : nullptr;
}

void TGameData::StoreCharacter(const TPlayerCharacter& player)
{
    if (TCharacterRecord* record = Character(player.GetCharacterIndex())) {
        record->Store(player);
    }
}

void TGameData::RecoverCharacter(std::int32_t i)
{
    for (std::uint32_t c = 0; c < kPartySize; ++c) {
        if (i == -1 || static_cast<std::uint32_t>(i) == c) {
            TCharacterRecord& record = m_characters[c];
            record.Life = record.LifeMax;
            record.Mp = record.MpMax;
            record.GaugeUsed = 0;
        }
    }
}
