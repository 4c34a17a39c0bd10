#include "dx/dx8/sound/TPseSound.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "TCommon/TFile.h"
#include "dx/dx8/sound/ScrambledTable.h"
#include "dx/dx8/sound/TDSound8.h"

namespace {

constexpr std::uint32_t kNoOffset = 0xFFFFFFFFu;
constexpr std::uint32_t kWaveHeaderSize = 22;  // format (18) and data size (4)

bool ReadU16(TFile& file, std::uint16_t& value)
{
    std::uint8_t b[2];
    if (!file.Read(b, 2)) {
        return false;
    }
    value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool ReadU32(TFile& file, std::uint32_t& value)
{
    std::uint8_t b[4];
    if (!file.Read(b, 4)) {
        return false;
    }
    value = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
            static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
}

bool ReadWaveFormat(TFile& file, WAVEFORMATEX& format)
{
    return ReadU16(file, format.wFormatTag) && ReadU16(file, format.nChannels) &&
           ReadU32(file, format.nSamplesPerSec) && ReadU32(file, format.nAvgBytesPerSec) &&
           ReadU16(file, format.nBlockAlign) && ReadU16(file, format.wBitsPerSample) && ReadU16(file, format.cbSize);
}

// The offset of the first entry named wave, or kNoOffset.
std::uint32_t FindWave(TFile& file, const std::string& wave)
{
    std::uint32_t count = 0;
    // An entry takes at least its name length and its offset.
    if (!ReadU32(file, count) || count > BytesLeft(file) / 8) {
        return kNoOffset;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!file.ReadString(name)) {
            return kNoOffset;  // the directory ends early: nothing further can match
        }
        if (name == wave) {
            std::uint32_t offset = kNoOffset;
            return ReadU32(file, offset) ? offset : kNoOffset;
        }
        if (!file.Skip(4)) {
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
    const std::uint32_t offset = FindWave(file, wave);
    const std::uint32_t size = file.GetSize();
    // The wave record and its data must lie inside the file.
    if (offset == kNoOffset || size == INVALID_FILE_SIZE || offset > size || size - offset < kWaveHeaderSize ||
        !file.Seek(static_cast<std::int32_t>(offset))) {
        return false;
    }
    WAVEFORMATEX format{};
    std::uint32_t dataSize = 0;
    if (!ReadWaveFormat(file, format) || !ReadU32(file, dataSize) || dataSize > BytesLeft(file) ||
        format.nAvgBytesPerSec == 0) {
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
    const bool read = file.Read(audio, locked);
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

