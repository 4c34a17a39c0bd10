#include "dx/dx8/3d/TTexture8.h"

#include <cstring>
#include <list>
#include <memory>
#include <utility>

#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TPixelWriter.h"
#include "dx/dx8/3d/TTexturePackage.h"
#include "dx/dx8/testing/TTextureCacheObserver.h"

namespace {

// Every cached texture, in the order it came. Made on first use, after the device object, so it
// goes before it at exit.
std::list<TTexture8>& Cache()
{
    static std::list<TTexture8> cache;
    return cache;
}

TTextureCacheObserver* s_observer = nullptr;

TTexture8& Cached(TTexture8&& entry)
{
    Cache().push_back(std::move(entry));
    if (s_observer != nullptr) {
        s_observer->OnCached(&Cache().back(), Cache().back().GetName());
    }
    return Cache().back();
}

void Dropping(const TTexture8& entry)
{
    if (s_observer != nullptr) {
        s_observer->OnDropped(&entry);
    }
}

}  // namespace

void SetTextureCacheObserver(TTextureCacheObserver* observer) { s_observer = observer; }

TTexture8::TTexture8() = default;

TTexture8::TTexture8(IDirect3DTexture8* texture, const std::string& name, D3DFORMAT format, D3DPOOL pool,
                     bool created)
    : m_texture(texture), m_name(name), m_format(format), m_pool(pool), m_created(created)
{
    m_nameNumber = ParseNameNumber(name);
}

TTexture8::TTexture8(const TTexture8& other) = default;

TTexture8& TTexture8::operator=(const TTexture8& other) = default;

TTexture8::~TTexture8() = default;

TTexture8* TTexture8::Find(const std::string& name)
{
    for (TTexture8& entry : Cache()) {
        if (entry.m_name == name) {
            return &entry;
        }
    }
    return nullptr;
}

TTexture8 TTexture8::Load(const std::string& name, D3DPOOL pool, DWORD usage)
{
    if (name.empty()) {
        return TTexture8();
    }
    if (TTexture8* cached = Find(name)) {
        return *cached;
    }
    std::string package;
    std::string entry;
    ExtractPackageName(name, &package);
    ExtractEntryName(name, &entry);
    TIndexedImage image;
    if (!TTexturePackage::ReadImage(s_folder + package, entry, &image)) {
        return TTexture8();
    }
    TD3D8* d3d = TD3D8::Instance();
    const D3DFORMAT format = d3d->GetTextureFormat(static_cast<int>(image.kind));
    // A format without writer is as good as no format: the entry cannot be shown.
    if (TPixelWriter::Create(format, false) == nullptr) {
        return TTexture8();
    }
    IDirect3DTexture8* texture = d3d->CreateTexture(image.width, image.height, format, pool, usage);
    if (texture == nullptr) {
        return TTexture8();
    }
    if (!FillFromIndexed(texture, format, image)) {
        texture->Release();
        return TTexture8();
    }
    return Cached(TTexture8(texture, name, format, pool, false));
}

TTexture8 TTexture8::CreateBlank(const std::string& name, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                 DWORD usage)
{
    IDirect3DTexture8* texture = TD3D8::Instance()->CreateTexture(width, height, format, pool, usage);
    TTexture8& entry = Cached(TTexture8(texture, name, format, pool, true));
    entry.m_askedWidth = width;
    entry.m_askedHeight = height;
    return entry;
}

TTexture8 TTexture8::Create(const std::string& name, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                            DWORD usage)
{
    if (TTexture8* cached = Find(name)) {
        return *cached;
    }
    return CreateBlank(name, width, height, format, pool, usage);
}

TTexture8 TTexture8::CreateSized(const std::string& name, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                 DWORD usage)
{
    for (TTexture8& entry : Cache()) {
        if (entry.m_created && entry.m_name == name && entry.m_askedWidth == width && entry.m_askedHeight == height) {
            return entry;
        }
    }
    return CreateBlank(name, width, height, format, pool, usage);
}

