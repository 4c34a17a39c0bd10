#include "dx/dx8/3d/TVertexShader.h"

#include <cmath>
#include <cstring>

#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TView.h"
#include "platform/d3dx8/d3dx8.h"

namespace {

constexpr UINT kStride = 24;  // position, colour, one texture coordinate pair
constexpr DWORD kMeshFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

#define QM_FIXED_HEAD "vs.1.0\nm4x4 oPos, v0, c0\ndp4 r8.z, v0, c6\n"
#define QM_FIXED_TAIL "mov oT0.xy, v2\nmad oFog.x, -r8.z, c8.y, c8.x\n"
#define QM_MORPH_HEAD "vs.1.0\nmul r0, v0, c9.x\nmad r0, v1, c9.y, r0\nm4x4 oPos, r0, c0\ndp4 r8.z, r0, c6\n"
#define QM_UV_KEEP "mov oT0.xy, v4.xy\n"
#define QM_UV_BLEND "mul r2, v4, c9.x\nmad oT0.xy, v5, c9.y, r2\n"
#define QM_FOG "mad oFog.x, -r8.z, c8.y, c8.x\n"
#define QM_VERTEX_KEEP "mov oD0, v2\n"
#define QM_VERTEX_BLEND "mul r1, v2, c9.x\nmad oD0, v3, c9.y, r1\n"
#define QM_CONSTANT "mov oD0, c10\n"
#define QM_MODULATE_KEEP "mul oD0, v2, c10\n"
#define QM_MODULATE_BLEND "mul r1, v2, c9.x\nmad r3, v3, c9.y, r1\nmul oD0, r3, c10\n"

const char kVertexColorProgram[] = QM_FIXED_HEAD "mov oD0, v1\n" QM_FIXED_TAIL;
const char kConstantColorProgram[] = QM_FIXED_HEAD "mov oD0, c10\n" QM_FIXED_TAIL;
const char kModulateColorProgram[] = QM_FIXED_HEAD "mul oD0, v1, c10\n" QM_FIXED_TAIL;

// Indexed by mode: bit 0 blends colours, bit 1 texture coordinates.
const char* const kMorphVertexPrograms[4] = {
    QM_MORPH_HEAD QM_VERTEX_KEEP QM_UV_KEEP QM_FOG,
    QM_MORPH_HEAD QM_VERTEX_BLEND QM_UV_KEEP QM_FOG,
    QM_MORPH_HEAD QM_VERTEX_KEEP QM_UV_BLEND QM_FOG,
    QM_MORPH_HEAD QM_VERTEX_BLEND QM_UV_BLEND QM_FOG,
};
// A constant colour has nothing to blend: the texture bit alone picks the program.
const char* const kMorphConstantPrograms[2] = {
    QM_MORPH_HEAD QM_CONSTANT QM_UV_KEEP QM_FOG,
    QM_MORPH_HEAD QM_CONSTANT QM_UV_BLEND QM_FOG,
};
const char* const kMorphModulatePrograms[4] = {
    QM_MORPH_HEAD QM_MODULATE_KEEP QM_UV_KEEP QM_FOG,
    QM_MORPH_HEAD QM_MODULATE_BLEND QM_UV_KEEP QM_FOG,
    QM_MORPH_HEAD QM_MODULATE_KEEP QM_UV_BLEND QM_FOG,
    QM_MORPH_HEAD QM_MODULATE_BLEND QM_UV_BLEND QM_FOG,
};

// One device handle per program.
DWORD g_vertexColorHandle = 0;
DWORD g_constantColorHandle = 0;
DWORD g_modulateColorHandle = 0;
DWORD g_morphVertexHandles[4] = {};
DWORD g_morphConstantHandles[2] = {};
DWORD g_morphModulateHandles[4] = {};

const DWORD kSingleStream[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                               D3DVSD_REG(2, D3DVSDT_FLOAT2), D3DVSD_END()};
const DWORD kTwoStreams[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(2, D3DVSDT_D3DCOLOR),
                             D3DVSD_REG(4, D3DVSDT_FLOAT2), D3DVSD_STREAM(1), D3DVSD_REG(1, D3DVSDT_FLOAT3),
                             D3DVSD_REG(3, D3DVSDT_D3DCOLOR), D3DVSD_REG(5, D3DVSDT_FLOAT2), D3DVSD_END()};

constexpr std::uint32_t kModeBase = 0x80000000;

// The two morph frames drawn at time t, and how far t is from the first toward the second.
struct MorphSlots {
    std::uint32_t keyA = 0;
    std::uint32_t keyB = 0;
    float fraction = 0.0F;
};

MorphSlots SlotsOf(const TMesh8& mesh)
{
    MorphSlots s;
    const TMorphRecord* record = mesh.GetGeometry()->GetMorphRecord(mesh.GetMorphIndex());
    if (record == nullptr || record->frameCount == 0) {
        return s;  // nothing to morph: key frame 0 as it is
    }
    const float t = mesh.GetMorphTime();
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    if (t != 0.0F) {
        const std::uint32_t last = record->frameCount - 1;
        // A time outside the record (a step from the file may be negative) stays on its frames.
        a = t >= 0.0F && t < static_cast<float>(last) ? static_cast<std::uint32_t>(t) : (t >= 0.0F ? last : 0);
        b = a + 1 == record->frameCount ? a : a + 1;
        const float f = t - static_cast<float>(a);
        s.fraction = f >= 0.0F && f <= 1.0F ? f : 0.0F;
    }
    s.keyA = record->keyFrames[a];
    s.keyB = record->keyFrames[b];
    return s;
}

struct Matrices {
    D3DXMATRIX worldViewProjection;
    D3DXMATRIX worldView;
};

void SetTransformConstants(IDirect3DDevice8* device, TView* view, const D3DMATRIX* world)
{
    const D3DXMATRIX w(*world);
    D3DXMATRIX m;
    D3DXMATRIX t;
    D3DXMatrixMultiply(&m, &w, view->GetViewProjection());
    D3DXMatrixTranspose(&t, &m);
    device->SetVertexShaderConstant(0, &t, 4);
    D3DXMatrixMultiply(&m, &w, view->GetView());
    D3DXMatrixTranspose(&t, &m);
    device->SetVertexShaderConstant(4, &t, 4);
}

void DrawRanges(IDirect3DDevice8* device, const TMesh8& mesh, std::uint32_t material)
{
    const TMeshGeometry* g = mesh.GetGeometry();
    for (const TMeshSubsetTable::Run& run : g->GetSubsetTable()->GetRuns(material)) {
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, g->GetVertexCount(), run.first * 3, run.count);
    }
}

