#include "dx/dx8/sound/TSoundBank.h"

#include <vector>

#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundTableReader.h"
#include "dx/dx8/testing/TSoundBankObserver.h"

namespace {

TSoundBankObserver* s_observer = nullptr;

}  // namespace

void SetSoundBankObserver(TSoundBankObserver* observer) { s_observer = observer; }

TSoundBank::TSoundBank(const std::string& tablePath, const std::string& packagePrefix, std::uint32_t bankId,
                       TDSound8* owner, std::int32_t minVolume, std::int32_t maxVolume)
    : m_packagePrefix(packagePrefix), m_bankId(bankId), m_minVolume(minVolume), m_maxVolume(maxVolume), m_owner(owner)
{
    TSoundTableReader reader;
    if (!reader.Load(tablePath)) {
        return;
    }
    for (const TSoundTableEntry& entry : reader.GetEntries()) {
        m_names[entry.id] = entry.name;  // a later record replaces an earlier one
    }
}

void TSoundBank::Load(std::uint32_t id)
{
    if (s_observer != nullptr) {
        s_observer->OnLoad(m_bankId, id);
    }
    auto it = m_uses.find(id);
    if (it != m_uses.end() && (it->second.count > 0 || it->second.sound.Get() != nullptr)) {
        // Still loaded (perhaps idle since its last unload): reused as it is.
        ++it->second.count;
        return;
    }
    auto name = m_names.find(id);
    TRefPtr<TStreamSound> sound =
        m_owner->CreateSound(m_packagePrefix + (name != m_names.end() ? name->second : std::string()), m_bankId);
    if (sound.Get() != nullptr) {
        sound->SetMinVolume(m_minVolume);
        sound->SetMaxVolume(m_maxVolume);
        sound->SetVolume(m_maxVolume);
    }
    Use& use = m_uses[id];
    use.count = 1;
    use.sound = sound;
}

void TSoundBank::Unload(std::uint32_t id)
{
    if (s_observer != nullptr) {
        s_observer->OnUnload(m_bankId, id);
    }
    auto it = m_uses.find(id);
    if (it != m_uses.end() && it->second.count > 0) {
        --it->second.count;
    }
}

TStreamSound* TSoundBank::SoundOf(std::uint32_t id) const
{
    auto it = m_uses.find(id);
    return it != m_uses.end() ? it->second.sound.Get() : nullptr;
}

void TSoundBank::Play(std::uint32_t id)
{
    if (s_observer != nullptr) {
        s_observer->OnPlay(m_bankId, id);
    }
    if (TStreamSound* sound = SoundOf(id)) {
        sound->Stop(true);
        sound->Play();
    }
}

void TSoundBank::PlayLoop(std::uint32_t id)
{
    if (s_observer != nullptr) {
        s_observer->OnPlayLoop(m_bankId, id);
    }
    if (TStreamSound* sound = SoundOf(id)) {
        sound->Stop(true);
        sound->SetLoop(true);
        sound->Play();
    }
}

void TSoundBank::Stop(std::uint32_t id)
{
    if (s_observer != nullptr) {
        s_observer->OnStop(m_bankId, id);
    }
    if (TStreamSound* sound = SoundOf(id)) {
        sound->Stop(true);
    }
}

std::int32_t TSoundBank::GetLength(std::uint32_t id)
{
    TStreamSound* sound = SoundOf(id);
    return sound != nullptr ? sound->GetLength() : -1;
}

TRefPtr<TStreamSound> TSoundBank::Get(std::uint32_t id)
{
    return m_uses[id].sound;
}

void TSoundBank::SetVolumeAll(std::int32_t volume)
{
    for (auto& [id, use] : m_uses) {
        if (use.sound.Get() != nullptr) {
            use.sound->SetVolume(volume);
        }
    }
}

void TSoundBank::SetMaxVolume(std::int32_t volume)
{
    if (volume > 0) {
        volume = 0;
    } else if (volume < -10000) {
        volume = -10000;
    }
    m_maxVolume = volume;
    for (auto& [id, use] : m_uses) {
        if (use.sound.Get() != nullptr) {
            use.sound->SetMaxVolume(volume);
        }
    }
}

std::int32_t TSoundBank::FindId(const std::string& name) const
{
    for (const auto& [id, fileName] : m_names) {
        if (fileName == name) {
            return static_cast<std::int32_t>(id);
        }
    }
    return -1;
}

void TSoundBank::PurgeUnused()
{
    std::vector<std::uint32_t> unused;
    for (const auto& [id, use] : m_uses) {
        if (use.count == 0 && use.sound.UseCount() < 2) {
            unused.push_back(id);
        }
    }
    for (std::uint32_t id : unused) {
        m_uses.erase(id);  // the last holder deletes the sound
    }
}

bool TSoundBank::IsLoaded(std::uint32_t id) const
{
    return SoundOf(id) != nullptr;
}
