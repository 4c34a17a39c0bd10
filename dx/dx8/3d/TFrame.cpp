#include "dx/dx8/3d/TFrame.h"

#include <algorithm>
#include <cfloat>

#include "TCommon/TByteReader.h"
#include "dx/dx8/3d/TView.h"

namespace {

D3DXVECTOR3 Row(const D3DXMATRIX& m, std::uint32_t index)
{
    if (index < 1 || index > 3) {
        return D3DXVECTOR3(0.0F, 0.0F, 0.0F);
    }
    return D3DXVECTOR3(m.m[index - 1][0], m.m[index - 1][1], m.m[index - 1][2]);
}

D3DXVECTOR3 Transform(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, &v, &m);
    return D3DXVECTOR3(r.x, r.y, r.z);
}

// A direction counts as zero when normalising leaves it no longer than FLT_EPSILON.
bool Normalise(D3DXVECTOR3* v)
{
    D3DXVec3Normalize(v, v);
    return D3DXVec3Length(v) > FLT_EPSILON;
}

bool NormalisedCross(D3DXVECTOR3* out, const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    D3DXVec3Cross(out, &a, &b);
    return Normalise(out);
}

// Every mesh of a frame file has position, colour and one texture coordinate pair.
constexpr std::uint32_t kFrameVertexFormat = 0x142;

// Deeper than any model goes; a file nesting further is damaged, and reading stops there.
constexpr int kMaxDepth = 256;

// A count that cannot be read stays 0, so a short file ends the tree there.
std::uint32_t ReadCount(TByteReader& in)
{
    std::uint32_t count = 0;
    in.U32(count);
    return count;
}

D3DXMATRIX Axes(const D3DXVECTOR3& x, const D3DXVECTOR3& y, const D3DXVECTOR3& z)
{
    return D3DXMATRIX(x.x, x.y, x.z, 0.0F, y.x, y.y, y.z, 0.0F, z.x, z.y, z.z, 0.0F, 0.0F, 0.0F, 0.0F, 1.0F);
}

void DropTranslation(D3DXMATRIX* m)
{
    m->_41 = 0.0F;
    m->_42 = 0.0F;
    m->_43 = 0.0F;
}

}  // namespace

TFrame::TFrame(const std::string& name, const D3DXMATRIX& local, TFrame* parent)
    : m_name(name), m_local(local), m_parent(parent)
{
}

TFrame::~TFrame()
{
    // A child another holder keeps lives on as a root.
    for (TRefPtr<TFrame>& child : m_children) {
        child->m_parent = nullptr;
    }
    m_children.clear();
}

TRefPtr<TFrame> TFrame::Clone(TFrame* parent) const
{
    TRefPtr<TFrame> copy(new TFrame(m_name, m_local, parent));
    copy->m_meshes.assign(m_meshes.begin(), m_meshes.begin() + static_cast<std::ptrdiff_t>(m_meshCount));
    copy->m_meshCount = m_meshCount;
    copy->m_sets = m_sets;
    for (const TRefPtr<TFrame>& child : m_children) {
        copy->AddChild(child->Clone(copy.Get()));
    }
    return copy;
}

void TFrame::AddChild(const TRefPtr<TFrame>& child)
{
    if (child->m_parent != nullptr) {
        child->m_parent->RemoveChild(child.Get());
    }
    child->m_parent = this;
    m_children.push_back(child);
}

bool TFrame::RemoveChild(TFrame* child)
{
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        if (it->Get() == child) {
            child->m_parent = nullptr;
            // The entry may hold the last reference: let it go only once the list is consistent.
            TRefPtr<TFrame> last = *it;
            m_children.erase(it);
            return true;
        }
    }
    return false;
}

bool TFrame::Detach()
{
    if (m_parent == nullptr) {
        return false;
    }
    return m_parent->RemoveChild(this);
}

void TFrame::RemoveAllChildren()
{
    for (TRefPtr<TFrame>& child : m_children) {
        child->m_parent = nullptr;
    }
    m_children.clear();
}

