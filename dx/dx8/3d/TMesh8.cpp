#include "dx/dx8/3d/TMesh8.h"

#include <cfloat>
#include <cstring>
#include <map>
#include <utility>

#include "TCommon/GridCells.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TRenderPreset.h"
#include "platform/d3dx8/d3dx8.h"

namespace {

// A point moved by a matrix as D3DX moves it (w of the result dropped).
void MovePoint(float p[3], const D3DXMATRIX& m)
{
    const D3DXVECTOR3 point(p[0], p[1], p[2]);
    D3DXVECTOR4 moved;
    D3DXVec3Transform(&moved, &point, &m);
    p[0] = moved.x;
    p[1] = moved.y;
    p[2] = moved.z;
}

// Where the position of vertex i starts.
const BYTE* VertexAt(const void* base, std::uint32_t vertexSize, std::uint32_t i)
{
    return static_cast<const BYTE*>(base) + static_cast<std::size_t>(i) * vertexSize;
}

}  // namespace

TMesh8::TMesh8(const std::string& name, const TVertexBufferArray& vertexBuffers, std::uint16_t vertexCount,
               std::uint32_t keyFrameCount, const TComPtr<IDirect3DIndexBuffer8>& indexBuffer,
               const TRefPtr<std::uint32_t[]>& faceMaterials, std::uint16_t triangleCount,
               const std::vector<TMeshMaterial>& materials, std::uint32_t materialCount,
               const TRefPtr<TMorphRecord[]>& morphs, std::uint32_t morphCount)
    : m_name(name),
      m_materials(materials),
      m_materialCount(materialCount),
      m_lastMorphTime(-FLT_MAX),
      m_vertexShader(nullptr),
      m_geometry(new TMeshGeometry(vertexBuffers, vertexCount, keyFrameCount, indexBuffer, faceMaterials,
                                   triangleCount, materialCount, morphs, morphCount))
{
    m_geometry->UpdateBounds();
    m_vertexShader = TVertexShader::CreateConstantColorShader(*this);
}

TMesh8::TMesh8(const TMesh8& other)
    : m_name(other.m_name),
      m_materials(other.m_materials),
      m_materialCount(other.m_materialCount),
      m_morphIndex(other.m_morphIndex),
      m_morphTime(other.m_morphTime),
      m_lastMorphIndex(other.m_lastMorphIndex),
      m_lastMorphTime(other.m_lastMorphTime),
      m_vertexShader(other.m_vertexShader),
      m_geometry(other.m_geometry)
{
    m_geometry->AddRef();
}

TMesh8& TMesh8::operator=(const TMesh8& other)
{
    // The other's geometry first: assigning a mesh to itself must not free what it keeps.
    other.m_geometry->AddRef();
    m_geometry->Release();
    m_geometry = other.m_geometry;
    m_name = other.m_name;
    m_materials = other.m_materials;
    m_materialCount = other.m_materialCount;
    m_morphIndex = other.m_morphIndex;
    m_morphTime = other.m_morphTime;
    m_lastMorphIndex = other.m_lastMorphIndex;
    m_lastMorphTime = other.m_lastMorphTime;
    m_vertexShader = other.m_vertexShader;
    return *this;
}

TMesh8::~TMesh8()
{
    m_geometry->Release();
    m_vertexShader.Release();
}

void TMesh8::Draw(const D3DMATRIX* world, TView* view)
{
    for (std::uint32_t i = 0; i < m_materialCount; ++i) {
        // A code without a preset is drawn like HIDE: not at all.
        if (TStateBlock* preset = TRenderPreset::Get(m_materials[i].GetMaterialType())) {
            preset->Add(world, view, i, this);
        }
    }
}

void TMesh8::DrawSubset(const D3DMATRIX* world, TView* view, std::uint32_t material)
{
    const TMeshSubsetTable* table = m_geometry->GetSubsetTable();
    if (material >= table->GetSubsetCount() || table->GetTriangleTotal(material) == 0 ||
        m_vertexShader.Get() == nullptr) {
        return;
    }
    m_vertexShader->DrawSubset(material, this, view, world);
}

