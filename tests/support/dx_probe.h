// A look into the engine for tests: animation tracks and frames, meshes and their shaders, state
// blocks and views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dx/dx8/3d/TAnimTrack.h"
#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "dx/dx8/3d/TView.h"

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
    static const std::string& Name(const TMeshMaterial& m) { return m.m_name; }
    static std::size_t RegisteredShaderCount() { return TVertexShader::Registry().size(); }
    static DWORD Handle(const TAsmVertexShader& s) { return *s.m_handle; }

    // State blocks.
    static DWORD Handle(const TStateBlock& b) { return b.m_handle; }

    // Views.
    static const D3DXMATRIX* CameraMatrix(const TView& v) { return &v.m_camera; }
    static float Near(const TView& v) { return v.m_near; }
};
