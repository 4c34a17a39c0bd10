#include "MainCode/Scene/CreateEventLoop.h"

#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TStandInEventLoop.h"
#include "MainCode/TGameWnd.h"

bool CreateEventLoop(TGameWnd* app, std::int32_t eventId)
{
    if (eventId < TStandInEventLoop::kFirstEvent || eventId > TStandInEventLoop::kEnding) {
        return false;
    }
    switch (eventId) {
    case 300:
        app->ReplaceScene(new TEvent04_00Loop(app));
        break;
    case 301:
        app->ReplaceScene(new TEvent04_01Loop(app));
        break;
    default:
        app->ReplaceScene(new TStandInEventLoop(app, eventId));
        break;
    }
    return true;
}