float* TMesh8::GetBoundingSphere(float out[5], const D3DMATRIX* matrix) const
{
    std::memcpy(out, m_geometry->GetBounds(), 5 * sizeof(float));
    if (matrix == nullptr) {
        return out;
    }
    const D3DXMATRIX m(*matrix);
    if (!D3DXMatrixIsIdentity(&m)) {
        MovePoint(out, m);
    }
    return out;
}

TMesh8 TMesh8::CloneMirrored(std::int32_t axis) const
{
    TMesh8 copy(*this);
    copy.Unshare();
    if (axis != 0) {
        copy.Mirror(axis);
    }
    return copy;
}

DWORD TMesh8::GetFVF() const
{
    IDirect3DVertexBuffer8* first = m_geometry->GetVertexBuffer(0);
    D3DVERTEXBUFFER_DESC desc{};
    return first != nullptr && SUCCEEDED(first->GetDesc(&desc)) ? desc.FVF : 0;
}

TMeshMaterial* TMesh8::GetMaterialOfFace(std::uint16_t triangle)
{
    const std::int32_t m = m_geometry->GetSubsetTable()->FindSubsetOfFace(triangle);
    return m >= 0 && static_cast<std::uint32_t>(m) < m_materials.size() ? &m_materials[m] : nullptr;
}

// ---- geometry ----

void TMesh8::Unshare()
{
    if (m_geometry->GetRefCount() > 1) {
        auto* own = new TMeshGeometry(*m_geometry);
        m_geometry->Release();
        m_geometry = own;
    }
}

void* TMesh8::LockVertices(std::uint32_t keyFrame)
{
    Unshare();
    return m_geometry->LockVertices(keyFrame);
}

std::uint16_t* TMesh8::LockIndices()
{
    Unshare();
    return m_geometry->LockIndices();
}

void TMesh8::RebuildSubsets()
{
    const std::uint16_t triangles = m_geometry->GetTriangleCount();
    TRefPtr<std::uint32_t[]> faces(new std::uint32_t[triangles + 1u]);
    // Triangles that no run covers keep a material no table has.
    for (std::uint32_t t = 0; t <= triangles; ++t) {
        faces[t] = m_materialCount;
    }
    m_geometry->GetSubsetTable()->FillFaceSubsets(faces.Get());
    const bool copies = !TD3D8::Instance()->IsVertexShaderSupported();
    const std::uint16_t* indices = copies ? m_geometry->LockIndicesReadOnly() : nullptr;
    auto* table = new TMeshSubsetTable(indices, indices != nullptr || !copies ? faces.Get() : nullptr,
                                       indices != nullptr || !copies ? triangles : 0, m_materialCount);
    if (indices != nullptr) {
        m_geometry->UnlockIndices();
    }
    m_geometry->SetSubsetTable(table);
    m_geometry->MarkDirty(-1);
}

// ---- morphing ----

void TMesh8::SetMorph(std::uint32_t morph)
{
    if (morph >= m_geometry->GetMorphCount()) {
        return;
    }
    m_morphIndex = morph;
    m_morphTime = 0.0F;
}

void TMesh8::SetMorphTime(float t)
{
    const TMorphRecord* record = CurrentMorph();
    if (record == nullptr || record->frameCount == 0) {
        return;
    }
    const auto last = static_cast<float>(record->frameCount - 1);
    m_morphTime = t > last ? last : (t < 0.0F ? 0.0F : t);
}

bool TMesh8::RewindMorph(float step)
{
    m_morphTime -= step;
    if (m_morphTime >= 0.0F) {
        return true;
    }
    m_morphTime = 0.0F;
    return false;
}