void TFrame::AddMesh(const TMesh8& mesh) { SetMesh(m_meshCount, mesh); }

bool TFrame::RemoveMesh(TMesh8* mesh)
{
    const auto end = m_meshes.begin() + static_cast<std::ptrdiff_t>(m_meshCount);
    for (auto it = m_meshes.begin(); it != end; ++it) {
        if (&*it == mesh) {
            m_meshes.erase(it);
            --m_meshCount;
            return true;
        }
    }
    return false;
}

void TFrame::ClearMeshes()
{
    m_meshes.clear();
    m_meshCount = 0;
}

void TFrame::SetMesh(std::size_t i, const TMesh8& mesh)
{
    if (i < m_meshes.size()) {
        m_meshes[i] = mesh;
    } else {
        m_meshes.push_back(mesh);
    }
    m_meshCount = std::max(m_meshCount, i + 1);
}

void TFrame::KeepMeshes(std::size_t count) { m_meshCount = std::min(m_meshCount, count); }

std::span<TMesh8> TFrame::Meshes() { return {m_meshes.data(), m_meshCount}; }

TMesh8* TFrame::FindMesh(const std::string& name, bool recurse)
{
    for (TMesh8& mesh : Meshes()) {
        if (mesh.GetName() == name) {
            return &mesh;
        }
    }
    if (recurse) {
        for (TRefPtr<TFrame>& child : m_children) {
            if (TMesh8* found = child->FindMesh(name, true)) {
                return found;
            }
        }
    }
    return nullptr;
}

template <typename Apply>
void TFrame::ForEachMesh(bool recurse, bool asChild, const Apply& apply)
{
    // Effects and carried weapons clear the flag so that tinting their carrier leaves them alone.
    if (asChild && !m_inherit) {
        return;
    }
    for (TMesh8& mesh : Meshes()) {
        apply(mesh);
    }
    if (recurse) {
        for (TRefPtr<TFrame>& child : m_children) {
            child->ForEachMesh(true, true, apply);
        }
    }
}

void TFrame::SetEmissive(float r, float g, float b, float a, bool recurse, bool asChild)
{
    ForEachMesh(recurse, asChild, [&](TMesh8& m) { m.SetEmissive(r, g, b, a, TMesh8::kAllMaterials); });
}

void TFrame::SetEmissiveRGB(float r, float g, float b, bool recurse, bool asChild)
{
    ForEachMesh(recurse, asChild, [&](TMesh8& m) { m.SetEmissiveRGB(r, g, b, TMesh8::kAllMaterials); });
}

void TFrame::SetEmissiveAlpha(float a, bool recurse, bool asChild)
{
    ForEachMesh(recurse, asChild, [&](TMesh8& m) { m.SetEmissiveAlpha(a, TMesh8::kAllMaterials); });
}

void TFrame::SetMaterialType(std::uint16_t code, bool recurse, bool asChild)
{
    ForEachMesh(recurse, asChild, [&](TMesh8& m) { m.SetMaterialType(code, TMesh8::kAllMaterials); });
}

void TFrame::Render(TView* view, const D3DXMATRIX* parentWorld)
{
    D3DXMATRIX world;
    GetPose(&world);
    D3DXMatrixMultiply(&world, &world, parentWorld);
    for (TRefPtr<TFrame>& child : m_children) {
        child->Render(view, &world);
    }
    for (TMesh8& mesh : Meshes()) {
        float sphere[5];
        mesh.GetBoundingSphere(sphere, &world);
        if (view->IsSphereVisible(sphere)) {
            mesh.Draw(&world, view);
        }
    }
}

void TFrame::AddKeyTrackSet(const TRefPtr<TAnimTrackSet>& set) { m_sets.push_back(set); }

void TFrame::SetAnimationIndex(std::int32_t index)
{
    m_animIndex = index;
    for (TRefPtr<TFrame>& child : m_children) {
        child->SetAnimationIndex(index);
    }
}

