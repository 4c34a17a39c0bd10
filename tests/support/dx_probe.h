// A look into the engine for tests: animation tracks and frames, meshes and their shaders, state
// blocks, sprites and text surfaces, textures, views, and the sound objects.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "dx/dx8/3d/TAnimTrack.h"
#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TText8.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "dx/dx8/3d/TView.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TOggStreamSound.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TStreamSound.h"

struct TDxProbe {
    // Animation tracks: null where the set has none of that kind.
    static TRotationTrack* Rotation(const TAnimTrackSet& s) { return s.m_rotation.get(); }
    static TScaleTrack* Scale(const TAnimTrackSet& s) { return s.m_scale.get(); }
    static TTranslationTrack* Translation(const TAnimTrackSet& s) { return s.m_translation.get(); }

    // Frames.
    static std::int32_t AnimationIndex(const TFrame& f) { return f.m_animIndex; }
    static float AnimationTime(const TFrame& f) { return f.m_animTime; }
    static bool MaterialInherit(const TFrame& f) { return f.m_inherit; }

    // Meshes and shaders.
    static TVertexShader* VertexShader(const TMesh8& m) { return m.m_vertexShader.Get(); }
    static std::uint32_t SubsetCount(const TMesh8& m) { return m.m_geometry->GetSubsetTable()->GetSubsetCount(); }
    static const TMeshMaterial& Material(const TMesh8& m, std::uint32_t i) { return m.m_materials[i]; }
    static const std::string& Name(const TMeshMaterial& m) { return m.m_name; }
    static std::size_t RegisteredShaderCount() { return TVertexShader::Registry().size(); }
    static DWORD Handle(const TAsmVertexShader& s) { return *s.m_handle; }

    // State blocks.
    static DWORD Handle(const TStateBlock& b) { return b.m_handle; }

    // Sprites.
    static const TTexture8& Image(const TSprite& s) { return s.m_image; }
    static bool IsHidden() { return TSprite::s_hidden; }
    static bool HasScreenMode(int mode) { return TSprite::s_modes.count(mode) != 0; }

    // Text surfaces: the bitmap behind the texture.
    static const std::uint8_t* Pixels(const TText8& t) { return t.m_dib.Get() != nullptr ? t.m_dib->pixels : nullptr; }
    static std::uint32_t Stride(const TText8& t) { return t.m_stride; }
    static std::uint32_t TextWidth(const TText8& t) { return t.m_textWidth; }
    static std::uint32_t TextHeight(const TText8& t) { return t.m_textHeight; }
    static D3DFORMAT TextFormat(const TText8& t) { return t.m_format; }
    // Colour entry i of the glyph ramp (0..16 are written; the rest of the 256 stay black).
    static RGBQUAD RampEntry(const TText8& t, int i) { return t.m_glyphHeader->colors[std::clamp(i, 0, 255)]; }

    // Textures.
    static D3DPOOL Pool(const TTexture8& t) { return t.m_pool; }
    // Handles sharing the texture, the cache's included.
    static std::uint32_t ShareCount(const TTexture8& t) { return t.m_texture.UseCount(); }

    // Views.
    static const D3DXMATRIX* CameraMatrix(const TView& v) { return &v.m_camera; }
    static float Near(const TView& v) { return v.m_near; }

    // Sound.
    static bool IsInitialized(const TDSound8& d) { return d.m_initialised; }
    static bool HasIntro(const TOggStreamSound& s) { return s.m_hasIntro; }
    // Uses not yet matched by unloads; 0 for an id the bank never saw.
    static std::uint32_t UseCount(const TSoundBank& b, std::uint32_t id)
    {
        const auto it = b.m_uses.find(id);
        return it != b.m_uses.end() ? it->second.count : 0;
    }
    static std::int32_t State(const TStreamSound& s) { return s.m_state.load(); }
};
