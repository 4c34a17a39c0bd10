// The event factory: story events 300 to 307 and the ending, 308.
#pragma once

#include <cstdint>

class TGameWnd;

// Builds the scene of the event id and hands it to the scene stack's far end; false, handing over
// nothing, for an id outside 300..308.
bool CreateEventLoop(TGameWnd* app, std::int32_t eventId);
