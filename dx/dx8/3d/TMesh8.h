// The mesh: a named value with its materials, its morph animation and time, the vertex shader
// object that draws it and geometry that copies share until one of them writes to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TMeshGeometry.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "platform/d3d8/d3d8.h"
#include "platform/d3dx8/d3dx8math.h"

class TByteReader;
class TView;

class TMesh8 {
    friend struct TDxProbe;

public:
    // Loads go to folder + name ("data/msh04/" from start-up).
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }

    // Throws my_error naming the file when it cannot be opened or does not hold a whole, consistent mesh.
    static TMesh8 Load(const std::string& name);
    // The mesh record without its header (the frame file embeds the static one with format 0x142).
    static TMesh8 ReadBody(TByteReader& in, std::uint32_t vertexFormat);
    static TMesh8 ReadAnimatedBody(TByteReader& in, std::uint32_t vertexFormat);

    TMesh8(const std::string& name, const TVertexBufferArray& vertexBuffers, std::uint16_t vertexCount,
           std::uint32_t keyFrameCount, const TComPtr<IDirect3DIndexBuffer8>& indexBuffer,
           const TRefPtr<std::uint32_t[]>& faceMaterials, std::uint16_t triangleCount,
           const std::vector<TMeshMaterial>& materials, std::uint32_t materialCount,
           const TRefPtr<TMorphRecord[]>& morphs, std::uint32_t morphCount);
    TMesh8(const TMesh8& other);
    TMesh8& operator=(const TMesh8& other);
    ~TMesh8();

    // Hands every material to its preset's draw list; the list later calls DrawSubset.
    void Draw(const D3DMATRIX* world, TView* view);
    void DrawSubset(const D3DMATRIX* world, TView* view, std::uint32_t material);

    // Centre x, y, z, radius, half radius; the centre moved by the matrix unless it is null or the
    // identity. The radius is never scaled.
    float* GetBoundingSphere(float out[5], const D3DMATRIX* matrix) const;
    // A copy with geometry of its own, mirrored on axis 1 (x), 2 (y) or 3 (z); 0 mirrors nothing.
    TMesh8 CloneMirrored(std::int32_t axis) const;
    // Splits the mesh into cell meshes on the XZ plane, out[row][column]. A cell size below 1.0 on an
    // axis gives one cell there; an empty cell gets the placeholder mesh.
    void BuildTriangleGrid(float cellWidth, float cellDepth, float xRange[2], float zRange[2], std::uint32_t* columns,
                           std::uint32_t* rows, std::vector<std::vector<TMesh8>>* out);
    // The listed triangles as a mesh of their own named "divmsh"; an empty list gives the placeholder.
    TMesh8 ExtractTriangles(const std::vector<std::uint16_t>& triangles);
    // One zero triangle named "dmymsh" with the hidden material "dmymat".
    static TMesh8 CreateDummy(std::uint32_t vertexFormat);
    void GetRangeXZ(float xRange[2], float zRange[2]);

    TMeshGeometry* GetGeometry() const { return m_geometry; }
    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    std::uint16_t GetVertexCount() const { return m_geometry->GetVertexCount(); }
    std::uint16_t GetFaceCount() const { return m_geometry->GetTriangleCount(); }
    DWORD GetFVF() const;
    std::uint32_t GetKeyFrameCount() const { return m_geometry->GetKeyFrameCount(); }
    // The material of the subset holding the triangle; null when none does.
    TMeshMaterial* GetMaterialOfFace(std::uint16_t triangle);

    // Writers take geometry of their own first; the read-only forms and unlocks never do.
    void* LockVertices(std::uint32_t keyFrame);
    std::uint16_t* LockIndices();
    void* LockVerticesReadOnly(std::uint32_t keyFrame) { return m_geometry->LockVerticesReadOnly(keyFrame); }
    std::uint16_t* LockIndicesReadOnly() { return m_geometry->LockIndicesReadOnly(); }
    void UnlockVertices(std::uint32_t keyFrame, bool recomputeBounds)
    {
        m_geometry->UnlockVertices(keyFrame, recomputeBounds);
    }
    void UnlockIndices() { m_geometry->UnlockIndices(); }
    void UpdateBounds() { m_geometry->UpdateBounds(); }
    // After the indices were reordered through LockIndices.
    void RebuildSubsets();

    // Morph animation: an index beyond the morph count is ignored.
    void SetMorph(std::uint32_t morph);
    void SetMorphTime(float t);
    float GetMorphTime() const { return m_morphTime; }
    std::uint32_t GetMorphIndex() const { return m_morphIndex; }
    std::uint32_t GetMorphCount() const { return m_geometry->GetMorphCount(); }
    bool RewindMorph(float step);
    bool StepMorph(bool loop) { return AdvanceMorph(loop, 1.0F); }
    // False when the animation ended (it stays on its last frame) or wrapped to its start.
    bool AdvanceMorph(bool loop, float speed);
    // Whether morph index or time changed since the last call.
    bool HasMorphChanged();

    void Mirror(std::int32_t axis);
    void Scale(const float s[3]);
    void Transform(const D3DMATRIX* m);

    // Materials; an index of 0xFFFFFFFF (-1) means every material.
    static constexpr std::uint32_t kAllMaterials = 0xFFFFFFFF;
    std::uint32_t GetMaterialCount() const { return m_materialCount; }
    TMeshMaterial& GetMaterial(std::uint32_t i) { return m_materials[i]; }
    // For changes the software path must see: marks the subset's vertices to be prepared again.
    // An index the mesh has not gets a spare that is never drawn.
    TMeshMaterial& EditMaterial(std::uint32_t i);
    void SetEmissive(float r, float g, float b, float a, std::uint32_t i);
    void SetEmissiveRGB(float r, float g, float b, std::uint32_t i);
    void SetEmissiveAlpha(float a, std::uint32_t i);
    void SetMaterialType(std::uint16_t code, std::uint32_t i);
    void SetDrawGroup(std::uint16_t group, std::uint32_t i);
    void SetVertexShader(const TRefPtr<TVertexShader>& shader);

private:
    // Gives this mesh geometry of its own when others share it.
    void Unshare();
    const TMorphRecord* CurrentMorph() const { return m_geometry->GetMorphRecord(m_morphIndex); }
    // Each key frame's positions through edit(float[3]), bounds recomputed.
    template <typename F>
    void EditPositions(F edit);
    void MoveVertices(const D3DXMATRIX& m);
    void AfterVertexEdit();

    static inline std::string s_folder;

    std::string m_name;
    std::vector<TMeshMaterial> m_materials;
    std::uint32_t m_materialCount;
    std::uint32_t m_morphIndex = 0;
    float m_morphTime = 0.0F;
    std::uint32_t m_lastMorphIndex = 0xFFFFFFFF;
    float m_lastMorphTime;
    TRefPtr<TVertexShader> m_vertexShader;
    TMeshGeometry* m_geometry;
};
