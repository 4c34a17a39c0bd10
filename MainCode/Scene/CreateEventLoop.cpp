#include "MainCode/Scene/CreateEventLoop.h"

#include "MainCode/Scene/TStandInEventLoop.h"
#include "MainCode/TGameWnd.h"

bool CreateEventLoop(TGameWnd* app, std::int32_t eventId)
{
    if (eventId < TStandInEventLoop::kFirstEvent || eventId > TStandInEventLoop::kEnding) {
        return false;
    }
    app->ReplaceScene(new TStandInEventLoop(app, eventId));
    return true;
}
