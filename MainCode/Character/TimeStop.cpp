#include "MainCode/Character/TimeStop.h"

#include "MainCode/Map/TMeshHandle.h"
#include "MainCode/TRunState.h"
#include "dx/dx8/3d/TFrame.h"

namespace {

using TimeStopState = TRunState::TimeStop;

TimeStopState& State() { return TRunState::Current().timeStop; }

constexpr std::int32_t kStopFrames = 600;

}  // namespace

bool IsTimeStopped() { return State().stopped; }

void SetTimeStop(bool on, TFrame* frame, TMeshHandle* object)
{
    TimeStopState& s = State();
    if (on == s.stopped) {
        return;
    }
    s.stopped = on;
    TFrame* board = s.board.Get();
    if (board == nullptr) {
        return;
    }
    if (!on) {
        board->Detach();
        return;
    }
    if (frame != nullptr) {
        frame->AddChild(s.board);
        board->SetPosition(D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        board->LookAtFrame(frame, frame, TFrame::kLookAim);
    }
    if (object != nullptr && object->GetFrame() != nullptr) {
        object->GetPosition(&s.point);
    }
    s.counter = kStopFrames;
}

void PlaceAtTimeStopPoint(TMeshHandle* object)
{
    const TimeStopState& s = State();
    if (s.stopped && object != nullptr && object->GetFrame() != nullptr) {
        object->SetPosition(s.point);
    }
}

void SetTimeStopBoard(const TRefPtr<TFrame>& board)
{
    TimeStopState& s = State();
    if (s.board.Get() != nullptr && s.board.Get() != board.Get()) {
        s.board->Detach();
    }
    s.board = board;
}

const TRefPtr<TFrame>& GetTimeStopBoard() { return State().board; }

std::int32_t CountDownTimeStop() { return --State().counter; }