void TFrame::SetAnimationTime(float time)
{
    m_animTime = time;
    for (TRefPtr<TFrame>& child : m_children) {
        child->SetAnimationTime(time);
    }
}

D3DXMATRIX* TFrame::GetPose(D3DXMATRIX* out) const
{
    // An index no set answers to (a model with fewer animations than the caller thinks) shows the
    // frame at rest instead of reading past the list.
    if (m_animIndex < 0 || static_cast<std::size_t>(m_animIndex) >= m_sets.size()) {
        *out = m_local;
        return out;
    }
    return m_sets[static_cast<std::size_t>(m_animIndex)]->Evaluate(out, m_animTime, &m_local);
}

D3DXVECTOR3* TFrame::GetPosition(D3DXVECTOR3* out) const
{
    *out = D3DXVECTOR3(m_local._41, m_local._42, m_local._43);
    return out;
}

void TFrame::SetPosition(const D3DXVECTOR3& p)
{
    m_local._41 = p.x;
    m_local._42 = p.y;
    m_local._43 = p.z;
}

void TFrame::AddPosition(float dx, float dy, float dz)
{
    m_local._41 += dx;
    m_local._42 += dy;
    m_local._43 += dz;
}

D3DXVECTOR3* TFrame::GetAxis(D3DXVECTOR3* out, std::uint32_t index) const
{
    *out = Row(m_local, index);
    return out;
}

void TFrame::MultiplyMatrix(const D3DXMATRIX& t, bool own)
{
    if (own) {
        D3DXMatrixMultiply(&m_local, &t, &m_local);
    } else {
        D3DXMatrixMultiply(&m_local, &m_local, &t);
    }
}

void TFrame::Translate(float x, float y, float z, bool own)
{
    D3DXMATRIX t;
    MultiplyMatrix(*D3DXMatrixTranslation(&t, x, y, z), own);
}

void TFrame::RotateAxis(const D3DXVECTOR3& axis, float angle, bool own)
{
    D3DXMATRIX t;
    MultiplyMatrix(*D3DXMatrixRotationAxis(&t, &axis, angle), own);
}

void TFrame::Scale(float sx, float sy, float sz, bool own)
{
    D3DXMATRIX t;
    MultiplyMatrix(*D3DXMatrixScaling(&t, sx, sy, sz), own);
}

D3DXMATRIX* TFrame::GetWorldMatrix(D3DXMATRIX* out) const
{
    D3DXMATRIX world;
    GetPose(&world);
    for (const TFrame* p = m_parent; p != nullptr; p = p->m_parent) {
        D3DXMATRIX pose;
        D3DXMatrixMultiply(&world, &world, p->GetPose(&pose));
    }
    *out = world;
    return out;
}

D3DXVECTOR3* TFrame::GetWorldPosition(D3DXVECTOR3* out) const
{
    D3DXMATRIX w;
    GetWorldMatrix(&w);
    *out = D3DXVECTOR3(w._41, w._42, w._43);
    return out;
}

D3DXVECTOR3* TFrame::GetWorldAxis(D3DXVECTOR3* out, std::uint32_t index) const
{
    D3DXMATRIX w;
    *out = Row(*GetWorldMatrix(&w), index);
    return out;
}

bool TFrame::GetInverseWorldMatrix(D3DXMATRIX* out, bool withTranslation) const
{
    D3DXMATRIX w;
    GetWorldMatrix(&w);
    if (!withTranslation) {
        DropTranslation(&w);
    }
    if (D3DXMatrixInverse(out, nullptr, &w) == nullptr) {
        D3DXMatrixIdentity(out);
        return false;
    }
    return true;
}

