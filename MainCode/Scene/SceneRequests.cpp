#include "MainCode/SceneRequests.h"

#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TDieLoop.h"

TLoop* CreateDieLoop(TGameWnd* app, std::int32_t musicId)
{
    return new TDieLoop(app, musicId);
}

TLoop* CreateChangeToTitle(TGameWnd* app, std::uint32_t musicId)
{
    return TChangeLoop::ToTitle(app, musicId);
}

TLoop* CreateChangeToLoadSlot(TGameWnd* app, std::uint32_t slot, std::uint32_t musicId)
{
    return TChangeLoop::ToLoadSlot(app, slot, musicId);
}

TLoop* CreateChangeToEvent(TGameWnd* app, std::int32_t colourMode, std::uint32_t direction, std::uint32_t eventId,
                           std::int32_t musicId)
{
    return TChangeLoop::ToEvent(app, colourMode, direction, eventId, musicId);
}
