#include "dx/dx8/3d/TSprite.h"

#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/testing/TSpriteObserver.h"
#include "platform/d3dx8/d3dx8.h"

namespace {

const WORD kQuadIndices[6] = {0, 1, 2, 1, 3, 2};

struct ModeBlend {
    int mode;
    DWORD srcBlend;
    DWORD destBlend;
    DWORD alphaBlend;
};

const ModeBlend kModes[] = {
    {0, D3DBLEND_ONE, D3DBLEND_ZERO, FALSE},
    {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, TRUE},
    {2, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, TRUE},
    {3, D3DBLEND_ONE, D3DBLEND_ONE, TRUE},
    {4, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, TRUE},
};

constexpr DWORD kNoBlock = 0xFFFFFFFF;

TSpriteObserver* s_observer = nullptr;

}  // namespace

void SetSpriteObserver(TSpriteObserver* observer) { s_observer = observer; }

TSprite::TSprite() : m_image(TTexture8::Load(std::string(), D3DPOOL_MANAGED, 0))
{
    InitVertices();
    TakeImageSize();
}

TSprite::TSprite(const TTexture8& image) : m_image(image)
{
    InitVertices();
    TakeImageSize();
}

TSprite::TSprite(const std::string& name, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, DWORD usage)
    : m_image(TTexture8::Create(name, width, height, format, pool, usage))
{
    InitVertices();
    TakeImageSize();
}

TSprite TSprite::FromFile(const std::string& name, D3DPOOL pool, DWORD usage)
{
    return TSprite(TTexture8::Load(name, pool, usage));
}

TSprite::~TSprite() = default;

void TSprite::InitVertices()
{
    const float uv[4][2] = {{0.0F, 0.0F}, {1.0F, 0.0F}, {0.0F, 1.0F}, {1.0F, 1.0F}};
    for (int i = 0; i < 4; ++i) {
        m_vertices[i] = Vertex{0.0F, 0.0F, 0.0F, 1.0F, 0xFFFFFFFF, 0xFFFFFFFF, uv[i][0], uv[i][1]};
    }
}

void TSprite::TakeImageSize()
{
    D3DSURFACE_DESC desc{};
    if (m_image.GetLevelDesc(0, &desc)) {
        m_width = desc.Width;
        m_height = desc.Height;
    } else {
        m_width = 0;
        m_height = 0;
    }
}

void TSprite::SetColor(DWORD argb, int corner)
{
    if (corner == -1) {
        for (Vertex& v : m_vertices) {
            v.diffuse = argb;
        }
    } else if (corner >= 0 && corner < 4) {
        m_vertices[corner].diffuse = argb;
    }
}

DWORD TSprite::PackColorF(float r, float g, float b, float a)
{
    const auto channel = [](float v) { return static_cast<DWORD>(static_cast<std::int32_t>(v * 255.0F)) & 0xFF; };
    return channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

void TSprite::SetColorF(float r, float g, float b, float a, int corner)
{
    SetColor(PackColorF(r, g, b, a), corner);
}

void TSprite::SetTexCoord(int corner, float u, float v)
{
    if (corner >= 0 && corner < 4) {
        m_vertices[corner].u = u;
        m_vertices[corner].v = v;
    }
}

void TSprite::PlaceCorners(float x, float y, float w, float h, bool unscaled)
{
    for (Vertex& v : m_vertices) {
        v.rhw = 1.0F;
    }
    if (!unscaled) {
        x *= s_scaleX;
        w *= s_scaleX;
        y *= s_scaleY;
        h *= s_scaleY;
    }
    // Texel centres on pixel centres.
    m_vertices[0].x = x - 0.5F;
    m_vertices[0].y = y - 0.5F;
    m_vertices[1].x = x + w - 0.5F;
    m_vertices[1].y = y - 0.5F;
    m_vertices[2].x = x - 0.5F;
    m_vertices[2].y = y + h - 0.5F;
    m_vertices[3].x = x + w - 0.5F;
    m_vertices[3].y = y + h - 0.5F;
}

void TSprite::DrawQuad()
{
    IDirect3DDevice8* device = TD3D8::GetDevice();
    if (device == nullptr) {
        return;
    }
    device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kQuadIndices, D3DFMT_INDEX16, m_vertices,
                                   sizeof(Vertex));
}

