// What a player takes from the field scene that hosts it.
#include "MainCode/Character/TPlayerCharacter.h"

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"

TPlayerFieldLinks GetPlayerFieldLinks(TFieldLoop* field)
{
    TPlayerFieldLinks links;
    if (field == nullptr) {
        return links;
    }
    links.field = field;
    links.player = field->GetPlayer();
    links.input = field->GetApp() != nullptr ? field->GetApp()->GetInput() : nullptr;
    links.letterFont = field->GetLetterFont();
    links.statusPanel = field->GetStatusPanel();
    links.itemRing = field->GetItemRing();
    links.skillGauge = field->GetSkillGauge();
    links.getRender = field->GetGetRender();
    return links;
}
