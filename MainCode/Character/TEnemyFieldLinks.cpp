#include "MainCode/Character/TEnemyFieldLinks.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"

namespace {

TView* s_view = nullptr;

}  // namespace

TView* GetFieldView(TAreaBase* area)
{
    TFieldLoop* field = area != nullptr ? area->GetFieldLoop() : nullptr;
    return field != nullptr ? field->GetView() : s_view;
}

void SetDetachedFieldView(TView* view)
{
    s_view = view;
}

TGetRender* GetFieldNotices(TAreaBase* area)
{
    if (area == nullptr) {
        return nullptr;
    }
    if (TFieldLoop* field = area->GetFieldLoop()) {
        return field->GetGetRender();
    }
    TPlayerCharacter* player = area->GetPlayer();
    return player != nullptr ? player->GetGetRender() : nullptr;
}
