#include "MainCode/Map/TMeshAreaManagerTimeStop.h"

namespace {

bool g_timeStopped = false;

}  // namespace

bool IsTimeStopped() { return g_timeStopped; }

void SetTimeStoppedForTest(bool stopped) { g_timeStopped = stopped; }
