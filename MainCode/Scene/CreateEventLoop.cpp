#include "MainCode/Scene/CreateEventLoop.h"

#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TEvent04_06Loop.h"
#include "MainCode/Scene/TEvent04_07Loop.h"
#include "MainCode/Scene/TEndingLoop.h"
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
    case 306:
        app->ReplaceScene(new TEvent04_06Loop(app));
        break;
    case 307:
        app->ReplaceScene(new TEvent04_07Loop(app));
        break;
    case 308:
        app->ReplaceScene(new TEndingLoop(app));
        break;
    default:
        app->ReplaceScene(new TStandInEventLoop(app, eventId));
        break;
    }
    return true;
}