bool TMesh8::AdvanceMorph(bool loop, float speed)
{
    const TMorphRecord* record = CurrentMorph();
    if (record == nullptr || record->frameCount == 0) {
        return false;
    }
    const std::uint32_t lastFrame = record->frameCount - 1;
    const auto last = static_cast<float>(lastFrame);
    // The step of the frame the time is in; a time outside the record uses its nearest frame.
    std::uint32_t i = 0;
    if (m_morphTime >= last) {
        i = lastFrame;
    } else if (m_morphTime > 0.0F) {
        i = static_cast<std::uint32_t>(m_morphTime);
    }
    m_morphTime = m_morphTime + record->timeSteps[i] * speed;
    if (m_morphTime <= last) {
        return true;
    }
    m_morphTime = loop ? 0.0F : last;
    return false;
}

bool TMesh8::HasMorphChanged()
{
    bool changed = false;
    if (m_geometry->GetMorphCount() != 0) {
        changed = m_morphIndex != m_lastMorphIndex || !(m_morphTime == m_lastMorphTime);
    }
    m_lastMorphIndex = m_morphIndex;
    m_lastMorphTime = m_morphTime;
    return changed;
}

// ---- edits ----

void TMesh8::AfterVertexEdit()
{
    if (m_geometry->GetKeyFrameCount() > 1) {
        SetMorphTime(m_morphTime);
    } else {
        UpdateBounds();
    }
}

template <typename F>
void TMesh8::EditPositions(F edit)
{
    const std::uint32_t size = m_geometry->GetVertexSize();
    for (std::uint32_t k = 0; k < m_geometry->GetKeyFrameCount(); ++k) {
        auto* base = static_cast<BYTE*>(LockVertices(k));
        if (base == nullptr) {
            continue;
        }
        for (std::uint32_t v = 0; v < m_geometry->GetVertexCount(); ++v) {
            BYTE* at = base + static_cast<std::size_t>(v) * size;
            float p[3];
            std::memcpy(p, at, sizeof p);
            edit(p);
            std::memcpy(at, p, sizeof p);
        }
        UnlockVertices(k, true);
    }
}

void TMesh8::Mirror(std::int32_t axis)
{
    Unshare();
    // Only x, y and z can be mirrored.
    if (axis < 1 || axis > 3 || m_geometry->GetVertexSize() < 12) {
        return;
    }
    EditPositions([axis](float* p) { p[axis - 1] = -p[axis - 1]; });
    // A mirror turns every triangle over: swapping two corners turns it back.
    if (std::uint16_t* indices = LockIndices()) {
        for (std::uint32_t t = 0; t < m_geometry->GetTriangleCount(); ++t) {
            std::swap(indices[t * 3 + 1], indices[t * 3 + 2]);
        }
        UnlockIndices();
    }
    AfterVertexEdit();
}

void TMesh8::MoveVertices(const D3DXMATRIX& m)
{
    if (m_geometry->GetVertexSize() < 12) {
        return;
    }
    EditPositions([&m](float* p) { MovePoint(p, m); });
    AfterVertexEdit();
}

void TMesh8::Scale(const float s[3])
{
    Unshare();
    if (s[0] == 1.0F && s[1] == 1.0F && s[2] == 1.0F) {
        return;
    }
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, s[0], s[1], s[2]);
    MoveVertices(m);
}

void TMesh8::Transform(const D3DMATRIX* m)
{
    Unshare();
    const D3DXMATRIX matrix(*m);
    if (D3DXMatrixIsIdentity(&matrix)) {
        return;
    }
    MoveVertices(matrix);
}

// ---- materials ----

TMeshMaterial& TMesh8::EditMaterial(std::uint32_t i)
{
    if (i >= m_materials.size()) {
        // Refused, as the other setters refuse it: the edit lands on a spare that is never drawn.
        static const D3DMATERIAL8 kBlank{};
        static TMeshMaterial spare("", &kBlank, TTexture8());
        spare = TMeshMaterial("", &kBlank, TTexture8());
        return spare;
    }
    m_geometry->MarkDirty(static_cast<std::int32_t>(i));
    return m_materials[i];
}

