// The transform node of the engine: a named local matrix, its key-frame animations, the meshes drawn
// with it and its children. Models are trees of frames, loaded from frame files or built in code.
// Matrices are row-vector: rows 1 to 3 are the frame's X, Y and Z axes, row 4 its position.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TAnimTrack.h"
#include "dx/dx8/3d/TMesh8.h"
#include "platform/d3dx8/d3dx8math.h"

class TByteReader;
class TView;

// The identity matrix, the local matrix of a frame built at its parent's origin.
inline D3DXMATRIX IdentityMatrix()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

class TFrame {
    friend struct TDxProbe;

public:
    // The parent pointer is only stored: the frame follows the parent's transform but is not drawn
    // with it until AddChild attaches it.
    TFrame(const std::string& name, const D3DXMATRIX& local, TFrame* parent);
    ~TFrame();
    TFrame(const TFrame&) = delete;
    TFrame& operator=(const TFrame&) = delete;

    // Folder put in front of every frame file name; it carries its own trailing slash.
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static std::string& GetDirectory() { return s_folder; }
    // A missing or short file gives the tree read so far (a missing one: one unnamed root).
    static TRefPtr<TFrame> Load(std::string name);
    static TRefPtr<TFrame> ReadNode(TByteReader& in, TFrame* parent);

    const std::string& GetName() const { return m_name; }

    // Tree. The caller of AddChild holds its own reference to the child for the call.
    TRefPtr<TFrame> Clone(TFrame* parent) const;
    void AddChild(const TRefPtr<TFrame>& child);
    bool RemoveChild(TFrame* child);
    bool Detach();
    void RemoveAllChildren();
    TFrame* GetParent() const { return m_parent; }
    void SetParent(TFrame* parent) { m_parent = parent; }
    std::size_t GetChildCount() const { return m_children.size(); }
    TFrame* GetChild(std::size_t i) const { return m_children[i].Get(); }

    // Meshes, owned copies drawn with the frame's world matrix.
    void AddMesh(const TMesh8& mesh);
    // mesh: the address of an element of this frame's list.
    bool RemoveMesh(TMesh8* mesh);
    void ClearMeshes();
    // Mesh i (at most the count) becomes a copy of the given one, a new last mesh when i is the
    // count; the copy reuses what the mesh there held, or one dropped by KeepMeshes, so a list
    // refilled every frame, growing and shrinking, allocates nothing once it was that long.
    void SetMesh(std::size_t i, const TMesh8& mesh);
    // Drops the meshes from index count on: they are neither drawn nor found, and are kept for
    // SetMesh to refill.
    void KeepMeshes(std::size_t count);
    // First mesh of that name here, then (recurse) in each child's subtree in order.
    TMesh8* FindMesh(const std::string& name, bool recurse);
    std::size_t GetMeshCount() const { return m_meshCount; }
    TMesh8* GetMesh(std::size_t i) { return &m_meshes[i]; }

    // Key-frame animation. An index of -1, or one no set answers to, shows the local matrix.
    void AddKeyTrackSet(const TRefPtr<TAnimTrackSet>& set);
    std::size_t GetKeyTrackSetCount() const { return m_sets.size(); }
    void SetAnimationIndex(std::int32_t index);
    void SetAnimationTime(float time);
    // The local matrix, or the selected animation evaluated at the frame's time.
    D3DXMATRIX* GetPose(D3DXMATRIX* out) const;

    // Every material of every mesh. Callers pass asChild false: the frame they name always changes,
    // and with recurse the children follow, down to any frame whose inherit flag is cleared.
    void SetMaterialInherit(bool inherit) { m_inherit = inherit; }
    void SetEmissive(float r, float g, float b, float a, bool recurse, bool asChild);
    void SetEmissiveRGB(float r, float g, float b, bool recurse, bool asChild);
    void SetEmissiveAlpha(float a, bool recurse, bool asChild);
    void SetMaterialType(std::uint16_t code, bool recurse, bool asChild);

