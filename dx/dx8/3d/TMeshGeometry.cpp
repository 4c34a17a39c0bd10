#include "dx/dx8/3d/TMeshGeometry.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "dx/dx8/3d/TD3D8.h"
#include "platform/d3dx8/d3dx8.h"

TMeshSubsetTable::TMeshSubsetTable(const std::uint16_t* indices, const std::uint32_t* faceMaterials,
                                   std::uint16_t triangleCount, std::uint32_t materialCount)
    : m_runs(materialCount), m_totals(materialCount, 0)
{
    // A mesh without triangles has runs for nobody.
    if (triangleCount > 0 && faceMaterials != nullptr) {
        std::uint32_t current = faceMaterials[0];
        std::uint32_t start = 0;
        std::uint32_t length = 1;
        for (std::uint32_t t = 1; t < triangleCount; ++t) {
            if (faceMaterials[t] != current) {
                if (current < materialCount) {
                    m_runs[current].push_back({start, length});
                }
                current = faceMaterials[t];
                start = t;
                length = 1;
            } else {
                ++length;
            }
        }
        if (current < materialCount) {
            m_runs[current].push_back({start, length});
        }
    }
    for (std::uint32_t m = 0; m < materialCount; ++m) {
        for (const Run& run : m_runs[m]) {
            m_totals[m] += run.count;
        }
    }
    if (indices == nullptr) {
        return;
    }
    m_indexCopies.resize(materialCount);
    for (std::uint32_t m = 0; m < materialCount; ++m) {
        TRefPtr<std::uint32_t[]> copy(new std::uint32_t[static_cast<std::size_t>(m_totals[m]) * 3 + 1]);
        std::uint32_t* out = copy.Get();
        for (const Run& run : m_runs[m]) {
            for (std::uint32_t i = run.first * 3; i < (run.first + run.count) * 3; ++i) {
                *out++ = indices[i];
            }
        }
        m_indexCopies[m] = copy;
    }
}

std::int32_t TMeshSubsetTable::FindSubsetOfFace(std::uint16_t triangle) const
{
    for (std::size_t m = 0; m < m_runs.size(); ++m) {
        for (const Run& run : m_runs[m]) {
            if (triangle >= run.first && triangle < run.first + run.count) {
                return static_cast<std::int32_t>(m);
            }
        }
    }
    return -1;
}

void TMeshSubsetTable::FillFaceSubsets(std::uint32_t* out) const
{
    for (std::size_t m = 0; m < m_runs.size(); ++m) {
        for (const Run& run : m_runs[m]) {
            for (std::uint32_t t = run.first; t < run.first + run.count; ++t) {
                out[t] = static_cast<std::uint32_t>(m);
            }
        }
    }
}

const std::uint32_t* TMeshSubsetTable::GetIndexCopy(std::uint32_t material) const
{
    return material < m_indexCopies.size() ? m_indexCopies[material].Get() : nullptr;
}

TMeshGeometry::TMeshGeometry(const TVertexBufferArray& vertexBuffers, std::uint16_t vertexCount,
                             std::uint32_t keyFrameCount, const TComPtr<IDirect3DIndexBuffer8>& indexBuffer,
                             const TRefPtr<std::uint32_t[]>& faceMaterials, std::uint16_t triangleCount,
                             std::uint32_t materialCount, const TRefPtr<TMorphRecord[]>& morphs,
                             std::uint32_t morphCount)
    : m_vertexBuffers(vertexBuffers),
      m_vertexCount(vertexCount),
      m_keyFrameCount(keyFrameCount),
      m_morphs(morphs),
      m_morphCount(morphCount),
      m_indexBuffer(indexBuffer),
      m_triangleCount(triangleCount),
      m_subsets(nullptr)
{
    ReadFormat();
    TD3D8* d3d = TD3D8::Instance();
    if (d3d->IsVertexShaderSupported()) {
        m_subsets = TRefPtr<TMeshSubsetTable>(
            new TMeshSubsetTable(nullptr, faceMaterials.Get(), triangleCount, materialCount));
        return;
    }
    // Without vertex shaders each material keeps its own index list, and the CPU writes the vertices
    // to draw into a buffer of their own.
    std::uint16_t* indices = nullptr;
    if (m_indexBuffer.Get() != nullptr) {
        BYTE* p = nullptr;
        if (SUCCEEDED(m_indexBuffer->Lock(0, 0, &p, 0))) {
            indices = reinterpret_cast<std::uint16_t*>(p);
        }
    }
    static const std::uint16_t kNone[1] = {0};
    m_subsets = TRefPtr<TMeshSubsetTable>(new TMeshSubsetTable(indices != nullptr ? indices : kNone,
                                                               indices != nullptr ? faceMaterials.Get() : nullptr,
                                                               indices != nullptr ? triangleCount : 0,
                                                               materialCount));
    if (indices != nullptr) {
        m_indexBuffer->Unlock();
    }
    if (m_vertexCount > 0 && m_fvf != 0) {
        m_softwareBuffer = TComPtr<IDirect3DVertexBuffer8>(
            d3d->CreateVertexBuffer(m_vertexCount, m_fvf, TD3D8::kDefaultPool, 0));
    }
    m_dirtyCount = materialCount;
    m_dirty = TRefPtr<std::uint8_t[]>(new std::uint8_t[materialCount + 1]);
    std::memset(m_dirty.Get(), 1, materialCount + 1);
}