namespace {

// Material i, or every material for the "all" index.
template <typename F>
void ForMaterials(std::vector<TMeshMaterial>& materials, std::uint32_t count, std::uint32_t i, F f)
{
    if (i == TMesh8::kAllMaterials) {
        for (std::uint32_t m = 0; m < count && m < materials.size(); ++m) {
            f(materials[m]);
        }
    } else if (i < materials.size()) {
        f(materials[i]);
    }
}

}  // namespace

void TMesh8::SetEmissive(float r, float g, float b, float a, std::uint32_t i)
{
    ForMaterials(m_materials, m_materialCount, i, [&](TMeshMaterial& m) { m.SetEmissive(r, g, b, a); });
    m_geometry->MarkDirty(static_cast<std::int32_t>(i));
}

void TMesh8::SetEmissiveRGB(float r, float g, float b, std::uint32_t i)
{
    ForMaterials(m_materials, m_materialCount, i, [&](TMeshMaterial& m) { m.SetEmissiveRGB(r, g, b); });
    m_geometry->MarkDirty(static_cast<std::int32_t>(i));
}

void TMesh8::SetEmissiveAlpha(float a, std::uint32_t i)
{
    ForMaterials(m_materials, m_materialCount, i, [&](TMeshMaterial& m) { m.SetEmissiveAlpha(a); });
    m_geometry->MarkDirty(static_cast<std::int32_t>(i));
}

void TMesh8::SetMaterialType(std::uint16_t code, std::uint32_t i)
{
    ForMaterials(m_materials, m_materialCount, i, [&](TMeshMaterial& m) { m.SetMaterialType(code); });
}

void TMesh8::SetDrawGroup(std::uint16_t group, std::uint32_t i)
{
    ForMaterials(m_materials, m_materialCount, i, [&](TMeshMaterial& m) { m.SetDrawGroup(group); });
}

void TMesh8::SetVertexShader(const TRefPtr<TVertexShader>& shader)
{
    m_vertexShader = shader;
    m_geometry->MarkDirty(-1);
}

// ---- extents, grid and pieces ----

void TMesh8::GetRangeXZ(float xRange[2], float zRange[2])
{
    xRange[0] = FLT_MAX;
    xRange[1] = -FLT_MAX;
    zRange[0] = FLT_MAX;
    zRange[1] = -FLT_MAX;
    const std::uint32_t size = m_geometry->GetVertexSize();
    if (size < 12) {
        return;
    }
    const void* vertices = LockVerticesReadOnly(0);
    const std::uint16_t* indices = LockIndicesReadOnly();
    if (vertices != nullptr && indices != nullptr) {
        for (std::uint32_t i = 0; i < m_geometry->GetTriangleCount() * 3u; ++i) {
            if (indices[i] >= m_geometry->GetVertexCount()) {
                continue;
            }
            float p[3];
            std::memcpy(p, VertexAt(vertices, size, indices[i]), sizeof p);
            xRange[0] = p[0] < xRange[0] ? p[0] : xRange[0];
            xRange[1] = p[0] > xRange[1] ? p[0] : xRange[1];
            zRange[0] = p[2] < zRange[0] ? p[2] : zRange[0];
            zRange[1] = p[2] > zRange[1] ? p[2] : zRange[1];
        }
    }
    if (indices != nullptr) {
        UnlockIndices();
    }
    if (vertices != nullptr) {
        UnlockVertices(0, false);
    }
}

