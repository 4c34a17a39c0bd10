#include "MainCode/Map/TSky.h"

#include <cstring>

#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TView.h"
#include "platform/d3dx8/d3dx8.h"

namespace {

constexpr UINT kStride = 24;  // position, colour, one texture coordinate pair
constexpr DWORD kSkyFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

const DWORD kDeclaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                              D3DVSD_REG(2, D3DVSDT_FLOAT2), D3DVSD_END()};

// Texture coordinates from the world x and z of each vertex.
const char kProgram[] =
    "vs.1.0\n"
    "m4x4 oPos, v0, c0\n"
    "dp4 r8.z, v0, c6\n"
    "dp4 r0.x, v0, c10\n"
    "dp4 r0.y, v0, c12\n"
    "mov oD0, v1\n"
    "mad oT0.xy, r0.xy, c9.xy, c9.zw\n"
    "mad oFog.x, -r8.z, c8.y, c8.x\n";

void DrawRanges(IDirect3DDevice8* device, const TMesh8& mesh, std::uint32_t material)
{
    const TMeshGeometry* g = mesh.GetGeometry();
    for (const TMeshSubsetTable::Run& run : g->GetSubsetTable()->GetRuns(material)) {
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, g->GetVertexCount(), run.first * 3, run.count);
    }
}

// The fog the scene had before the sky changed it.
struct SavedFog {
    bool enabled = false;
    float start = 0.0F;
    float end = 0.0F;
    D3DCOLOR color = 0;
};

}  // namespace

TSky::TSky() : m_mesh(TMesh8::Load("sky/sky00.msh")) {}

TSky::TSky(float scaleU, float scaleV, float speedU, float speedV, float fadeStart, float fadeEnd, D3DCOLOR fogColor)
    : m_scaleU(scaleU),
      m_scaleV(scaleV),
      m_speedU(speedU),
      m_speedV(speedV),
      m_fogColor(fogColor),
      m_mesh(TMesh8::Load("sky/sky00.msh"))
{
    SetRange(fadeStart, fadeEnd);
}

TSky::~TSky() = default;

void TSky::SetRange(float start, float end)
{
    if (start >= end) {
        start = 100000.0F;
        end = 110000.0F;
    }
    m_fadeStart = start;
    m_fadeEnd = end;
}

void TSky::CreateShader()
{
    ReleaseShader();
    TD3D8* d3d = TD3D8::Instance();
    if (d3d->IsVertexShaderSupported() && TD3D8::GetDevice() != nullptr) {
        s_shader = d3d->AssembleShader(kProgram, kDeclaration);
    }
}

void TSky::ReleaseShader() { DeleteHandle(&s_shader); }

void TSky::Scroll()
{
    m_offsetU += m_speedU;
    m_offsetV += m_speedV;
    if (m_offsetU > 1.0F) {
        m_offsetU = 0.0F;
    } else if (m_offsetU < 0.0F) {
        m_offsetU = 1.0F;
    }
    if (m_offsetV > 1.0F) {
        m_offsetV = 0.0F;
    } else if (m_offsetV < 0.0F) {
        m_offsetV = 1.0F;
    }
}

void TSky::DrawSubset(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world)
{
    const TMeshGeometry* g = mesh->GetGeometry();
    if (g->GetVertexSize() != kStride || material >= g->GetSubsetTable()->GetSubsetCount() ||
        TD3D8::GetDevice() == nullptr) {
        return;
    }
    TD3D8* d3d = TD3D8::Instance();
    SavedFog saved;
    d3d->GetFog(&saved.enabled, &saved.start, &saved.end, &saved.color);
    d3d->SetFog(true, m_fadeStart, m_fadeEnd, m_fogColor);
    d3d->ApplyFog(true);

    Scroll();
    if (d3d->IsVertexShaderSupported()) {
        DrawWithShader(material, mesh, view, world);
    } else {
        DrawSoftware(material, mesh, view, world);
    }

    d3d->SetFog(saved.enabled, saved.start, saved.end, saved.color);
    d3d->ApplyFog(true);
}

void TSky::DrawWithShader(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world)
{
    if (s_shader == 0) {
        CreateShader();  // the shared program is made with the device; a sky drawn before that makes it
    }
    IDirect3DDevice8* device = TD3D8::GetDevice();
    const D3DXMATRIX w(*world);
    D3DXMATRIX m;
    D3DXMATRIX t;
    D3DXMatrixMultiply(&m, &w, view->GetViewProjection());
    D3DXMatrixTranspose(&t, &m);
    device->SetVertexShaderConstant(0, &t, 4);
    D3DXMatrixMultiply(&m, &w, view->GetView());
    D3DXMatrixTranspose(&t, &m);
    device->SetVertexShaderConstant(4, &t, 4);
    const float mapping[4] = {m_scaleU, m_scaleV, m_offsetU, m_offsetV};
    device->SetVertexShaderConstant(9, mapping, 1);
    D3DXMatrixTranspose(&t, &w);
    device->SetVertexShaderConstant(10, &t, 4);

    const TMeshGeometry* g = mesh->GetGeometry();
    mesh->GetMaterial(material).GetTexture().SetToStage(0);
    device->SetIndices(g->GetIndexBuffer(), 0);
    device->SetVertexShader(s_shader);
    device->SetStreamSource(0, g->GetVertexBuffer(0), kStride);
    DrawRanges(device, *mesh, material);
}

void TSky::DrawSoftware(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world)
{
    // A working copy of its own; made again when another dome (or one of another size) comes.
    if (m_mesh.GetName() != mesh->GetName() || m_mesh.GetVertexCount() != mesh->GetVertexCount() ||
        m_mesh.GetGeometry()->GetVertexSize() != kStride) {
        m_mesh = mesh->CloneMirrored(0);
    }
    IDirect3DDevice8* device = TD3D8::GetDevice();
    device->SetVertexShader(kSkyFVF);
    device->SetTransform(D3DTS_WORLD, world);
    device->SetTransform(D3DTS_PROJECTION, view->GetProjection());
    device->SetTransform(D3DTS_VIEW, view->GetView());

    // The same mapping as the program: world x and world z of each vertex, translation included.
    const D3DMATRIX& m = *world;
    const auto* in = static_cast<const std::uint8_t*>(mesh->LockVerticesReadOnly(0));
    auto* out = static_cast<std::uint8_t*>(m_mesh.LockVertices(0));
    if (in != nullptr && out != nullptr) {
        for (std::uint32_t i = 0; i < mesh->GetVertexCount(); ++i) {
            float p[3];
            std::memcpy(p, in + static_cast<std::size_t>(i) * kStride, sizeof p);
            const float uv[2] = {(p[0] * m._11 + p[1] * m._21 + p[2] * m._31 + m._41) * m_scaleU + m_offsetU,
                                 (p[0] * m._13 + p[1] * m._23 + p[2] * m._33 + m._43) * m_scaleV + m_offsetV};
            std::uint8_t* v = out + static_cast<std::size_t>(i) * kStride;
            std::memcpy(v, p, sizeof p);  // the dome's own size, should it have changed
            std::memcpy(v + 16, uv, sizeof uv);
        }
    }
    if (out != nullptr) {
        m_mesh.UnlockVertices(0, false);
    }
    if (in != nullptr) {
        mesh->UnlockVertices(0, false);
    }

    const TMeshGeometry* g = m_mesh.GetGeometry();
    mesh->GetMaterial(material).GetTexture().SetToStage(0);
    device->SetIndices(g->GetIndexBuffer(), 0);
    device->SetStreamSource(0, g->GetVertexBuffer(0), kStride);
    DrawRanges(device, m_mesh, material);
}