void TTexture8::PurgeCache(std::uint32_t mode)
{
    if (IDirect3DDevice8* device = TD3D8::GetDevice()) {
        device->SetTexture(0, nullptr);
    }
    std::list<TTexture8>& cache = Cache();
    if (mode == 1) {
        // Handles still about see the texture as not owned and never release it again.
        for (TTexture8& entry : cache) {
            Dropping(entry);
            if (entry.m_texture.IsOwned() && entry.m_texture.Get() != nullptr) {
                entry.m_texture->Release();
                entry.m_texture.ClearOwned();
            }
        }
        cache.clear();
        return;
    }
    for (auto it = cache.begin(); it != cache.end();) {
        if (it->m_texture.UseCount() == 1) {
            Dropping(*it);
            it = cache.erase(it);  // the last holder releases the texture
        } else {
            ++it;
        }
    }
}

namespace {

// Position of the "/" that splits a key, or npos when the key has none or starts with it.
std::size_t KeySlash(const std::string& key)
{
    const std::size_t slash = key.find('/');
    return slash == 0 ? std::string::npos : slash;
}

}  // namespace

bool TTexture8::ExtractPackageName(const std::string& key, std::string* package)
{
    const std::size_t slash = KeySlash(key);
    *package = slash == std::string::npos ? std::string() : key.substr(0, slash);
    return slash != std::string::npos;
}

bool TTexture8::ExtractEntryName(const std::string& key, std::string* entry)
{
    const std::size_t slash = KeySlash(key);
    *entry = slash == std::string::npos ? std::string() : key.substr(slash + 1);
    return slash != std::string::npos;
}

std::uint32_t TTexture8::ParseNameNumber(const std::string& key)
{
    std::string entry;
    ExtractEntryName(key, &entry);
    if (entry.size() < 2) {
        return 1;
    }
    std::string head = entry.substr(0, 2);
    if (head[1] == '_') {
        head.resize(1);
    }
    std::uint32_t value = 0;
    for (char c : head) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value == 4 || value == 8 || value == 16 ? value : 1;
}

bool TTexture8::FillFromIndexed(IDirect3DTexture8* texture, D3DFORMAT format, const TIndexedImage& image)
{
    std::unique_ptr<TPixelWriter> writer = TPixelWriter::Create(format, image.HasAlphaLayer());
    D3DLOCKED_RECT locked{};
    if (writer == nullptr || texture == nullptr || FAILED(texture->LockRect(0, &locked, nullptr, 0)) ||
        locked.pBits == nullptr) {
        return false;
    }
    auto* rows = static_cast<std::uint8_t*>(locked.pBits);
    // Every texel is written below: only what lies beyond them in each row is cleared.
    const std::size_t used = static_cast<std::size_t>(image.width) * writer->GetBytes();
    const auto pitch = static_cast<std::size_t>(locked.Pitch);
    if (pitch > used) {
        for (std::uint32_t y = 0; y < image.height; ++y) {
            std::memset(rows + y * pitch + used, 0, pitch - used);
        }
    }
    const std::uint8_t* index = image.indices.data();
    const std::uint8_t* alpha = image.HasAlphaLayer() ? image.alpha.data() : index;
    writer->WriteImage(rows, pitch, image.width, image.height, index, image.palette.data(), alpha);
    texture->UnlockRect(0);
    return true;
}

void TTexture8::SetToStage(DWORD stage) const
{
    IDirect3DDevice8* device = TD3D8::GetDevice();
    if (device == nullptr) {
        return;
    }
    if (m_texture.Get() != nullptr && m_enabled) {
        device->SetTexture(stage, m_texture.Get());
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    } else {
        device->SetTexture(stage, nullptr);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    }
}

bool TTexture8::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const
{
    return m_texture.Get() != nullptr && desc != nullptr && SUCCEEDED(m_texture->GetLevelDesc(level, desc));
}