bool TFrame::GetMatrixRelativeTo(const TFrame* other, D3DXMATRIX* out) const
{
    if (other == nullptr) {
        GetWorldMatrix(out);
        return true;
    }
    D3DXMATRIX otherWorld;
    D3DXMATRIX inverse;
    if (D3DXMatrixInverse(&inverse, nullptr, other->GetWorldMatrix(&otherWorld)) == nullptr) {
        return false;
    }
    D3DXMATRIX w;
    D3DXMatrixMultiply(out, GetWorldMatrix(&w), &inverse);
    return true;
}

bool TFrame::GetPositionRelativeTo(const TFrame* other, D3DXVECTOR3* out) const
{
    D3DXMATRIX m;
    if (!GetMatrixRelativeTo(other, &m)) {
        return false;
    }
    *out = D3DXVECTOR3(m._41, m._42, m._43);
    return true;
}

bool TFrame::GetAxisRelativeTo(const TFrame* other, D3DXVECTOR3* out, std::uint32_t index) const
{
    D3DXMATRIX m;
    if (!GetMatrixRelativeTo(other, &m)) {
        return false;
    }
    if (index >= 1 && index <= 3) {
        *out = Row(m, index);
    }
    return true;
}

bool TFrame::WorldToLocal(D3DXVECTOR3* out, const D3DXVECTOR3& in, bool asPoint) const
{
    D3DXMATRIX inverse;
    if (!GetInverseWorldMatrix(&inverse, asPoint)) {
        return false;
    }
    *out = Transform(in, inverse);
    return true;
}

bool TFrame::SetWorldPosition(const D3DXVECTOR3& p) { return SetPositionRelativeTo(nullptr, p); }

bool TFrame::SetPositionRelativeTo(const TFrame* other, const D3DXVECTOR3& p)
{
    D3DXVECTOR3 world = p;
    if (other != nullptr) {
        D3DXMATRIX w;
        world = Transform(p, *other->GetWorldMatrix(&w));
    }
    D3DXMATRIX inverse;
    if (!GetInverseWorldMatrix(&inverse, true)) {
        return false;
    }
    // The point in the frame's own axes: moving by it there puts the origin on the point.
    const D3DXVECTOR3 q = Transform(world, inverse);
    Translate(q.x, q.y, q.z, true);
    return true;
}

bool TFrame::SetDirection(const D3DXVECTOR3& forward, const D3DXVECTOR3& up)
{
    return SetDirectionRelativeTo(nullptr, forward, up);
}

bool TFrame::SetDirectionRelativeTo(const TFrame* other, const D3DXVECTOR3& forward, const D3DXVECTOR3& up)
{
    D3DXVECTOR3 f = forward;
    D3DXVECTOR3 u = up;
    if (other != nullptr) {
        D3DXMATRIX w;
        other->GetWorldMatrix(&w);
        DropTranslation(&w);
        f = Transform(f, w);
        u = Transform(u, w);
    }
    D3DXMATRIX inverse;
    if (!GetInverseWorldMatrix(&inverse, false)) {
        return false;
    }
    u = Transform(u, inverse);
    f = Transform(f, inverse);
    D3DXVECTOR3 x;
    D3DXVECTOR3 y;
    if (!Normalise(&u) || !Normalise(&f) || !NormalisedCross(&x, u, f) || !NormalisedCross(&y, f, x)) {
        return false;
    }
    MultiplyMatrix(Axes(x, y, f), true);
    return true;
}

bool TFrame::LookAtFrame(const TFrame* reference, const TFrame* target, int mode)
{
    D3DXVECTOR3 f;
    const bool found = target->GetPositionRelativeTo(this, &f);
    return LookAt(reference, found, f, mode);
}

bool TFrame::LookAtPoint(const TFrame* reference, const D3DXVECTOR3& point, int mode)
{
    D3DXVECTOR3 f;
    const bool found = WorldToLocal(&f, point, true);
    return LookAt(reference, found, f, mode);
}

