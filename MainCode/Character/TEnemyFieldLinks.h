// Where an enemy reaches the player, the field's notices and the map's pick-ups. Stand-ins until
// the player's combat side, the get-notice queue and the pick-up map object exist: each keeps what
// it was asked, so the enemy's side can be checked on its own.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;
class TEnemy;
class TGameObject;
class TView;

struct TEnemyLinkPickUp {
    D3DXVECTOR3 position;
    std::int32_t item = -1;
    std::int32_t money = -1;
};

// What the stand-ins were asked, in order.
struct TEnemyLinkLog {
    std::vector<TEnemy*> hitCounts;
    std::vector<TEnemy*> bestRecords;
    std::vector<std::int32_t> itemSteals;
    std::vector<std::int32_t> bellSteals;
    std::vector<TEnemyLinkPickUp> pickUps;
};
TEnemyLinkLog& GetEnemyLinkLog();

// The player's hit-count pop-up and best-record tally (player character stand-ins).
void PlayerShowHitCount(TGameObject* player, TEnemy* enemy);
void PlayerUpdateBestRecords(TGameObject* player, TEnemy* enemy);
// TGetRender::PushItemSteal / PushBellSteal stand-ins.
void PushItemStealNotice(TAreaBase* area, std::int32_t item);
void PushBellStealNotice(TAreaBase* area, std::int32_t money);
// The pick-up map object (TMapItem stand-in): an item id with money -1, or money with item -1.
void AddPickUpObject(TAreaBase* area, const D3DXVECTOR3& position, std::int32_t item, std::int32_t money);

// The field scene's view the gauges are culled and placed with; null when the field has none.
TView* GetFieldView(TAreaBase* area);
// Until the field scene lends its own view.
void SetFieldViewStandIn(TView* view);
