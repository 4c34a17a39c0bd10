#include "dx/dx8/sound/TDSound8.h"

#include <cstring>
#include <memory>
#include <new>

#include "TCommon/my_error.h"
#include "dx/dx8/sound/TOggStreamSound.h"
#include "dx/dx8/sound/TPseSound.h"

namespace {

const char kSourcePath[] = "dx/dx8/sound/TDSound8.cpp";

// What the primary format falls back to: 22.05 kHz, 8 bits, stereo.
constexpr WAVEFORMATEX kFallbackFormat = {WAVE_FORMAT_PCM, 2, 22050, 44100, 2, 8, 0};

void ReleaseCom(TComPtr<IDirectSoundBuffer8>& holder)
{
    holder = TComPtr<IDirectSoundBuffer8>();
}

}  // namespace

TDSound8* TDSound8::Instance()
{
    static std::unique_ptr<TDSound8> instance(new (std::nothrow) TDSound8);
    return instance.get();
}

TDSound8::TDSound8() : m_caps{}, m_capsValid(false), m_initialised(false), m_primaryFormat(kFallbackFormat)
{
}

TDSound8::~TDSound8()
{
    Uninit();
}

bool TDSound8::Init(HWND window)
{
    IDirectSound8* device = nullptr;
    if (FAILED(DirectSoundCreate8(nullptr, &device, nullptr)) || device == nullptr) {
        throw my_error("DirectSoundの初期化に失敗しました。", kSourcePath, 60);
    }
    m_device = TComPtr<IDirectSound8>(device);

    m_caps = DSCAPS{};
    m_caps.dwSize = sizeof(DSCAPS);
    m_capsValid = SUCCEEDED(m_device->GetCaps(&m_caps));

    if (SUCCEEDED(m_device->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        if (!SetPrimaryFormat() && FAILED(m_device->SetCooperativeLevel(window, DSSCL_NORMAL))) {
            throw my_error("協調レベル設定に失敗しました。", kSourcePath, 71);
        }
    } else if (FAILED(m_device->SetCooperativeLevel(window, DSSCL_NORMAL))) {
        throw my_error("協調レベル設定に失敗しました。", kSourcePath, 75);
    }

    CreateSilentBuffer();
    m_initialised = true;
    return true;
}

bool TDSound8::SetPrimaryFormat()
{
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    bool ok = SUCCEEDED(m_device->CreateSoundBuffer(&desc, &primary, nullptr)) && primary != nullptr;
    if (ok) {
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
        ok = SUCCEEDED(primary->SetFormat(&format)) &&
             SUCCEEDED(primary->GetFormat(&m_primaryFormat, WAVEFORMATEX_STORED_SIZE, nullptr));
    }
    if (primary != nullptr) {
        primary->Release();
    }
    if (!ok) {
        m_primaryFormat = kFallbackFormat;
    }
    return ok;
}

// One second of silence in the primary format; nothing plays it.
void TDSound8::CreateSilentBuffer()
{
    WAVEFORMATEX format = m_primaryFormat;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_LOCSOFTWARE;
    desc.dwBufferBytes = format.nAvgBytesPerSec;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* plain = nullptr;
    if (FAILED(m_device->CreateSoundBuffer(&desc, &plain, nullptr)) || plain == nullptr) {
        return;
    }
    IDirectSoundBuffer8* buffer = nullptr;
    const HRESULT hr = plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer));
    plain->Release();
    if (FAILED(hr) || buffer == nullptr) {
        return;
    }
    m_silent = TComPtr<IDirectSoundBuffer8>(buffer);
    void* audio = nullptr;
    DWORD bytes = 0;
    if (SUCCEEDED(m_silent->Lock(0, desc.dwBufferBytes, &audio, &bytes, nullptr, nullptr, 0))) {
        std::memset(audio, format.wBitsPerSample == 8 ? 0x80 : 0x00, bytes);
        m_silent->Unlock(audio, bytes, nullptr, 0);
    }
    m_silent->SetVolume(DSBVOLUME_MIN);
}

void TDSound8::Uninit()
{
    m_initialised = false;
    m_banks.clear();
    if (m_silent.Get() != nullptr) {
        m_silent->Stop();
    }
    ReleaseCom(m_silent);
    m_device = TComPtr<IDirectSound8>();
}

TRefPtr<TStreamSound> TDSound8::CreateSound(const std::string& path, std::uint32_t bankId)
{
    if (path.find(".ogg") != std::string::npos) {
        return TRefPtr<TStreamSound>(new TOggStreamSound(path, bankId, this));
    }
    if (path.find(".pse") != std::string::npos) {
        return TRefPtr<TStreamSound>(new TPseSound(path, bankId, this));
    }
    return TRefPtr<TStreamSound>();
}

TRefPtr<TSoundFader> TDSound8::CreateFader(TRefPtr<TStreamSound> sound, bool fadeIn, float endLevel,
                                           std::int32_t steps)
{
    return TRefPtr<TSoundFader>(new TSoundFader(sound, fadeIn, endLevel, steps));
}

void TDSound8::CreateBank(const std::string& tablePath, const std::string& packagePrefix, std::uint32_t bankId,
                          std::int32_t minVolume, std::int32_t maxVolume)
{
    TRefPtr<TSoundBank> bank(new TSoundBank(tablePath, packagePrefix, bankId, this, minVolume, maxVolume));
    // The old bank goes only after the new one is in place.
    TRefPtr<TSoundBank> old = m_banks[bankId];
    m_banks[bankId] = bank;
}

TSoundBank* TDSound8::GetBank(std::uint32_t bankId)
{
    return m_banks[bankId].Get();
}

void TDSound8::PurgeUnused()
{
    for (auto& [id, bank] : m_banks) {
        if (bank.Get() != nullptr) {
            bank->PurgeUnused();
        }
    }
}