// f: the target in the frame's own axes, when haveTarget.
bool TFrame::LookAt(const TFrame* reference, bool haveTarget, D3DXVECTOR3 f, int mode)
{
    if (mode != kLookUpright && mode != kLookAim) {
        return false;
    }
    if (!haveTarget || !Normalise(&f)) {
        if (!WorldToLocal(&f, D3DXVECTOR3(0.0F, 0.0F, 1.0F), true)) {
            return false;
        }
    }
    D3DXVECTOR3 u;
    const bool haveUp = reference->GetAxisRelativeTo(this, &u, 2);
    const bool upUsable = haveUp && Normalise(&u);
    D3DXVECTOR3 x;
    D3DXVECTOR3 y;
    D3DXVECTOR3 z;
    if (mode == kLookUpright) {
        if (!upUsable && !WorldToLocal(&u, D3DXVECTOR3(0.0F, 1.0F, 0.0F), true)) {
            return false;
        }
        if (!NormalisedCross(&x, u, f) || !NormalisedCross(&z, x, u)) {
            return false;
        }
        y = u;
    } else {
        if (!haveUp) {
            u = D3DXVECTOR3(0.0F, 1.0F, 0.0F);
        } else if (!upUsable && !WorldToLocal(&u, D3DXVECTOR3(0.0F, 1.0F, 0.0F), true)) {
            return false;
        }
        // Up along the line of sight gives no side: lean to the world's X instead.
        const float d = D3DXVec3Dot(&u, &f);
        if (d >= 1.0F - FLT_EPSILON && d <= 1.0F + FLT_EPSILON) {
            if (!WorldToLocal(&u, D3DXVECTOR3(1.0F, 0.0F, 0.0F), true)) {
                return false;
            }
        } else if (d >= -1.0F - FLT_EPSILON && d <= -1.0F + FLT_EPSILON) {
            if (!WorldToLocal(&u, D3DXVECTOR3(-1.0F, 0.0F, 0.0F), true)) {
                return false;
            }
        }
        if (D3DXVec3Length(&u) <= FLT_EPSILON) {
            return false;
        }
        if (!NormalisedCross(&x, u, f) || !NormalisedCross(&y, f, x)) {
            return false;
        }
        z = f;
    }
    MultiplyMatrix(Axes(x, y, z), true);
    return true;
}

TRefPtr<TFrame> TFrame::Load(std::string name)
{
    // A file that does not open reads as empty: one unnamed root.
    const std::string path = GetDirectory() + name;
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    TByteReader in(bytes, path);
    in.Skip(8);  // the header; a file shorter than it reads as empty
    return ReadNode(in, nullptr);
}

TRefPtr<TFrame> TFrame::ReadNode(TByteReader& in, TFrame* parent) { return ReadNode(in, parent, 0); }

TRefPtr<TFrame> TFrame::ReadNode(TByteReader& in, TFrame* parent, int depth)
{
    std::string name;
    in.String(name);
    float m[16];
    D3DXMATRIX local;
    if (in.F32s(m, 16)) {
        local = D3DXMATRIX(m);
    } else {
        D3DXMatrixIdentity(&local);
    }
    TRefPtr<TFrame> frame(new TFrame(name, local, parent));

    // Every record takes at least one field from the file, so none of the loops below outlasts it.
    // A damaged mesh record ends the load with the mesh reader's error, naming the file.
    const std::uint32_t meshes = ReadCount(in);
    for (std::uint32_t i = 0; i < meshes && in.Left() > 0; ++i) {
        frame->AddMesh(TMesh8::ReadBody(in, kFrameVertexFormat));
    }
    const std::uint32_t sets = ReadCount(in);
    for (std::uint32_t i = 0; i < sets && in.Left() > 0; ++i) {
        frame->AddKeyTrackSet(TAnimTrackSet::Load(in));
    }
    const std::uint32_t children = ReadCount(in);
    if (children != 0 && depth >= kMaxDepth) {
        in.Skip(in.Left());
        return frame;
    }
    for (std::uint32_t i = 0; i < children && in.Left() > 0; ++i) {
        frame->AddChild(ReadNode(in, frame.Get(), depth + 1));
    }
    return frame;
}
