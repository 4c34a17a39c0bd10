#include "MainCode/Character/TEnemyFieldLinks.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"

TView* GetFieldView(TAreaBase* area)
{
    if (area == nullptr) {
        return nullptr;
    }
    if (TFieldLoop* field = area->GetFieldLoop()) {
        return field->GetView();
    }
    TCamera* camera = area->GetCamera();
    return camera != nullptr ? camera->GetView() : nullptr;
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
