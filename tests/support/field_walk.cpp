#include "support/field_walk.h"

#include <cmath>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "dx/dx8/3d/TFrame.h"
#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"

namespace qmtest {

D3DXVECTOR3 PositionOf(TGameObject* object)
{
    D3DXVECTOR3 p;
    object->GetPosition(&p);
    return p;
}

float FlatDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return std::hypot(a.x - b.x, a.z - b.z);
}

void WalkTowards(TFieldLoop* field, const D3DXVECTOR3& target)
{
    const D3DXVECTOR3 p = PositionOf(field->GetPlayer());
    D3DXVECTOR3 eye;
    field->GetArea()->GetCamera()->GetFrame()->GetPosition(&eye);
    D3DXVECTOR3 ahead(p.x - eye.x, 0.0F, p.z - eye.z);
    D3DXVECTOR3 want(target.x - p.x, 0.0F, target.z - p.z);
    D3DXVec3Normalize(&ahead, &ahead);
    D3DXVec3Normalize(&want, &want);
    const float forward = ahead.x * want.x + ahead.z * want.z;
    const float right = ahead.z * want.x - ahead.x * want.z;
    constexpr float kSlack = 0.38F;  // about 22 degrees off an axis still walks straight along it
    platform::InjectKey(VK_UP, forward > kSlack);
    platform::InjectKey(VK_DOWN, forward < -kSlack);
    platform::InjectKey(VK_RIGHT, right > kSlack);
    platform::InjectKey(VK_LEFT, right < -kSlack);
}

void ReleaseArrows()
{
    for (int vk : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}) {
        platform::InjectKey(vk, false);
    }
}

}  // namespace qmtest
