#include "MainCode/Character/TEnemyFieldLinks.h"

#include "MainCode/Hud/FieldHudStandIns.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"

namespace {

TView* s_view = nullptr;

TFieldLoop* FieldOf(TAreaBase* area)
{
    return area != nullptr ? area->GetFieldLoop() : nullptr;
}

}  // namespace

TEnemyLinkLog& GetEnemyLinkLog()
{
    static TEnemyLinkLog log;
    return log;
}

void PlayerShowHitCount(TGameObject*, TEnemy* enemy)
{
    GetEnemyLinkLog().hitCounts.push_back(enemy);
}

void PlayerUpdateBestRecords(TGameObject*, TEnemy* enemy)
{
    GetEnemyLinkLog().bestRecords.push_back(enemy);
}

void PushItemStealNotice(TAreaBase* area, std::int32_t item)
{
    TFieldLoop* field = FieldOf(area);
    if (field != nullptr && field->GetGetRender() != nullptr) {
        field->GetGetRender()->PushItemSteal(static_cast<std::uint32_t>(item));
        return;
    }
    GetEnemyLinkLog().itemSteals.push_back(item);
}

void PushBellStealNotice(TAreaBase* area, std::int32_t money)
{
    TFieldLoop* field = FieldOf(area);
    if (field != nullptr && field->GetGetRender() != nullptr) {
        field->GetGetRender()->PushBellSteal(static_cast<std::uint32_t>(money));
        return;
    }
    GetEnemyLinkLog().bellSteals.push_back(money);
}

void AddPickUpObject(TAreaBase*, const D3DXVECTOR3& position, std::int32_t item, std::int32_t money)
{
    GetEnemyLinkLog().pickUps.push_back({position, item, money});
}

TView* GetFieldView(TAreaBase* area)
{
    TFieldLoop* field = FieldOf(area);
    return field != nullptr ? field->GetView() : s_view;
}

void SetDetachedFieldView(TView* view)
{
    s_view = view;
}
