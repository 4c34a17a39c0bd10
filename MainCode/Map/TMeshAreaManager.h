// The visible map: the map mesh cut into cells over X and Z, of which only the 3 × 3 block around a
// point hangs in the scene, and the placed object meshes filed by cell, faded near that point.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"

class TMeshAreaManager {
    friend struct TMapProbe;
public:
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }

    TMeshAreaManager();

    // meshName is the whole name below the mesh folder (the area puts this folder in front).
    void Load(const std::string& meshName, float cellWidth, float cellDepth, TFrame* parent, const std::string& name);
    void Build(const TMesh8& mesh, float cellWidth, float cellDepth, TFrame* parent, const std::string& name);
    // Filed under the cell of its bounding centre; a mesh outside the grid is dropped.
    void AddObjectMesh(const TMesh8& mesh);
    // other is not used.
    void Update(const float* pos, const float* other);
    void Detach();
    void Release();

    // The cell a world point lies in (outside the grid too), clamped to a safe range.
    std::pair<std::int32_t, std::int32_t> CellOf(float x, float z) const;

private:
    struct CellKey {
        std::int32_t x;
        std::int32_t z;
        bool operator<(const CellKey& o) const { return x != o.x ? x < o.x : z < o.z; }
    };
    using CellRows = std::vector<std::vector<TMesh8>>;

    // Fades the mesh by its distance from the point; false when the point is inside it (hidden).
    bool ShowObjectMesh(TMesh8& mesh, const float* pos);

    static inline std::string s_folder;

    std::string m_name;
    TRefPtr<TFrame> m_root;
    TRefPtr<TFrame> m_subRoot;
    float m_cellWidth = 0.0F;
    float m_cellDepth = 0.0F;
    float m_minX = 0.0F;
    float m_maxX = 0.0F;
    float m_minZ = 0.0F;
    float m_maxZ = 0.0F;
    std::int32_t m_cellsX = 0;
    std::int32_t m_cellsZ = 0;
    std::int32_t m_currentX = -1;
    std::int32_t m_currentZ = -1;
    TRefPtr<CellRows> m_cells;
    std::map<CellKey, std::vector<TMesh8>> m_objectMeshes;
};
