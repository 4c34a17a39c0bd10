#include "MainCode/Scene/CreateEventLoop.h"

#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TEvent04_02Loop.h"
#include "MainCode/Scene/TEvent04_03Loop.h"
#include "MainCode/Scene/TEvent04_04Loop.h"
#include "MainCode/Scene/TEvent04_05Loop.h"
#include "MainCode/Scene/TEvent04_06Loop.h"
#include "MainCode/Scene/TEvent04_07Loop.h"
#include "MainCode/Scene/TEndingLoop.h"
#include "MainCode/TGameWnd.h"

bool CreateEventLoop(TGameWnd* app, std::int32_t eventId)
{
    switch (eventId) {
    case 300:
        app->ReplaceScene(new TEvent04_00Loop(app));
        break;
    case 301:
        app->ReplaceScene(new TEvent04_01Loop(app));
        break;
    case 302:
        app->ReplaceScene(new TEvent04_02Loop(app));
        break;
    case 303:
        app->ReplaceScene(new TEvent04_03Loop(app));
        break;
    case 304:
        app->ReplaceScene(new TEvent04_04Loop(app));
        break;
    case 305:
        app->ReplaceScene(new TEvent04_05Loop(app));
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
        return false;
    }
    return true;
}
