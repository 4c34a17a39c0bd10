#include "MainCode/Character/TPlayerFieldLinks.h"

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"

namespace {

TPlayerFieldLinks s_detached;

}  // namespace

void SetDetachedPlayerFieldLinks(const TPlayerFieldLinks& links) { s_detached = links; }

TPlayerFieldLinks GetPlayerFieldLinks(TFieldLoop* field)
{
    if (field == nullptr) {
        return s_detached;
    }
    TPlayerFieldLinks links;
    links.player = field->GetPlayer();
    links.input = field->GetApp() != nullptr ? field->GetApp()->GetInput() : nullptr;
    links.letterFont = field->GetLetterFont();
    links.statusPanel = field->GetStatusPanel();
    links.itemRing = field->GetItemRing();
    links.skillGauge = field->GetSkillGauge();
    links.getRender = field->GetGetRender();
    return links;
}
