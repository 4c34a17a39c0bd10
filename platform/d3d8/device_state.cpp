// Device state: render and texture-stage states, transforms, lights, bindings and state blocks.
#include <cstring>

#include "platform/d3d8/device.h"

namespace platform::d3d8 {

namespace {

DWORD FloatBits(float f)
{
    DWORD d = 0;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

D3DMATRIX Identity()
{
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0F;
    return m;
}

bool IsWorld(DWORD state) { return state == static_cast<DWORD>(D3DTS_WORLD); }
bool IsTextureTransform(DWORD state) { return state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7; }

}  // namespace

FvfLayout LayoutOfFvf(DWORD fvf)
{
    FvfLayout l;
    l.fvf = fvf;
    UINT offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
        offset = 12;
        break;
    case D3DFVF_XYZRHW:
        offset = 16;
        l.pretransformed = true;
        break;
    case D3DFVF_XYZB1:
    case D3DFVF_XYZB2:
    case D3DFVF_XYZB3:
    case D3DFVF_XYZB4:
    case D3DFVF_XYZB5:
        offset = 12 + 4 * (((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZ) / 2);
        break;
    default:
        break;
    }
    if ((fvf & D3DFVF_NORMAL) != 0) {
        l.normal = static_cast<int>(offset);
        offset += 12;
    }
    if ((fvf & D3DFVF_PSIZE) != 0) {
        offset += 4;
    }
    if ((fvf & D3DFVF_DIFFUSE) != 0) {
        l.diffuse = static_cast<int>(offset);
        offset += 4;
    }
    if ((fvf & D3DFVF_SPECULAR) != 0) {
        l.specular = static_cast<int>(offset);
        offset += 4;
    }
    l.texSets = std::min<UINT>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
    for (UINT i = 0; i < l.texSets; ++i) {
        static constexpr int kSizes[4] = {2, 3, 4, 1};
        const int size = kSizes[(fvf >> (16 + 2 * i)) & 3];
        l.texOffset[i] = static_cast<int>(offset);
        l.texSize[i] = size;
        offset += 4 * static_cast<UINT>(size);
    }
    l.size = offset;
    return l;
}

void Device::SetDefaultStates()
{
    rs_.fill(0);
    rs_[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil != FALSE ? D3DZB_TRUE : D3DZB_FALSE;
    rs_[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs_[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs_[D3DRS_ZWRITEENABLE] = TRUE;
    rs_[D3DRS_LASTPIXEL] = TRUE;
    rs_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs_[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs_[D3DRS_FOGEND] = FloatBits(1.0F);
    rs_[D3DRS_FOGDENSITY] = FloatBits(1.0F);
    rs_[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs_[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs_[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs_[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs_[D3DRS_STENCILMASK] = 0xFFFFFFFFU;
    rs_[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFU;
    rs_[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFU;
    rs_[D3DRS_CLIPPING] = TRUE;
    rs_[D3DRS_LIGHTING] = TRUE;
    rs_[D3DRS_COLORVERTEX] = TRUE;
    rs_[D3DRS_LOCALVIEWER] = TRUE;
    rs_[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs_[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs_[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs_[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs_[D3DRS_POINTSIZE] = FloatBits(1.0F);
    rs_[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs_[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFU;
    rs_[D3DRS_COLORWRITEENABLE] = 0xF;
    rs_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    for (int s = 0; s < kStages; ++s) {
        auto& t = tss_[s];
        t.fill(0);
        t[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
        t[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        t[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        t[D3DTSS_MAXANISOTROPY] = 1;
        t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    world_ = view_ = projection_ = Identity();
    textureMatrix_.fill(Identity());
    material_ = D3DMATERIAL8{};
    lights_.clear();
    dirty_ = kDirtyAll;
    projectionMode_ = 0;
    lightingMode_ = -1;
    fogMode_ = -1;
}

void Device::MarkRenderState(DWORD state)
{
    switch (state) {
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_BLENDOP:
        dirty_ |= kDirtyBlend;
        break;
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC:
        dirty_ |= kDirtyDepth;
        break;
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAREF:
    case D3DRS_ALPHAFUNC:
        dirty_ |= kDirtyAlphaTest;
        break;
    case D3DRS_CULLMODE:
        dirty_ |= kDirtyCull;
        break;
    case D3DRS_FOGENABLE:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE:
        dirty_ |= kDirtyFog;
        break;
    case D3DRS_LIGHTING:
    case D3DRS_AMBIENT:
    case D3DRS_COLORVERTEX:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_SPECULARENABLE:
        dirty_ |= kDirtyLighting;
        break;
    case D3DRS_STENCILENABLE:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
        dirty_ |= kDirtyStencil;
        break;
    case D3DRS_FILLMODE:
    case D3DRS_SHADEMODE:
    case D3DRS_DITHERENABLE:
    case D3DRS_ZBIAS:
        dirty_ |= kDirtyRaster;
        break;
    case D3DRS_TEXTUREFACTOR:
        dirty_ |= kDirtyTexEnv;
        break;
    case D3DRS_COLORWRITEENABLE:
        dirty_ |= kDirtyColorMask;
        break;
    default:
        // States without a GL counterpart (clipping, wrap, edge antialias, ...) are only stored.
        break;
    }
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (state >= D3DRS_MAX) {
        return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->renderSet.set(state);
        recording_->render[state] = value;
        return D3D_OK;
    }
    if (rs_[state] != value) {
        rs_[state] = value;
        MarkRenderState(state);
    }
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (state >= D3DRS_MAX || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = rs_[state];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= 8 || type >= D3DTSS_MAX) {
        return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->stageSet[stage].set(type);
        recording_->stage[stage][type] = value;
        return D3D_OK;
    }
    if (stage >= kStages || tss_[stage][type] == value) {
        return D3D_OK;
    }
    tss_[stage][type] = value;
    switch (type) {
    case D3DTSS_COLOROP:
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAOP:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2:
        dirty_ |= kDirtyTexEnv;
        break;
    case D3DTSS_TEXTURETRANSFORMFLAGS:
        dirty_ |= kDirtyTexMatrix;
        break;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
    case D3DTSS_MAXMIPLEVEL:
    case D3DTSS_MIPMAPLODBIAS:
    case D3DTSS_MAXANISOTROPY:
    case D3DTSS_BORDERCOLOR:
        dirty_ |= kDirtySampler;
        break;
    default:
        break;
    }
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (stage >= 8 || type >= D3DTSS_MAX || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = stage < kStages ? tss_[stage][type] : 0;
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture)
{
    if (stage >= 8) {
        return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->textureSet[stage] = true;
        Replace(recording_->texture[stage], texture);
        return D3D_OK;
    }
    if (stage < kStages) {
        Replace(textures_[stage], texture);
    }
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture)
{
    if (stage >= 8 || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = stage < kStages ? textures_[stage] : nullptr;
    if (*texture != nullptr) {
        (*texture)->AddRef();
    }
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    if (matrix == nullptr || (!IsWorld(state) && state != D3DTS_VIEW && state != D3DTS_PROJECTION &&
                              !IsTextureTransform(state))) {
        return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->transforms[state] = *matrix;
        return D3D_OK;
    }
    if (IsWorld(state)) {
        world_ = *matrix;
        dirty_ |= kDirtyModelView;
    } else if (state == D3DTS_VIEW) {
        view_ = *matrix;
        dirty_ |= kDirtyModelView | kDirtyLighting;
    } else if (state == D3DTS_PROJECTION) {
        projection_ = *matrix;
        dirty_ |= kDirtyProjection;
    } else if (state - D3DTS_TEXTURE0 < static_cast<DWORD>(kStages)) {
        textureMatrix_[state - D3DTS_TEXTURE0] = *matrix;
        dirty_ |= kDirtyTexMatrix;
    }
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (IsWorld(state)) {
        *matrix = world_;
    } else if (state == D3DTS_VIEW) {
        *matrix = view_;
    } else if (state == D3DTS_PROJECTION) {
        *matrix = projection_;
    } else if (IsTextureTransform(state)) {
        *matrix = state - D3DTS_TEXTURE0 < static_cast<DWORD>(kStages) ? textureMatrix_[state - D3DTS_TEXTURE0]
                                                                       : Identity();
    } else {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* viewport)
{
    if (viewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const D3DSURFACE_DESC& d = renderTarget_->desc();
    const auto x2 = static_cast<std::uint64_t>(viewport->X) + viewport->Width;
    const auto y2 = static_cast<std::uint64_t>(viewport->Y) + viewport->Height;
    if (viewport->Width == 0 || viewport->Height == 0 || x2 > d.Width || y2 > d.Height ||
        !(viewport->MinZ >= 0.0F && viewport->MaxZ <= 1.0F && viewport->MinZ <= viewport->MaxZ)) {
        return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->viewportSet = true;
        recording_->viewport = *viewport;
        return D3D_OK;
    }
    viewport_ = *viewport;
    dirty_ |= kDirtyViewport;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* viewport)
{
    if (viewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material)
{
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->materialSet = true;
        recording_->material = *material;
        return D3D_OK;
    }
    material_ = *material;
    dirty_ |= kDirtyLighting;
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material)
{
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *material = material_;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light)
{
    if (light == nullptr || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) {
        return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->lights[index] = *light;
        return D3D_OK;
    }
    lights_[index].light = *light;
    dirty_ |= kDirtyLighting;
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light)
{
    auto it = lights_.find(index);
    if (light == nullptr || it == lights_.end()) {
        return D3DERR_INVALIDCALL;
    }
    *light = it->second.light;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable)
{
    if (recording_ != nullptr) {
        recording_->lightEnable[index] = enable;
        return D3D_OK;
    }
    auto it = lights_.find(index);
    if (it == lights_.end()) {
        // Enabling a light never set gives the default: white, straight ahead.
        LightSlot slot;
        slot.light.Type = D3DLIGHT_DIRECTIONAL;
        slot.light.Diffuse = D3DCOLORVALUE{1.0F, 1.0F, 1.0F, 0.0F};
        slot.light.Direction = D3DVECTOR{0.0F, 0.0F, 1.0F};
        it = lights_.emplace(index, slot).first;
    }
    it->second.enabled = enable != FALSE;
    dirty_ |= kDirtyLighting;
    return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable)
{
    auto it = lights_.find(index);
    if (enable == nullptr || it == lights_.end()) {
        return D3DERR_INVALIDCALL;
    }
    *enable = it->second.enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD handle)
{
    if ((handle & 1) != 0 && ShaderOf(handle) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->shaderSet = true;
        recording_->shader = handle;
        return D3D_OK;
    }
    if (handle == shader_) {
        return D3D_OK;
    }
    shader_ = handle;
    if ((handle & 1) == 0) {
        const bool hadDiffuse = layout_.diffuse >= 0;
        layout_ = LayoutOfFvf(handle);
        if ((layout_.diffuse >= 0) != hadDiffuse) {
            dirty_ |= kDirtyLighting;  // lit colour follows the vertex colour only when there is one
        }
    } else {
        // Constants given in the declaration are loaded when the shader is chosen.
        for (const auto& [reg, value] : ShaderOf(handle)->constants) {
            SetVertexShaderConstant(reg, value.data(), 1);
        }
    }
    return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* handle)
{
    if (handle == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *handle = shader_;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride)
{
    if (stream >= 2 || (buffer != nullptr && stride == 0)) {
        return D3DERR_INVALIDCALL;
    }
    Replace(streams_[stream], static_cast<VertexBuffer*>(buffer));
    streamStride_[stream] = stride;
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride)
{
    if (stream >= 2 || buffer == nullptr || stride == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = streams_[stream];
    if (*buffer != nullptr) {
        (*buffer)->AddRef();
    }
    *stride = streamStride_[stream];
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex)
{
    Replace(indices_, static_cast<IndexBuffer*>(buffer));
    baseVertex_ = baseVertexIndex;
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex)
{
    if (buffer == nullptr || baseVertexIndex == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = indices_;
    if (indices_ != nullptr) {
        indices_->AddRef();
    }
    *baseVertexIndex = baseVertex_;
    return D3D_OK;
}

// ---- State blocks ----

HRESULT Device::BeginStateBlock()
{
    if (recording_ != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recording_ = std::make_unique<StateBlock>();
    return D3D_OK;
}

HRESULT Device::EndStateBlock(DWORD* token)
{
    if (recording_ == nullptr || token == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recording_->ListStates();
    const size_t slot = FreeSlot(blocks_);
    blocks_[slot] = std::move(recording_);
    // Tokens start at 1: the game keeps 0xFFFFFFFF for "none" and we never reach it.
    *token = static_cast<DWORD>(slot + 1);
    return D3D_OK;
}

void StateBlock::ListStates()
{
    renderList.clear();
    for (DWORD i = 0; i < D3DRS_MAX; ++i) {
        if (renderSet.test(i)) {
            renderList.push_back(i);
        }
    }
    for (DWORD s = 0; s < 8; ++s) {
        stageList[s].clear();
        for (DWORD i = 0; i < D3DTSS_MAX; ++i) {
            if (stageSet[s].test(i)) {
                stageList[s].push_back(i);
            }
        }
    }
}

void Device::ApplyBlock(const StateBlock& b)
{
    for (DWORD i : b.renderList) {
        SetRenderState(static_cast<D3DRENDERSTATETYPE>(i), b.render[i]);
    }
    for (DWORD s = 0; s < 8; ++s) {
        for (DWORD i : b.stageList[s]) {
            SetTextureStageState(s, static_cast<D3DTEXTURESTAGESTATETYPE>(i), b.stage[s][i]);
        }
        if (b.textureSet[s]) {
            SetTexture(s, b.texture[s]);
        }
    }
    if (b.shaderSet) {
        SetVertexShader(b.shader);
    }
    for (const auto& [state, matrix] : b.transforms) {
        SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), &matrix);
    }
    if (b.viewportSet) {
        SetViewport(&b.viewport);
    }
    if (b.materialSet) {
        SetMaterial(&b.material);
    }
    for (const auto& [index, light] : b.lights) {
        SetLight(index, &light);
    }
    for (const auto& [index, on] : b.lightEnable) {
        LightEnable(index, on);
    }
}

HRESULT Device::ApplyStateBlock(DWORD token)
{
    if (token == 0 || token > blocks_.size() || blocks_[token - 1] == nullptr || recording_ != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    ApplyBlock(*blocks_[token - 1]);
    return D3D_OK;
}

HRESULT Device::CaptureStateBlock(DWORD token)
{
    if (token == 0 || token > blocks_.size() || blocks_[token - 1] == nullptr || recording_ != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    StateBlock& b = *blocks_[token - 1];
    for (DWORD i : b.renderList) {
        b.render[i] = rs_[i];
    }
    for (DWORD s = 0; s < 8; ++s) {
        for (DWORD i : b.stageList[s]) {
            b.stage[s][i] = s < kStages ? tss_[s][i] : 0;
        }
        if (b.textureSet[s]) {
            Replace(b.texture[s], s < kStages ? textures_[s] : nullptr);
        }
    }
    if (b.shaderSet) {
        b.shader = shader_;
    }
    for (auto& [state, matrix] : b.transforms) {
        GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), &matrix);
    }
    if (b.viewportSet) {
        b.viewport = viewport_;
    }
    if (b.materialSet) {
        b.material = material_;
    }
    for (auto& [index, light] : b.lights) {
        GetLight(index, &light);
    }
    for (auto& [index, on] : b.lightEnable) {
        GetLightEnable(index, &on);
    }
    return D3D_OK;
}

HRESULT Device::DeleteStateBlock(DWORD token)
{
    if (token == 0 || token > blocks_.size() || blocks_[token - 1] == nullptr || recording_ != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    blocks_[token - 1].reset();
    return D3D_OK;
}

}  // namespace platform::d3d8
