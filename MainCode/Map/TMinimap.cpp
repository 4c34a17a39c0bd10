#include "MainCode/Map/TMinimap.h"

#include <cmath>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TMeshHandle.h"
#include "platform/d3dx8/d3dx8math.h"

namespace {

constexpr float kUnit = 0.001953125F;        // 1 / 512: one world unit of the picture
constexpr float kHalfWidth = 0.19921875F;    // 102 units
constexpr float kHalfHeight = 0.13671875F;   // 70 units
constexpr float kPictureWidth = 204.0F;
constexpr float kPictureHeight = 140.0F;

TSprite PictureOf(const std::string& name)
{
    return TSprite::FromFile(name.empty() ? std::string() : "minimap.ptx/" + name, D3DPOOL_MANAGED, 0);
}

}  // namespace

TRefPtr<TMinimap> TMinimap::Create() { return TRefPtr<TMinimap>(new TMinimap()); }

TMinimap::TMinimap()
    : m_picture(PictureOf("")),
      m_window(TSprite::FromFile("sprite.ptx/window21", D3DPOOL_MANAGED, 0)),
      m_cursor(TSprite::FromFile("sprite.ptx/cursor05", D3DPOOL_MANAGED, 0))
{
}

TMinimap::~TMinimap() = default;

void TMinimap::Load(const std::string& name) { m_picture = PictureOf(name); }

void TMinimap::Update(const TMeshHandle& player)
{
    D3DXVECTOR3 f;
    player.GetFront(&f);
    const float c = f.z >= 1.0F ? 1.0F : (f.z <= -1.0F ? -1.0F : f.z);
    m_heading = std::acos(c);
    if (!(f.x > 0.0F)) {
        m_heading = -m_heading;
    }

    D3DXVECTOR3 p;
    player.GetPosition(&p);
    const float u = (p.x + 256.0F) * kUnit;
    const float v = (256.0F - p.z) * kUnit;
    m_picture.SetTexCoord(0, u - kHalfWidth, v - kHalfHeight);
    m_picture.SetTexCoord(1, u + kHalfWidth, v - kHalfHeight);
    m_picture.SetTexCoord(2, u - kHalfWidth, v + kHalfHeight);
    m_picture.SetTexCoord(3, u + kHalfWidth, v + kHalfHeight);
}

void TMinimap::Draw(int x, int y)
{
    const TGameData* data = TGameData::GetInstance();
    if (data == nullptr || data->GetMiniMapState() == 0) {
        return;
    }
    const auto fx = static_cast<float>(x);
    const auto fy = static_cast<float>(y);
    TSprite::SetRenderMode(1);
    m_window.Draw(fx, fy, false);
    TSprite::SetRenderMode(3);
    m_picture.Draw(fx + 10.0F, fy + 10.0F, kPictureWidth, kPictureHeight, false);
    TSprite::SetRenderMode(1);
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, m_heading);
    m_cursor.DrawTransformed(fx + 104.0F, fy + 72.0F, 16.0F, 16.0F, &turn, false);
}