// Emissive colour channels as the fixed pipeline's bytes, saturated as the shaders saturate oD0.
std::uint32_t ByteOf(float channel)
{
    const float v = channel * 255.0F;
    return v >= 255.0F ? 255 : (v > 0.0F ? static_cast<std::uint32_t>(v) : 0);
}

std::uint32_t FactorOf(float channel)
{
    const float v = channel * 256.0F;
    return v >= 65536.0F ? 65536 : (v > 0.0F ? static_cast<std::uint32_t>(v) : 0);
}

DWORD ApplyColor(DWORD diffuse, TAsmVertexShader::ColorSource source, const D3DCOLORVALUE& e)
{
    switch (source) {
    case TAsmVertexShader::ColorSource::Vertex:
        return diffuse;
    case TAsmVertexShader::ColorSource::Constant:
        return ByteOf(e.a) << 24 | ByteOf(e.r) << 16 | ByteOf(e.g) << 8 | ByteOf(e.b);
    case TAsmVertexShader::ColorSource::Modulate:
        break;
    }
    const std::uint32_t factors[4] = {FactorOf(e.b), FactorOf(e.g), FactorOf(e.r), FactorOf(e.a)};
    DWORD out = 0;
    for (int c = 0; c < 4; ++c) {
        std::uint32_t v = (((diffuse >> (8 * c)) & 0xFF) * factors[c]) >> 8;
        v = v > 255 ? 255 : v;
        out |= v << (8 * c);
    }
    return out;
}

DWORD BlendColor(DWORD a, DWORD b, int weight)
{
    DWORD out = 0;
    for (int c = 0; c < 4; ++c) {
        const int ca = static_cast<int>((a >> (8 * c)) & 0xFF);
        const int cb = static_cast<int>((b >> (8 * c)) & 0xFF);
        out |= static_cast<DWORD>((ca + (((cb - ca) * weight) >> 8)) & 0xFF) << (8 * c);
    }
    return out;
}

struct MeshVertex {
    float position[3];
    DWORD diffuse;
    float uv[2];
};

MeshVertex ReadVertex(const BYTE* base, std::uint32_t i)
{
    MeshVertex v;
    std::memcpy(&v, base + static_cast<std::size_t>(i) * kStride, kStride);
    return v;
}