TMeshGeometry::TMeshGeometry(const TMeshGeometry& other)
    : m_vertexBuffers(new TComPtr<IDirect3DVertexBuffer8>[other.m_keyFrameCount + 1]),
      m_vertexCount(other.m_vertexCount),
      m_keyFrameCount(other.m_keyFrameCount),
      m_morphs(other.m_morphs),
      m_morphCount(other.m_morphCount),
      m_indexBuffer(nullptr),
      m_triangleCount(other.m_triangleCount),
      m_subsets(other.m_subsets),
      m_dirtyCount(other.m_dirtyCount),
      m_softwareBuffer(nullptr),
      m_fvf(other.m_fvf),
      m_vertexSize(other.m_vertexSize)
{
    TD3D8* d3d = TD3D8::Instance();
    for (std::uint32_t k = 0; k < m_keyFrameCount; ++k) {
        m_vertexBuffers[k] = TComPtr<IDirect3DVertexBuffer8>(d3d->CloneVertexBuffer(other.GetVertexBuffer(k)));
    }
    m_indexBuffer = TComPtr<IDirect3DIndexBuffer8>(d3d->CloneIndexBuffer(other.m_indexBuffer.Get()));
    std::memcpy(m_bounds, other.m_bounds, sizeof m_bounds);
    if (other.m_softwareBuffer.Get() != nullptr) {
        m_softwareBuffer = TComPtr<IDirect3DVertexBuffer8>(d3d->CloneVertexBuffer(other.m_softwareBuffer.Get()));
    }
    if (other.m_dirty.Get() != nullptr) {
        m_dirty = TRefPtr<std::uint8_t[]>(new std::uint8_t[m_dirtyCount + 1]);
        std::memcpy(m_dirty.Get(), other.m_dirty.Get(), m_dirtyCount + 1);
    }
}

TMeshGeometry::~TMeshGeometry()
{
    m_softwareBuffer.Release();
    m_dirty.Release();
    m_subsets.Release();
    m_indexBuffer.Release();
    m_morphs.Release();
    m_vertexBuffers.Release();
}

void TMeshGeometry::Release()
{
    if (--m_refCount == 0) {
        delete this;
    }
}

void TMeshGeometry::ReadFormat()
{
    IDirect3DVertexBuffer8* first = GetVertexBuffer(0);
    D3DVERTEXBUFFER_DESC desc{};
    if (first != nullptr && SUCCEEDED(first->GetDesc(&desc))) {
        m_fvf = desc.FVF;
        m_vertexSize = D3DXGetFVFVertexSize(desc.FVF);
    }
}

IDirect3DVertexBuffer8* TMeshGeometry::GetVertexBuffer(std::uint32_t keyFrame) const
{
    if (keyFrame >= m_keyFrameCount || m_vertexBuffers.Get() == nullptr) {
        return nullptr;
    }
    return m_vertexBuffers[keyFrame].Get();
}

