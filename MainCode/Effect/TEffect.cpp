#include "MainCode/Effect/TEffect.h"

#include <algorithm>
#include <cctype>

#include "MainCode/Effect/TEffectManager.h"

TEffect::TEffect(const TRefPtr<TFrame>& frame) : m_frame(frame) {}

TEffect::~TEffect() = default;

void TEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
                   TAreaBase* /*area*/, const float* colour)
{
    m_serial = serial;
    if (colour != nullptr) {
        std::copy(colour, colour + 4, m_colour);
    }
    if (m_frame.Get() == nullptr) {
        return;
    }
    if (parent != nullptr) {
        parent->AddChild(m_frame);
    }
    if (position != nullptr) {
        m_frame->SetWorldPosition(*position);
    }
    if (direction != nullptr) {
        m_frame->SetDirection(*direction, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
    }
    m_frame->SetAnimationIndex(0);
    m_frame->SetAnimationTime(0.0F);
    ApplyMaterial();
    // Tinting the carrier later must not reach into the effect.
    m_frame->SetMaterialInherit(false);
}

void TEffect::ApplyMaterial()
{
    if (m_frame.Get() != nullptr) {
        m_frame->SetMaterialType(TMeshMaterial::kAdd, true, false);
    }
}

bool TEffect::Detach() { return m_frame.Get() != nullptr && m_frame->Detach(); }

void TEffect::SetScale(float /*x*/, float /*y*/, float /*z*/) {}

TRefPtr<TFrame> TEffect::LoadFrame(const std::string& name)
{
    if (name.empty()) {
        return TRefPtr<TFrame>();
    }
    return TFrame::Load(TEffectManager::GetFolder() + name);
}

TMesh8 TEffect::LoadMesh(const std::string& name)
{
    return TMesh8::Load(TEffectManager::GetFolder() + (name.empty() ? "particle_mesh.msh" : name));
}

namespace {

// The last four characters, lower-cased; empty for a name too short to carry an extension.
std::string Extension(const std::string& name)
{
    if (name.size() < 4) {
        return "";
    }
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

void TEffect::LoadModel(const std::string& name)
{
    const std::string ext = Extension(name);
    if (ext == ".frm") {
        m_frame = LoadFrame(name);
    } else if (ext == ".msh" || ext == ".tob") {
        TRefPtr<TFrame> root = NewFrame("EffectRoot");
        TMesh8 mesh = LoadMesh(name);
        mesh.SetName("EffectTob");
        root->AddMesh(mesh);
        m_frame = root;
    }
}

TRefPtr<TFrame> TEffect::NewFrame(const std::string& name)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return TRefPtr<TFrame>(new TFrame(name, identity, nullptr));
}