void WriteVertex(BYTE* base, std::uint32_t i, const MeshVertex& v)
{
    std::memcpy(base + static_cast<std::size_t>(i) * kStride, &v, kStride);
}

BYTE* Lock(IDirect3DVertexBuffer8* buffer, DWORD flags)
{
    BYTE* p = nullptr;
    return buffer != nullptr && SUCCEEDED(buffer->Lock(0, 0, &p, flags)) ? p : nullptr;
}

}  // namespace

// ---- TVertexShader ----

void TVertexShader::PrepareVertices(std::uint32_t, TMesh8*) {}

TVertexShader::~TVertexShader() = default;

std::vector<TRefPtr<TVertexShader>>& TVertexShader::Registry()
{
    static std::vector<TRefPtr<TVertexShader>> shaders;
    return shaders;
}

void TVertexShader::BuildShaders()
{
    ReleaseAll();
    Registry().clear();
    Register(new TVertexColorShader());
    Register(new TConstantColorShader());
    Register(new TModulateColorShader());
    for (std::uint32_t mode : {3u, 1u, 2u, 0u}) {
        Register(new TMorphVertexColorShader(mode));
    }
    for (std::uint32_t mode : {3u, 1u, 2u, 0u}) {
        Register(new TMorphConstantColorShader(mode));
    }
    for (std::uint32_t mode : {3u, 1u, 2u, 0u}) {
        Register(new TMorphModulateColorShader(mode));
    }
}

void TVertexShader::Register(TVertexShader* shader)
{
    shader->Create();
    Registry().emplace_back(shader);
}

void TVertexShader::ReleaseAll()
{
    for (TRefPtr<TVertexShader>& s : Registry()) {
        s->Release();
    }
}

void TVertexShader::CreateAll()
{
    for (TRefPtr<TVertexShader>& s : Registry()) {
        s->Create();
    }
}

void TVertexShader::UninitShaders()
{
    ReleaseAll();
    Registry().clear();
}

TRefPtr<TVertexShader> TVertexShader::CreateConstantColorShader(const TMesh8& mesh)
{
    if (mesh.GetKeyFrameCount() == 1) {
        return TRefPtr<TVertexShader>(new TConstantColorShader());
    }
    return TRefPtr<TVertexShader>(new TMorphConstantColorShader(3));
}

void TVertexShader::DeleteHandle(DWORD* cell)
{
    if (*cell != 0) {
        if (IDirect3DDevice8* device = TD3D8::GetDevice()) {
            device->DeleteVertexShader(*cell);
        }
        *cell = 0;
    }
}

// ---- TAsmVertexShader ----

TAsmVertexShader::TAsmVertexShader(const char* source, DWORD* handle, DWORD* fixedHandle)
    : m_source(source), m_handle(handle), m_fixedHandle(fixedHandle)
{
}

void TAsmVertexShader::Create()
{
    Release();
    TD3D8* d3d = TD3D8::Instance();
    if (d3d->IsVertexShaderSupported() && TD3D8::GetDevice() != nullptr) {
        *m_handle = d3d->AssembleShader(m_source, m_fixedHandle != nullptr ? kTwoStreams : kSingleStream);
    }
}

void TAsmVertexShader::Release() { DeleteHandle(m_handle); }

void TAsmVertexShader::DrawSubset(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world)
{
    const TMeshGeometry* g = mesh->GetGeometry();
    // The programs read position, colour and one texture coordinate pair, 24 bytes a vertex.
    if (g->GetVertexSize() != kStride || material >= g->GetSubsetTable()->GetSubsetCount()) {
        return;
    }
    if (!TD3D8::Instance()->IsVertexShaderSupported()) {
        DrawSoftware(material, mesh, view, world);
        return;
    }
    IDirect3DDevice8* device = TD3D8::GetDevice();
    SetTransformConstants(device, view, world);
    device->SetVertexShaderConstant(10, &mesh->GetMaterial(material).GetMaterial().Emissive, 1);
    mesh->GetMaterial(material).GetTexture().SetToStage(0);
    device->SetIndices(g->GetIndexBuffer(), 0);
    if (m_fixedHandle == nullptr) {
        device->SetVertexShader(*m_handle);
        device->SetStreamSource(0, g->GetVertexBuffer(0), kStride);
    } else {
        const MorphSlots s = SlotsOf(*mesh);
        if (s.keyA == s.keyB) {
            device->SetVertexShader(*m_fixedHandle);
            device->SetStreamSource(0, g->GetVertexBuffer(s.keyA), kStride);
        } else {
            device->SetVertexShader(*m_handle);
            const float weights[4] = {1.0F - s.fraction, s.fraction, 0.0F, 0.0F};
            device->SetVertexShaderConstant(9, weights, 1);
            device->SetStreamSource(0, g->GetVertexBuffer(s.keyA), kStride);
            device->SetStreamSource(1, g->GetVertexBuffer(s.keyB), kStride);
        }
    }
    DrawRanges(device, *mesh, material);
}

