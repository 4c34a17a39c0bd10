// The sky dome's vertex-shader object: the dome mesh draws through it with the sky's own fog range,
// its texture mapped from world x and z and scrolled every draw. Without vertex shaders the texture
// coordinates are written on the CPU into a working copy of the dome.
#pragma once

#include <cstdint>

#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TVertexShader.h"

class TSky : public TVertexShader {
    friend struct TMapProbe;
public:
    // Both load "sky/sky00.msh" from the mesh folder; my_error when it cannot be read.
    TSky();
    TSky(float scaleU, float scaleV, float speedU, float speedV, float fadeStart, float fadeEnd, D3DCOLOR fogColor);
    ~TSky() override;

    // A start not below the end gives 100000 to 110000: no visible fade.
    void SetRange(float start, float end);

    // The draw hook of the dome mesh.
    void DrawSubset(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world) override;
    void Create() override { CreateShader(); }
    void Release() override { ReleaseShader(); }
    void CreateShader();
    void ReleaseShader();

private:
    void Scroll();
    void DrawWithShader(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world);
    void DrawSoftware(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world);

    static inline DWORD s_shader = 0;

    float m_scaleU = 0.0F;
    float m_scaleV = 0.0F;
    float m_speedU = 0.0F;
    float m_speedV = 0.0F;
    float m_offsetU = 0.0F;
    float m_offsetV = 0.0F;
    float m_fadeStart = 0.0F;
    float m_fadeEnd = 0.0F;
    D3DCOLOR m_fogColor = 0;
    TMesh8 m_mesh;
};
