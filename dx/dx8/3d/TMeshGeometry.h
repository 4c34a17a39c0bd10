// The vertex and index data behind meshes: one vertex buffer per key frame, the triangle list, the
// morph animations, the bounding sphere and the subset table. Meshes share a geometry by its count
// and take a private copy before they write to it.
#pragma once

#include <cstdint>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "platform/d3d8/d3d8.h"

// One morph animation: the key frame each morph frame shows and how far one step moves within it.
struct TMorphRecord {
    TRefPtr<std::uint32_t[]> keyFrames;
    TRefPtr<float[]> timeSteps;
    std::uint32_t frameCount = 0;
};

// The triangles of each material as runs of consecutive triangles.
class TMeshSubsetTable {
public:
    struct Run {
        std::uint32_t first;
        std::uint32_t count;
    };

    // indices (3 a triangle) are needed only for the index copies of the software path; null skips them.
    TMeshSubsetTable(const std::uint16_t* indices, const std::uint32_t* faceMaterials, std::uint16_t triangleCount,
                     std::uint32_t materialCount);

    // The material whose runs hold the triangle; -1 when none does.
    std::int32_t FindSubsetOfFace(std::uint16_t triangle) const;
    // Each triangle's material, for as many triangles as the runs cover.
    void FillFaceSubsets(std::uint32_t* out) const;
    // The material's indices widened to 32 bits; null without index copies.
    const std::uint32_t* GetIndexCopy(std::uint32_t material) const;

    std::uint32_t GetSubsetCount() const { return static_cast<std::uint32_t>(m_runs.size()); }
    const std::vector<Run>& GetRuns(std::uint32_t material) const { return m_runs[material]; }
    std::uint32_t GetTriangleTotal(std::uint32_t material) const { return m_totals[material]; }

private:
    std::vector<std::vector<Run>> m_runs;
    std::vector<TRefPtr<std::uint32_t[]>> m_indexCopies;
    std::vector<std::uint32_t> m_totals;
};

using TVertexBufferArray = TRefPtr<TComPtr<IDirect3DVertexBuffer8>[]>;

class TMeshGeometry {
public:
    TMeshGeometry(const TVertexBufferArray& vertexBuffers, std::uint16_t vertexCount, std::uint32_t keyFrameCount,
                  const TComPtr<IDirect3DIndexBuffer8>& indexBuffer, const TRefPtr<std::uint32_t[]>& faceMaterials,
                  std::uint16_t triangleCount, std::uint32_t materialCount, const TRefPtr<TMorphRecord[]>& morphs,
                  std::uint32_t morphCount);
    // The private duplicate of copy-on-write: own buffers, shared morph records and subset table.
    TMeshGeometry(const TMeshGeometry& other);
    TMeshGeometry& operator=(const TMeshGeometry&) = delete;
    ~TMeshGeometry();

    // Counted by the meshes that share it; the last Release deletes it.
    void AddRef() { ++m_refCount; }
    void Release();
    std::int32_t GetRefCount() const { return m_refCount; }

    // Null when the buffer does not exist (no vertices, no triangles) or refuses the lock.
    void* LockVerticesReadOnly(std::uint32_t keyFrame);
    std::uint16_t* LockIndicesReadOnly();
    void* LockVertices(std::uint32_t keyFrame);
    std::uint16_t* LockIndices();
    void UnlockVertices(std::uint32_t keyFrame, bool recomputeBounds);
    void UnlockIndices();
    void UpdateBounds();

    // Only the software path keeps dirty flags; -1 marks every subset.
    void MarkDirty(std::int32_t subset);
    bool TestAndClearDirty(std::uint32_t subset);

    IDirect3DVertexBuffer8* GetVertexBuffer(std::uint32_t keyFrame) const;
    IDirect3DIndexBuffer8* GetIndexBuffer() const { return m_indexBuffer.Get(); }
    // Null for an index beyond the morph count.
    const TMorphRecord* GetMorphRecord(std::uint32_t i) const;
    TMeshSubsetTable* GetSubsetTable() const { return m_subsets.Get(); }
    void SetSubsetTable(TMeshSubsetTable* table);
    IDirect3DVertexBuffer8* GetSoftwareVertexBuffer() const { return m_softwareBuffer.Get(); }

    std::uint16_t GetVertexCount() const { return m_vertexCount; }
    std::uint32_t GetKeyFrameCount() const { return m_keyFrameCount; }
    std::uint32_t GetMorphCount() const { return m_morphCount; }
    std::uint16_t GetTriangleCount() const { return m_triangleCount; }
    std::uint32_t GetVertexSize() const { return m_vertexSize; }
    // Centre x, y, z, radius, half radius.
    const float* GetBounds() const { return m_bounds; }

private:
    void ReadFormat();

    TVertexBufferArray m_vertexBuffers;
    std::uint16_t m_vertexCount;
    std::uint32_t m_keyFrameCount;
    TRefPtr<TMorphRecord[]> m_morphs;
    std::uint32_t m_morphCount;
    TComPtr<IDirect3DIndexBuffer8> m_indexBuffer;
    std::uint16_t m_triangleCount;
    float m_bounds[5] = {};
    TRefPtr<TMeshSubsetTable> m_subsets;
    TRefPtr<std::uint8_t[]> m_dirty;
    std::uint32_t m_dirtyCount = 0;
    TComPtr<IDirect3DVertexBuffer8> m_softwareBuffer;
    std::int32_t m_refCount = 1;
    DWORD m_fvf = 0;
    std::uint32_t m_vertexSize = 0;
};
