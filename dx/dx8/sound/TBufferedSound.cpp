#include "dx/dx8/sound/TBufferedSound.h"

#include "dx/dx8/sound/TDSound8.h"

std::int32_t TBufferedSound::GetVolume()
{
    LONG volume = 0;
    if (m_buffer.Get() == nullptr || FAILED(m_buffer->GetVolume(&volume))) {
        return 0;
    }
    return volume;
}

std::int32_t TBufferedSound::SetVolume(std::int32_t volume)
{
    const std::int32_t set = ClampVolume(volume);
    if (m_buffer.Get() != nullptr) {
        m_buffer->SetVolume(set);
    }
    return set;
}

std::int32_t TBufferedSound::GetPan()
{
    LONG pan = 0;
    if (m_buffer.Get() == nullptr || FAILED(m_buffer->GetPan(&pan))) {
        return 0;
    }
    return pan;
}

void TBufferedSound::SetPan(std::int32_t pan)
{
    if (m_buffer.Get() != nullptr) {
        m_buffer->SetPan(pan);
    }
}

bool TBufferedSound::CreateBuffer(const WAVEFORMATEX& format, DWORD flags, DWORD bytes)
{
    WAVEFORMATEX wanted = format;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = flags;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = &wanted;
    IDirectSoundBuffer* plain = nullptr;
    if (m_owner == nullptr || m_owner->GetDevice() == nullptr ||
        FAILED(m_owner->GetDevice()->CreateSoundBuffer(&desc, &plain, nullptr)) || plain == nullptr) {
        return false;
    }
    IDirectSoundBuffer8* buffer = nullptr;
    const HRESULT hr = plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer));
    plain->Release();
    if (FAILED(hr) || buffer == nullptr) {
        return false;
    }
    m_buffer = TComPtr<IDirectSoundBuffer8>(buffer);
    return true;
}
