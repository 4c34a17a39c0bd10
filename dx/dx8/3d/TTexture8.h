// Texture handles and the shared texture cache. Handles are cheap to copy; copies share one
// texture. Textures are read from ".ptx" packages under keys "package/entry" or made blank by
// name; every one lives in the cache under its name until a purge releases it. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "platform/d3d8/d3d8.h"

struct TIndexedImage;

class TTexture8 {
    friend struct TDxProbe;

public:
    // A handle without texture.
    TTexture8();
    TTexture8(const TTexture8& other);
    TTexture8& operator=(const TTexture8& other);
    ~TTexture8();

    // The package folder, with its trailing "/" ("data/ptx04/").
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }

    // A cached texture of that name, else the entry read from its package and cached. An empty
    // name, an entry the package does not hold (or of a kind the device has no format for) and a
    // texture the device refuses give a handle without texture, not cached. Throws my_error with
    // the package path when the package cannot be opened or is damaged.
    static TTexture8 Load(const std::string& name, D3DPOOL pool, DWORD usage);
    // A cached texture of that name (whatever its size), else a new blank one, cached even when the
    // device refuses it (the handle then holds no texture).
    static TTexture8 Create(const std::string& name, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                            DWORD usage);
    // A cached blank texture of that name made at exactly that size, else a new one cached beside
    // any of another size: text textures whose name comes back at another size each get their own.
    static TTexture8 CreateSized(const std::string& name, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                 DWORD usage);
    // The cached entry of exactly that name, or null.
    static TTexture8* Find(const std::string& name);
    // Mode 1 releases every cached texture (at shut-down); any other mode those only the cache holds.
    static void PurgeCache(std::uint32_t mode);

    // "package/entry": false (and empty) without a "/" or with one at the start.
    static bool ExtractPackageName(const std::string& key, std::string* package);
    static bool ExtractEntryName(const std::string& key, std::string* entry);
    // 4, 8 or 16 from the first two characters of the entry name ("16_", "8_", "08"); else 1.
    static std::uint32_t ParseNameNumber(const std::string& key);
    // Writes the image into level 0 of the texture in its format; false when the format has no
    // writer or the level cannot be locked.
    static bool FillFromIndexed(IDirect3DTexture8* texture, D3DFORMAT format, const TIndexedImage& image);

    // Binds the texture to the stage (colour and alpha from it), or unbinds (from the diffuse
    // colour) when there is none or the handle is disabled.
    void SetToStage(DWORD stage) const;
    bool GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const;

    const std::string& GetName() const { return m_name; }
    D3DFORMAT GetFormat() const { return m_format; }
    IDirect3DTexture8* GetTexture() const { return m_texture.Get(); }
    bool HasTexture() const { return m_texture.Get() != nullptr; }

private:
    TTexture8(IDirect3DTexture8* texture, const std::string& name, D3DFORMAT format, D3DPOOL pool, bool created);

    // A new blank texture, cached.
    static TTexture8 CreateBlank(const std::string& name, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                 DWORD usage);

    static inline std::string s_folder;

    TComPtr<IDirect3DTexture8> m_texture;
    TComPtr<IUnknown> m_second;  // never filled; shared like the first
    std::string m_name;
    D3DFORMAT m_format = D3DFMT_UNKNOWN;
    D3DPOOL m_pool = D3DPOOL_DEFAULT;
    std::uint32_t m_nameNumber = 1;
    bool m_reload = false;
    bool m_created = false;
    bool m_enabled = true;
    // The size a blank texture was asked for (0 for a loaded one).
    UINT m_askedWidth = 0;
    UINT m_askedHeight = 0;
};