void TSprite::Draw(float x, float y, float w, float h, bool unscaled)
{
    if (s_hidden || !m_image.HasTexture()) {
        return;
    }
    if (s_observer != nullptr) {
        s_observer->OnDraw(*this, x, y, w, h, unscaled);
    }
    PlaceCorners(x, y, w, h, unscaled);
    m_image.SetToStage(0);
    DrawQuad();
}

void TSprite::Draw(float x, float y, bool unscaled)
{
    Draw(x, y, static_cast<float>(m_width), static_cast<float>(m_height), unscaled);
}

void TSprite::DrawTransformed(float x, float y, float w, float h, const D3DMATRIX* m, bool unscaled)
{
    if (s_hidden) {
        return;
    }
    if (s_observer != nullptr) {
        s_observer->OnDrawTransformed(*this, x, y, w, h, m, unscaled);
    }
    if (!unscaled) {
        x *= s_scaleX;
        w *= s_scaleX;
        y *= s_scaleY;
        h *= s_scaleY;
    }
    const float hw = w * 0.5F;
    const float hh = h * 0.5F;
    const float corners[4][2] = {{-hw, -hh}, {hw, -hh}, {-hw, hh}, {hw, hh}};
    const D3DXMATRIX matrix = m != nullptr ? D3DXMATRIX(*m) : D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    for (int i = 0; i < 4; ++i) {
        const D3DXVECTOR3 corner(corners[i][0], corners[i][1], 0.0F);
        D3DXVECTOR4 turned;
        D3DXVec3Transform(&turned, &corner, &matrix);
        m_vertices[i].x = turned.x + x + hw;
        m_vertices[i].y = turned.y + y + hh;
        m_vertices[i].rhw = 1.0F;
    }
    m_image.SetToStage(0);
    DrawQuad();
}

void TSprite::DrawRect(float x, float y, float w, float h, bool unscaled)
{
    if (s_hidden) {
        return;
    }
    if (s_observer != nullptr) {
        s_observer->OnDrawRect(*this, x, y, w, h, unscaled);
    }
    PlaceCorners(x, y, w, h, unscaled);
    if (IDirect3DDevice8* device = TD3D8::GetDevice()) {
        device->SetTexture(0, nullptr);
    }
    DrawQuad();
}

void TSprite::SetScreenScale(int virtualWidth, int virtualHeight, int targetWidth, int targetHeight)
{
    s_virtualWidth = virtualWidth;
    s_virtualHeight = virtualHeight;
    s_targetWidth = targetWidth;
    s_targetHeight = targetHeight;
    s_scaleX = static_cast<float>(targetWidth) / static_cast<float>(virtualWidth);
    s_scaleY = static_cast<float>(targetHeight) / static_cast<float>(virtualHeight);
}

void TSprite::SetRenderMode(int mode)
{
    if (mode == kHiddenMode) {
        s_hidden = true;
        return;
    }
    // A mode that was never recorded has no block to apply: nothing changes.
    const auto it = s_modes.find(mode);
    if (it == s_modes.end()) {
        return;
    }
    s_hidden = false;
    if (s_observer != nullptr) {
        s_observer->OnRenderMode(mode);
    }
    if (IDirect3DDevice8* device = TD3D8::GetDevice()) {
        device->ApplyStateBlock(it->second);
    }
}

void TSprite::RecordScreenModes()
{
    IDirect3DDevice8* device = TD3D8::GetDevice();
    if (device == nullptr) {
        return;
    }
    TD3D8* d3d = TD3D8::Instance();
    for (const ModeBlend& m : kModes) {
        device->BeginStateBlock();
        d3d->ApplyDefaultStates(true);
        device->SetRenderState(D3DRS_SRCBLEND, m.srcBlend);
        device->SetRenderState(D3DRS_DESTBLEND, m.destBlend);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, m.alphaBlend);
        device->SetVertexShader(kFvf);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        DWORD block = kNoBlock;
        device->EndStateBlock(&block);
        // A block recorded again replaces the older one.
        auto old = s_modes.find(m.mode);
        if (old != s_modes.end() && old->second != kNoBlock && old->second != block) {
            device->DeleteStateBlock(old->second);
        }
        s_modes[m.mode] = block;
    }
    d3d->ApplyDefaultStates(false);
    SetRenderMode(1);
}

void TSprite::DeleteScreenModes()
{
    IDirect3DDevice8* device = TD3D8::GetDevice();
    for (const auto& [mode, block] : s_modes) {
        if (block != kNoBlock && device != nullptr) {
            device->DeleteStateBlock(block);
        }
    }
    s_modes.clear();
}
