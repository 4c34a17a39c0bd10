#include "dx/dx8/3d/TDrawList.h"

#include <algorithm>
#include <cmath>

#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TRenderPreset.h"
#include "platform/d3dx8/d3dx8.h"

void TStateBlock::Add(const D3DMATRIX*, TView*, std::uint32_t, TMesh8*) {}
void TStateBlock::Flush() {}
TStateBlock::~TStateBlock() = default;
void TStateBlock::Apply() {}
void TStateBlock::Clear() {}
void TStateBlock::SortAndDraw() {}
void TStateBlock::SetStates() {}

void TStateBlock::Record()
{
    Release();
    IDirect3DDevice8* device = TD3D8::GetDevice();
    if (device == nullptr) {
        return;
    }
    device->BeginStateBlock();
    TD3D8::Instance()->ApplyDefaultStates(true);
    SetStates();
    DWORD handle = kNoBlock;
    m_handle = SUCCEEDED(device->EndStateBlock(&handle)) ? handle : kNoBlock;
}

void TStateBlock::Release()
{
    if (m_handle != kNoBlock) {
        if (IDirect3DDevice8* device = TD3D8::GetDevice()) {
            device->DeleteStateBlock(m_handle);
        }
    }
    m_handle = kNoBlock;
}

THideStateBlock::~THideStateBlock() = default;

TDrawList* TDrawList::Create(bool opaqueOrder, DWORD zEnable, DWORD zWriteEnable, DWORD alphaBlendEnable,
                             DWORD cullMode, DWORD fog, DWORD sourceBlend, DWORD destinationBlend)
{
    auto* list = new TDrawList();
    list->m_opaqueOrder = opaqueOrder;
    list->m_zEnable = zEnable;
    list->m_zWriteEnable = zWriteEnable;
    list->m_alphaBlendEnable = alphaBlendEnable;
    list->m_cullMode = cullMode;
    list->m_fog = fog;
    list->m_sourceBlend = sourceBlend;
    list->m_destinationBlend = destinationBlend;
    list->m_opaqueOrderCopy = opaqueOrder;
    return list;
}

TDrawList::~TDrawList() = default;

void TDrawList::FlushAll()
{
    TRenderPreset::PresetMap* presets = TRenderPreset::GetPresets();
    if (presets == nullptr) {
        return;
    }
    for (auto& [code, preset] : *presets) {
        if (preset.Get() != nullptr) {
            preset->Flush();
        }
    }
}

void TDrawList::SetStates()
{
    IDirect3DDevice8* device = TD3D8::GetDevice();
    device->SetRenderState(D3DRS_ZENABLE, m_zEnable);
    device->SetRenderState(D3DRS_ZWRITEENABLE, m_zWriteEnable);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, m_alphaBlendEnable);
    device->SetRenderState(D3DRS_CULLMODE, m_cullMode);
    device->SetRenderState(D3DRS_FOGENABLE, m_fog);
    device->SetRenderState(D3DRS_SRCBLEND, m_sourceBlend);
    device->SetRenderState(D3DRS_DESTBLEND, m_destinationBlend);
}

void TDrawList::Add(const D3DMATRIX* world, TView* view, std::uint32_t material, TMesh8* mesh)
{
    Entry entry{};
    entry.drawGroup = mesh->GetMaterial(material).GetDrawGroup();
    float sphere[5];
    mesh->GetBoundingSphere(sphere, nullptr);
    D3DXVECTOR3 centre(sphere[0], sphere[1], sphere[2]);
    const D3DXMATRIX m(*world);
    if (!D3DXMatrixIsIdentity(&m)) {
        D3DXVECTOR4 moved;
        D3DXVec3Transform(&moved, &centre, &m);
        centre.z = moved.z;
    }
    // A depth that is not a number would leave the sort without an order.
    entry.depth = std::isnan(centre.z) ? 0.0F : centre.z;
    entry.world = *world;
    entry.material = material;
    entry.view = view;
    entry.mesh = mesh;
    m_entries.push_back(entry);
}

void TDrawList::Flush()
{
    if (m_entries.empty()) {
        return;
    }
    Apply();
    SortAndDraw();
    Clear();
}

void TDrawList::Apply()
{
    TD3D8::GetDevice()->ApplyStateBlock(m_handle);
    TD3D8::Instance()->ApplyFog(m_fog != 0);
}

void TDrawList::Clear() { m_entries.clear(); }

void TDrawList::SortAndDraw()
{
    const bool farFirst = m_opaqueOrder;
    std::sort(m_entries.begin(), m_entries.end(), [farFirst](const Entry& a, const Entry& b) {
        if (a.drawGroup != b.drawGroup) {
            return a.drawGroup < b.drawGroup;
        }
        return farFirst ? a.depth > b.depth : a.depth < b.depth;
    });
    for (Entry& e : m_entries) {
        e.mesh->DrawSubset(&e.world, e.view, e.material);
    }
}
