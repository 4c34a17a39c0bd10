#include "dx/dx8/sound/TPseSound.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "TCommon/TByteReader.h"
#include "TCommon/TFile.h"
#include "dx/dx8/sound/TDSound8.h"

namespace {

constexpr std::uint32_t kNoOffset = 0xFFFFFFFFu;

bool ReadWaveFormat(TByteReader& in, WAVEFORMATEX& format)
{
    return in.U16(format.wFormatTag) && in.U16(format.nChannels) && in.U32(format.nSamplesPerSec) &&
           in.U32(format.nAvgBytesPerSec) && in.U16(format.nBlockAlign) && in.U16(format.wBitsPerSample) &&
           in.U16(format.cbSize);
}

// The offset of the first entry named wave, or kNoOffset.
std::uint32_t FindWave(TByteReader& in, const std::string& wave)
{
    std::uint32_t count = 0;
    // An entry takes at least its name length and its offset.
    if (!in.U32(count) || !in.Fits(count, 8)) {
        return kNoOffset;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!in.String(name)) {
            return kNoOffset;  // the directory ends early: nothing further can match
        }
        if (name == wave) {
            std::uint32_t offset = kNoOffset;
            return in.U32(offset) ? offset : kNoOffset;
        }
        if (!in.Skip(4)) {
            return kNoOffset;
        }
    }
    return kNoOffset;
}

}  // namespace

TPseSound::TPseSound(const std::string& key, std::uint32_t bankId, TDSound8* owner)
    : TBufferedSound(bankId, owner), m_key(key)
{
    if (!Load()) {
        m_buffer = TComPtr<IDirectSoundBuffer8>();
        m_state = kNotLoaded;
    }
}

TPseSound::~TPseSound()
{
    Stop(true);
}

bool TPseSound::Load()
{
    const std::size_t slash = m_key.find('/');
    const std::string package = m_key.substr(0, slash);
    const std::string wave = slash == std::string::npos ? std::string() : m_key.substr(slash + 1);
    if (m_owner == nullptr || m_owner->GetDevice() == nullptr) {
        return false;
    }
    TFile file(m_owner->GetSeFolder() + package);
    if (!file.Open(true, GENERIC_READ)) {
        return false;
    }
    TByteReader in(file);
    const std::uint32_t offset = FindWave(in, wave);
    // The wave record and its data must lie inside the file.
    WAVEFORMATEX format{};
    std::uint32_t dataSize = 0;
    if (offset == kNoOffset || !in.Seek(offset) || !ReadWaveFormat(in, format) || !in.U32(dataSize) ||
        !in.Fits(dataSize, 1) || format.nAvgBytesPerSec == 0) {
        return false;
    }

    if (!CreateBuffer(format, DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_LOCSOFTWARE,
                      dataSize)) {
        return false;
    }

    void* audio = nullptr;
    DWORD locked = 0;
    if (FAILED(m_buffer->Lock(0, dataSize, &audio, &locked, nullptr, nullptr, 0))) {
        return false;
    }
    const bool read = in.Bytes(audio, locked);
    m_buffer->Unlock(audio, locked, nullptr, 0);
    if (!read) {
        return false;
    }
    m_buffer->SetCurrentPosition(0);
    file.Close();

    m_state = kStopped;
    const std::uint64_t ms = static_cast<std::uint64_t>(dataSize) * 1000 / format.nAvgBytesPerSec;
    m_length = static_cast<std::int32_t>(std::min<std::uint64_t>(ms, std::numeric_limits<std::int32_t>::max()));
    return true;
}

void TPseSound::Play()
{
    m_state = kPlaying;
    if (m_buffer.Get() != nullptr) {
        m_buffer->Play(0, 0, m_loop ? DSBPLAY_LOOPING : 0);
    }
}

void TPseSound::Stop(bool rewind)
{
    m_state = kStopped;
    if (m_buffer.Get() != nullptr) {
        m_buffer->Stop();
    }
    if (rewind) {
        Rewind();
    }
}

void TPseSound::SetLoop(bool loop)
{
    m_loop = loop;
    if (m_state == kPlaying && m_buffer.Get() != nullptr) {
        m_buffer->Play(0, 0, m_loop ? DSBPLAY_LOOPING : 0);
    }
}

void TPseSound::Rewind()
{
    if (m_buffer.Get() != nullptr) {
        m_buffer->SetCurrentPosition(0);
    }
}