void TMesh8::BuildTriangleGrid(float cellWidth, float cellDepth, float xRange[2], float zRange[2],
                               std::uint32_t* columns, std::uint32_t* rows, std::vector<std::vector<TMesh8>>* out)
{
    GetRangeXZ(xRange, zRange);
    *columns = ComputeGridCells(xRange, cellWidth);
    *rows = ComputeGridCells(zRange, cellDepth);
    out->clear();
    if (static_cast<std::uint64_t>(*columns) * *rows > kMaxGridCells) {
        *columns = 0;
        *rows = 0;
        return;
    }
    std::vector<std::vector<std::uint16_t>> cells(static_cast<std::size_t>(*columns) * *rows);
    const std::uint32_t size = m_geometry->GetVertexSize();
    const std::uint16_t* indices = LockIndicesReadOnly();
    const void* vertices = size >= 12 ? LockVerticesReadOnly(0) : nullptr;
    if (indices != nullptr && vertices != nullptr) {
        for (std::uint32_t t = 0; t < m_geometry->GetTriangleCount(); ++t) {
            float corner[3][3];
            bool valid = true;
            for (int c = 0; c < 3; ++c) {
                const std::uint16_t v = indices[t * 3 + c];
                valid = valid && v < m_geometry->GetVertexCount();
                if (valid) {
                    std::memcpy(corner[c], VertexAt(vertices, size, v), sizeof corner[c]);
                }
            }
            if (!valid) {
                continue;
            }
            bool placed = false;
            for (std::uint32_t r = 0; r < *rows && !placed; ++r) {
                const float z0 = zRange[0] + static_cast<float>(r) * cellDepth;
                for (std::uint32_t c = 0; c < *columns && !placed; ++c) {
                    const float x0 = xRange[0] + static_cast<float>(c) * cellWidth;
                    for (int k = 0; k < 3 && !placed; ++k) {
                        const float x = corner[k][0];
                        const float z = corner[k][2];
                        if (x >= x0 && x <= x0 + cellWidth && z >= z0 && z <= z0 + cellDepth) {
                            cells[static_cast<std::size_t>(r) * *columns + c].push_back(static_cast<std::uint16_t>(t));
                            placed = true;
                        }
                    }
                }
            }
        }
    }
    if (vertices != nullptr) {
        UnlockVertices(0, false);
    }
    if (indices != nullptr) {
        UnlockIndices();
    }
    out->resize(*rows);
    for (std::uint32_t r = 0; r < *rows; ++r) {
        for (std::uint32_t c = 0; c < *columns; ++c) {
            (*out)[r].push_back(ExtractTriangles(cells[static_cast<std::size_t>(r) * *columns + c]));
        }
    }
}