const TMorphRecord* TMeshGeometry::GetMorphRecord(std::uint32_t i) const
{
    return i < m_morphCount && m_morphs.Get() != nullptr ? &m_morphs[i] : nullptr;
}

void TMeshGeometry::SetSubsetTable(TMeshSubsetTable* table) { m_subsets = TRefPtr<TMeshSubsetTable>(table); }

namespace {

template <typename Buffer>
BYTE* LockWhole(Buffer* buffer, DWORD flags)
{
    BYTE* p = nullptr;
    if (buffer == nullptr || FAILED(buffer->Lock(0, 0, &p, flags))) {
        return nullptr;
    }
    return p;
}

}  // namespace

void* TMeshGeometry::LockVerticesReadOnly(std::uint32_t keyFrame)
{
    return LockWhole(GetVertexBuffer(keyFrame), D3DLOCK_READONLY);
}

std::uint16_t* TMeshGeometry::LockIndicesReadOnly()
{
    return reinterpret_cast<std::uint16_t*>(LockWhole(m_indexBuffer.Get(), D3DLOCK_READONLY));
}

void* TMeshGeometry::LockVertices(std::uint32_t keyFrame)
{
    MarkDirty(-1);
    return LockWhole(GetVertexBuffer(keyFrame), 0);
}

std::uint16_t* TMeshGeometry::LockIndices()
{
    MarkDirty(-1);
    return reinterpret_cast<std::uint16_t*>(LockWhole(m_indexBuffer.Get(), 0));
}

void TMeshGeometry::UnlockVertices(std::uint32_t keyFrame, bool recomputeBounds)
{
    if (IDirect3DVertexBuffer8* vb = GetVertexBuffer(keyFrame)) {
        vb->Unlock();
    }
    if (recomputeBounds) {
        UpdateBounds();
    }
}

void TMeshGeometry::UnlockIndices()
{
    if (m_indexBuffer.Get() != nullptr) {
        m_indexBuffer->Unlock();
    }
}

void TMeshGeometry::UpdateBounds()
{
    if (m_vertexSize < 12) {
        return;  // no positions to measure
    }
    const auto* base = static_cast<const BYTE*>(LockVerticesReadOnly(0));
    if (base == nullptr) {
        return;
    }
    float low[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
    float high[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (std::uint32_t v = 0; v < m_vertexCount; ++v) {
        float p[3];
        std::memcpy(p, base + static_cast<std::size_t>(v) * m_vertexSize, sizeof p);
        for (int a = 0; a < 3; ++a) {
            low[a] = p[a] < low[a] ? p[a] : low[a];
            high[a] = p[a] > high[a] ? p[a] : high[a];
        }
    }
    float centre[3];
    for (int a = 0; a < 3; ++a) {
        centre[a] = (low[a] + high[a]) * 0.5F;
    }
    float largest = 0.0F;
    for (std::uint32_t v = 0; v < m_vertexCount; ++v) {
        float p[3];
        std::memcpy(p, base + static_cast<std::size_t>(v) * m_vertexSize, sizeof p);
        const float dx = p[0] - centre[0];
        const float dy = p[1] - centre[1];
        const float dz = p[2] - centre[2];
        const float d = dx * dx + dy * dy + dz * dz;
        largest = d > largest ? d : largest;
    }
    GetVertexBuffer(0)->Unlock();
    const float radius = std::sqrt(largest);
    m_bounds[0] = centre[0];
    m_bounds[1] = centre[1];
    m_bounds[2] = centre[2];
    m_bounds[3] = radius;
    m_bounds[4] = radius * 0.5F;
}

void TMeshGeometry::MarkDirty(std::int32_t subset)
{
    if (m_dirty.Get() == nullptr) {
        return;  // vertex shaders read the buffers themselves
    }
    if (subset < 0) {
        std::memset(m_dirty.Get(), 1, m_dirtyCount);
    } else if (static_cast<std::uint32_t>(subset) < m_dirtyCount) {
        m_dirty[subset] = 1;
    }
}

bool TMeshGeometry::TestAndClearDirty(std::uint32_t subset)
{
    if (m_dirty.Get() == nullptr || subset >= m_dirtyCount) {
        return false;
    }
    const bool was = m_dirty[subset] != 0;
    m_dirty[subset] = 0;
    return was;
}
