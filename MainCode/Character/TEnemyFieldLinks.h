// Where an enemy reaches the player, the field's notices and view, and the map's pick-ups. The
// notices and the view are the field scene's when the area has one; an area outside a field (an
// enemy checked on its own) records the notices and takes the view set for it. The player's
// hit-count and best-record tallies and the pick-up object are stand-ins until the player's combat
// side and the pick-up map object exist: they keep what they were asked.
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
// TGetRender::PushItemSteal / PushBellSteal of the area's field; recorded without a field.
void PushItemStealNotice(TAreaBase* area, std::int32_t item);
void PushBellStealNotice(TAreaBase* area, std::int32_t money);
// The pick-up map object (TMapItem stand-in): an item id with money -1, or money with item -1.
void AddPickUpObject(TAreaBase* area, const D3DXVECTOR3& position, std::int32_t item, std::int32_t money);

// The field scene's view the gauges are culled and placed with; for an area outside a field, the
// view set below (null when none).
TView* GetFieldView(TAreaBase* area);
void SetDetachedFieldView(TView* view);
