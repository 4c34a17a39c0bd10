// The time stop, kept by the run (TRunState). While it is on the player is held at one point, the
// board hangs in front of the camera and whoever reads the flag treats time as stopped. Only the
// time-stopping enemy starts it (and builds the board); the player's hit reception ends it.
#pragma once

#include <cstdint>

#include "TCommon/TRefPtr.h"

class TFrame;
class TMeshHandle;

bool IsTimeStopped();
// Does nothing when the flag already is `on`. Starting with a board hangs it one unit in front of
// the frame (the camera's), facing it, takes the object's position as the stop point and sets the
// counter to 600; without a board only the flag changes. Ending detaches the board.
void SetTimeStop(bool on, TFrame* frame, TMeshHandle* object);
// While time is stopped, puts the object back on the stop point.
void PlaceAtTimeStopPoint(TMeshHandle* object);

// The board the time-stopping enemy builds; a null handle drops it. A board replaced while it hangs
// is taken down first.
void SetTimeStopBoard(const TRefPtr<TFrame>& board);
const TRefPtr<TFrame>& GetTimeStopBoard();

// One counted frame of the stop; returns the counter after it.
std::int32_t CountDownTimeStop();

