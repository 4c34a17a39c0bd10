#include "MainCode/Character/TEnemyFieldLinks.h"

namespace {

TView* s_view = nullptr;

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

void PushItemStealNotice(TAreaBase*, std::int32_t item)
{
    GetEnemyLinkLog().itemSteals.push_back(item);
}

void PushBellStealNotice(TAreaBase*, std::int32_t money)
{
    GetEnemyLinkLog().bellSteals.push_back(money);
}

void AddPickUpObject(TAreaBase*, const D3DXVECTOR3& position, std::int32_t item, std::int32_t money)
{
    GetEnemyLinkLog().pickUps.push_back({position, item, money});
}

TView* GetFieldView(TAreaBase*)
{
    return s_view;
}

void SetFieldViewStandIn(TView* view)
{
    s_view = view;
}
