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

TDSound8::TDSound8() : caps_{}, capsValid_(false), initialised_(false), primaryFormat_(kFallbackFormat)
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
    device_ = TComPtr<IDirectSound8>(device);

    caps_ = DSCAPS{};
    caps_.dwSize = sizeof(DSCAPS);
    capsValid_ = SUCCEEDED(device_->GetCaps(&caps_));

    if (SUCCEEDED(device_->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        if (!SetPrimaryFormat() && FAILED(device_->SetCooperativeLevel(window, DSSCL_NORMAL))) {
            throw my_error("協調レベル設定に失敗しました。", kSourcePath, 71);
        }
    } else if (FAILED(device_->SetCooperativeLevel(window, DSSCL_NORMAL))) {
        throw my_error("協調レベル設定に失敗しました。", kSourcePath, 75);
    }

    CreateSilentBuffer();
    initialised_ = true;
    return true;
}

bool TDSound8::SetPrimaryFormat()
{
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    bool ok = SUCCEEDED(device_->CreateSoundBuffer(&desc, &primary, nullptr)) && primary != nullptr;
    if (ok) {
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
        ok = SUCCEEDED(primary->SetFormat(&format)) &&
             SUCCEEDED(primary->GetFormat(&primaryFormat_, WAVEFORMATEX_STORED_SIZE, nullptr));
    }
    if (primary != nullptr) {
        primary->Release();
    }
    if (!ok) {
        primaryFormat_ = kFallbackFormat;
    }
    return ok;
}

// One second of silence in the primary format; nothing plays it.
void TDSound8::CreateSilentBuffer()
{
    WAVEFORMATEX format = primaryFormat_;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_LOCSOFTWARE;
    desc.dwBufferBytes = format.nAvgBytesPerSec;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* plain = nullptr;
    if (FAILED(device_->CreateSoundBuffer(&desc, &plain, nullptr)) || plain == nullptr) {
        return;
    }
    IDirectSoundBuffer8* buffer = nullptr;
    const HRESULT hr = plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer));
    plain->Release();
    if (FAILED(hr) || buffer == nullptr) {
        return;
    }
    silent_ = TComPtr<IDirectSoundBuffer8>(buffer);
    void* audio = nullptr;
    DWORD bytes = 0;
    if (SUCCEEDED(silent_->Lock(0, desc.dwBufferBytes, &audio, &bytes, nullptr, nullptr, 0))) {
        std::memset(audio, format.wBitsPerSample == 8 ? 0x80 : 0x00, bytes);
        silent_->Unlock(audio, bytes, nullptr, 0);
    }
    silent_->SetVolume(DSBVOLUME_MIN);
}

void TDSound8::Uninit()
{
    initialised_ = false;
    banks_.clear();
    if (silent_.Get() != nullptr) {
        silent_->Stop();
    }
    ReleaseCom(silent_);
    device_ = TComPtr<IDirectSound8>();
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
    TRefPtr<TSoundBank> old = banks_[bankId];
    banks_[bankId] = bank;
}

TSoundBank* TDSound8::GetBank(std::uint32_t bankId)
{
    return banks_[bankId].Get();
}

void TDSound8::PurgeUnused()
{
    for (auto& [id, bank] : banks_) {
        if (bank.Get() != nullptr) {
            bank->PurgeUnused();
        }
    }
}