    // Children first, then the frame's meshes that the view does not cull, onto the draw lists.
    // Scenes pass their view and the identity.
    void Render(TView* view, const D3DXMATRIX* parentWorld);

    // Local matrix. own = true: T × local (in the frame's own axes); false: local × T (in the parent's).
    D3DXMATRIX* GetMatrix() { return &m_local; }
    void SetMatrix(const D3DXMATRIX& m) { m_local = m; }
    D3DXVECTOR3* GetPosition(D3DXVECTOR3* out) const;
    void SetPosition(const D3DXVECTOR3& p);
    void AddPosition(float dx, float dy, float dz);
    // index 1, 2, 3: the X, Y, Z axis; any other: zero.
    D3DXVECTOR3* GetAxis(D3DXVECTOR3* out, std::uint32_t index) const;
    void Translate(float x, float y, float z, bool own);
    void RotateAxis(const D3DXVECTOR3& axis, float angle, bool own);
    void Scale(float sx, float sy, float sz, bool own);
    void MultiplyMatrix(const D3DXMATRIX& t, bool own);

    // World queries, computed afresh on every call. Those returning bool fail only on a singular matrix.
    D3DXMATRIX* GetWorldMatrix(D3DXMATRIX* out) const;
    D3DXVECTOR3* GetWorldPosition(D3DXVECTOR3* out) const;
    D3DXVECTOR3* GetWorldAxis(D3DXVECTOR3* out, std::uint32_t index) const;
    // On failure out is the identity.
    bool GetInverseWorldMatrix(D3DXMATRIX* out, bool withTranslation) const;
    // This frame in the other's space (other null: the world). On failure out is untouched.
    bool GetMatrixRelativeTo(const TFrame* other, D3DXMATRIX* out) const;
    bool GetPositionRelativeTo(const TFrame* other, D3DXVECTOR3* out) const;
    bool GetAxisRelativeTo(const TFrame* other, D3DXVECTOR3* out, std::uint32_t index) const;
    // A world point (asPoint) or direction into the frame's own axes.
    bool WorldToLocal(D3DXVECTOR3* out, const D3DXVECTOR3& in, bool asPoint) const;
    bool SetWorldPosition(const D3DXVECTOR3& p);
    bool SetPositionRelativeTo(const TFrame* other, const D3DXVECTOR3& p);

    // Orientation. On false the local matrix is as it was.
    static constexpr int kLookUpright = 4;  // turn about the reference's up axis only
    static constexpr int kLookAim = 12;     // aim the Z axis at the target, reference Y as up
    bool SetDirection(const D3DXVECTOR3& forward, const D3DXVECTOR3& up);
    bool SetDirectionRelativeTo(const TFrame* other, const D3DXVECTOR3& forward, const D3DXVECTOR3& up);
    bool LookAtFrame(const TFrame* reference, const TFrame* target, int mode);
    bool LookAtPoint(const TFrame* reference, const D3DXVECTOR3& point, int mode);

private:
    static TRefPtr<TFrame> ReadNode(TByteReader& in, TFrame* parent, int depth);
    bool LookAt(const TFrame* reference, bool haveTarget, D3DXVECTOR3 f, int mode);
    template <typename Apply>
    void ForEachMesh(bool recurse, bool asChild, const Apply& apply);
    // The frame's meshes, without those KeepMeshes dropped.
    std::span<TMesh8> Meshes();

    static inline std::string s_folder;

    std::string m_name;
    D3DXMATRIX m_local;
    std::int32_t m_animIndex = -1;
    float m_animTime = 0.0F;
    bool m_inherit = true;
    std::vector<TRefPtr<TAnimTrackSet>> m_sets;
    // The first m_meshCount are the frame's meshes; the rest wait for SetMesh.
    std::vector<TMesh8> m_meshes;
    std::size_t m_meshCount = 0;
    std::vector<TRefPtr<TFrame>> m_children;
    TFrame* m_parent;
};