void TAsmVertexShader::DrawSoftware(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world)
{
    PrepareVertices(material, mesh);
    IDirect3DDevice8* device = TD3D8::GetDevice();
    const TMeshGeometry* g = mesh->GetGeometry();
    device->SetVertexShader(kMeshFVF);
    device->SetTransform(D3DTS_WORLD, world);
    // The view goes in once: the projection is the projection alone, not view × projection.
    device->SetTransform(D3DTS_PROJECTION, view->GetProjection());
    device->SetTransform(D3DTS_VIEW, view->GetView());
    mesh->GetMaterial(material).GetTexture().SetToStage(0);
    device->SetIndices(g->GetIndexBuffer(), 0);
    device->SetStreamSource(0, g->GetSoftwareVertexBuffer(), kStride);
    DrawRanges(device, *mesh, material);
}

void TAsmVertexShader::CopyVertices(TMesh8* mesh, std::uint32_t material, std::uint32_t keyFrame, bool force,
                                    ColorSource source)
{
    TMeshGeometry* g = mesh->GetGeometry();
    if (!force && !g->TestAndClearDirty(material)) {
        return;
    }
    const std::uint32_t* indices = g->GetSubsetTable()->GetIndexCopy(material);
    BYTE* out = Lock(g->GetSoftwareVertexBuffer(), 0);
    if (out == nullptr) {
        return;
    }
    const BYTE* in = Lock(g->GetVertexBuffer(keyFrame), D3DLOCK_READONLY);
    if (in != nullptr && indices != nullptr) {
        const D3DCOLORVALUE& e = mesh->GetMaterial(material).GetMaterial().Emissive;
        const std::uint32_t n = g->GetSubsetTable()->GetTriangleTotal(material) * 3;
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t at = indices[i];
            if (at >= g->GetVertexCount()) {
                continue;
            }
            MeshVertex v = ReadVertex(in, at);
            v.diffuse = ApplyColor(v.diffuse, source, e);
            WriteVertex(out, at, v);
        }
    }
    if (in != nullptr) {
        g->GetVertexBuffer(keyFrame)->Unlock();
    }
    g->GetSoftwareVertexBuffer()->Unlock();
}

void TAsmVertexShader::PrepareMorph(TMesh8* mesh, std::uint32_t material, std::uint32_t mode, ColorSource source)
{
    TMeshGeometry* g = mesh->GetGeometry();
    std::vector<std::uint32_t> materials;
    if (mesh->HasMorphChanged()) {
        for (std::uint32_t m = 0; m < mesh->GetMaterialCount(); ++m) {
            g->TestAndClearDirty(m);
            materials.push_back(m);
        }
    } else if (g->TestAndClearDirty(material)) {
        materials.push_back(material);
    }
    if (materials.empty()) {
        return;
    }
    const MorphSlots s = SlotsOf(*mesh);
    if (s.keyA == s.keyB) {
        for (std::uint32_t m : materials) {
            CopyVertices(mesh, m, s.keyA, true, source);
        }
        return;
    }
    IDirect3DVertexBuffer8* software = g->GetSoftwareVertexBuffer();
    IDirect3DVertexBuffer8* bufferA = g->GetVertexBuffer(s.keyA);
    IDirect3DVertexBuffer8* bufferB = g->GetVertexBuffer(s.keyB);
    BYTE* out = Lock(software, 0);
    const BYTE* a = Lock(bufferA, D3DLOCK_READONLY);
    const BYTE* b = Lock(bufferB, D3DLOCK_READONLY);
    if (out != nullptr && a != nullptr && b != nullptr) {
        const float f = s.fraction;
        const int weight = static_cast<int>(f * 256.0F);
        for (std::uint32_t m : materials) {
            const std::uint32_t* indices = g->GetSubsetTable()->GetIndexCopy(m);
            if (indices == nullptr) {
                continue;
            }
            const D3DCOLORVALUE& e = mesh->GetMaterial(m).GetMaterial().Emissive;
            const std::uint32_t n = g->GetSubsetTable()->GetTriangleTotal(m) * 3;
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint32_t at = indices[i];
                if (at >= g->GetVertexCount()) {
                    continue;
                }
                const MeshVertex va = ReadVertex(a, at);
                const MeshVertex vb = ReadVertex(b, at);
                MeshVertex v = va;
                for (int c = 0; c < 3; ++c) {
                    v.position[c] = va.position[c] + (vb.position[c] - va.position[c]) * f;
                }
                if ((mode & 2) != 0) {
                    for (int c = 0; c < 2; ++c) {
                        v.uv[c] = va.uv[c] + (vb.uv[c] - va.uv[c]) * f;
                    }
                }
                if ((mode & 1) != 0) {
                    v.diffuse = BlendColor(va.diffuse, vb.diffuse, weight);
                }
                v.diffuse = ApplyColor(v.diffuse, source, e);
                WriteVertex(out, at, v);
            }
        }
    }
    if (b != nullptr) {
        bufferB->Unlock();
    }
    if (a != nullptr) {
        bufferA->Unlock();
    }
    if (out != nullptr) {
        software->Unlock();
    }
}