TMesh8 TMesh8::ExtractTriangles(const std::vector<std::uint16_t>& triangles)
{
    const DWORD fvf = GetFVF();
    const std::uint32_t size = m_geometry->GetVertexSize();
    const std::uint16_t* indices = LockIndicesReadOnly();
    const void* vertices = LockVerticesReadOnly(0);
    std::vector<TMeshMaterial> materials;
    std::map<std::int32_t, std::uint32_t> materialOf;
    std::map<std::uint16_t, std::uint16_t> vertexOf;
    std::vector<std::uint16_t> usedVertices;
    std::vector<std::uint16_t> newIndices;
    std::vector<std::uint32_t> faceMaterials;
    if (indices != nullptr && vertices != nullptr) {
        for (std::uint16_t t : triangles) {
            const std::int32_t subset = m_geometry->GetSubsetTable()->FindSubsetOfFace(t);
            if (t >= m_geometry->GetTriangleCount() || subset < 0 ||
                static_cast<std::size_t>(subset) >= m_materials.size()) {
                continue;
            }
            const auto found = materialOf.find(subset);
            if (found == materialOf.end()) {
                materialOf.emplace(subset, static_cast<std::uint32_t>(materials.size()));
                faceMaterials.push_back(static_cast<std::uint32_t>(materials.size()));
                materials.push_back(m_materials[subset]);
            } else {
                faceMaterials.push_back(found->second);
            }
            for (int c = 0; c < 3; ++c) {
                const std::uint16_t old = indices[t * 3 + c];
                const auto v = vertexOf.find(old);
                if (v == vertexOf.end()) {
                    const auto number = static_cast<std::uint16_t>(usedVertices.size());
                    vertexOf.emplace(old, number);
                    usedVertices.push_back(old);
                    newIndices.push_back(number);
                } else {
                    newIndices.push_back(v->second);
                }
            }
        }
    }
    TD3D8* d3d = TD3D8::Instance();
    TVertexBufferArray buffers(new TComPtr<IDirect3DVertexBuffer8>[1]);
    TComPtr<IDirect3DIndexBuffer8> indexBuffer(nullptr);
    if (!faceMaterials.empty()) {
        buffers[0] = TComPtr<IDirect3DVertexBuffer8>(d3d->CreateVertexBuffer(
            static_cast<UINT>(usedVertices.size()), fvf, TD3D8::kDefaultPool, 0));
        BYTE* to = nullptr;
        if (buffers[0].Get() != nullptr && SUCCEEDED(buffers[0]->Lock(0, 0, &to, 0))) {
            for (std::size_t v = 0; v < usedVertices.size(); ++v) {
                std::memcpy(to + v * size, VertexAt(vertices, size, usedVertices[v]), size);
            }
            buffers[0]->Unlock();
        }
        indexBuffer = TComPtr<IDirect3DIndexBuffer8>(d3d->CreateIndexBuffer(
            static_cast<UINT>(faceMaterials.size()), D3DFMT_INDEX16, TD3D8::kDefaultPool, 0));
        BYTE* ip = nullptr;
        if (indexBuffer.Get() != nullptr && SUCCEEDED(indexBuffer->Lock(0, 0, &ip, 0))) {
            std::memcpy(ip, newIndices.data(), newIndices.size() * sizeof(std::uint16_t));
            indexBuffer->Unlock();
        }
    }
    if (vertices != nullptr) {
        UnlockVertices(0, false);
    }
    if (indices != nullptr) {
        UnlockIndices();
    }
    if (faceMaterials.empty()) {
        return CreateDummy(fvf);
    }
    TRefPtr<std::uint32_t[]> faces(new std::uint32_t[faceMaterials.size()]);
    std::memcpy(faces.Get(), faceMaterials.data(), faceMaterials.size() * sizeof(std::uint32_t));
    return TMesh8("divmsh", buffers, static_cast<std::uint16_t>(usedVertices.size()), 1, indexBuffer, faces,
                  static_cast<std::uint16_t>(faceMaterials.size()), materials,
                  static_cast<std::uint32_t>(materials.size()), TRefPtr<TMorphRecord[]>(nullptr), 0);
}

TMesh8 TMesh8::CreateDummy(std::uint32_t vertexFormat)
{
    TD3D8* d3d = TD3D8::Instance();
    const D3DMATERIAL8 zero{};
    std::vector<TMeshMaterial> materials{TMeshMaterial("dmymat", &zero, TTexture8::Load("", D3DPOOL_MANAGED, 0))};
    TVertexBufferArray buffers(new TComPtr<IDirect3DVertexBuffer8>[1]);
    buffers[0] = TComPtr<IDirect3DVertexBuffer8>(d3d->CreateVertexBuffer(3, vertexFormat, TD3D8::kDefaultPool, 0));
    BYTE* p = nullptr;
    if (buffers[0].Get() != nullptr && SUCCEEDED(buffers[0]->Lock(0, 0, &p, 0))) {
        std::memset(p, 0, 3 * static_cast<std::size_t>(D3DXGetFVFVertexSize(vertexFormat)));
        buffers[0]->Unlock();
    }
    TComPtr<IDirect3DIndexBuffer8> indexBuffer(d3d->CreateIndexBuffer(1, D3DFMT_INDEX16, TD3D8::kDefaultPool, 0));
    if (indexBuffer.Get() != nullptr && SUCCEEDED(indexBuffer->Lock(0, 0, &p, 0))) {
        const std::uint16_t triangle[3] = {0, 1, 2};
        std::memcpy(p, triangle, sizeof triangle);
        indexBuffer->Unlock();
    }
    TRefPtr<std::uint32_t[]> faces(new std::uint32_t[1]{0});
    return TMesh8("dmymsh", buffers, 3, 1, indexBuffer, faces, 1, materials, 1, TRefPtr<TMorphRecord[]>(nullptr), 0);
}