// ---- the six mesh shaders ----

TVertexColorShader::TVertexColorShader() : TAsmVertexShader(kVertexColorProgram, &g_vertexColorHandle, nullptr) {}
TVertexColorShader::~TVertexColorShader() = default;
void TVertexColorShader::PrepareVertices(std::uint32_t material, TMesh8* mesh)
{
    CopyVertices(mesh, material, 0, false, ColorSource::Vertex);
}

TConstantColorShader::TConstantColorShader()
    : TAsmVertexShader(kConstantColorProgram, &g_constantColorHandle, nullptr)
{
}
TConstantColorShader::~TConstantColorShader() = default;
void TConstantColorShader::PrepareVertices(std::uint32_t material, TMesh8* mesh)
{
    CopyVertices(mesh, material, 0, false, ColorSource::Constant);
}

TModulateColorShader::TModulateColorShader()
    : TAsmVertexShader(kModulateColorProgram, &g_modulateColorHandle, nullptr)
{
}
TModulateColorShader::~TModulateColorShader() = default;
void TModulateColorShader::PrepareVertices(std::uint32_t material, TMesh8* mesh)
{
    CopyVertices(mesh, material, 0, false, ColorSource::Modulate);
}

TMorphVertexColorShader::TMorphVertexColorShader(std::uint32_t mode)
    : TAsmVertexShader(kMorphVertexPrograms[mode & 3], &g_morphVertexHandles[mode & 3], &g_vertexColorHandle),
      m_mode(kModeBase | (mode & 3))
{
}
TMorphVertexColorShader::~TMorphVertexColorShader() = default;
void TMorphVertexColorShader::PrepareVertices(std::uint32_t material, TMesh8* mesh)
{
    PrepareMorph(mesh, material, m_mode, ColorSource::Vertex);
}

TMorphConstantColorShader::TMorphConstantColorShader(std::uint32_t mode)
    : TAsmVertexShader(kMorphConstantPrograms[(mode >> 1) & 1], &g_morphConstantHandles[(mode >> 1) & 1],
                       &g_constantColorHandle),
      m_mode(kModeBase | (mode & 3))
{
}
TMorphConstantColorShader::~TMorphConstantColorShader() = default;
void TMorphConstantColorShader::PrepareVertices(std::uint32_t material, TMesh8* mesh)
{
    PrepareMorph(mesh, material, m_mode, ColorSource::Constant);
}

TMorphModulateColorShader::TMorphModulateColorShader(std::uint32_t mode)
    : TAsmVertexShader(kMorphModulatePrograms[mode & 3], &g_morphModulateHandles[mode & 3], &g_modulateColorHandle),
      m_mode(kModeBase | (mode & 3))
{
}
TMorphModulateColorShader::TMorphModulateColorShader(bool blendColors, bool blendTexCoords)
    : TMorphModulateColorShader((blendColors ? 1u : 0u) | (blendTexCoords ? 2u : 0u))
{
}
TMorphModulateColorShader::~TMorphModulateColorShader() = default;
void TMorphModulateColorShader::PrepareVertices(std::uint32_t material, TMesh8* mesh)
{
    PrepareMorph(mesh, material, m_mode, ColorSource::Modulate);
}
