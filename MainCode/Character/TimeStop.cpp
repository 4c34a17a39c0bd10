#include "MainCode/Character/TimeStop.h"

#include "MainCode/Map/TMeshHandle.h"
#include "dx/dx8/3d/TFrame.h"

namespace {

struct TimeStopState {
    bool stopped = false;
    D3DXVECTOR3 point;
    std::int32_t counter = 0;
    TRefPtr<TFrame> board;
};

TimeStopState& State()
{
    static TimeStopState state;
    return state;
}

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

const D3DXVECTOR3& GetTimeStopPoint() { return State().point; }

std::int32_t GetTimeStopCounter() { return State().counter; }

std::int32_t CountDownTimeStop() { return --State().counter; }

void ResetTimeStop()
{
    SetTimeStopBoard(TRefPtr<TFrame>());
    TimeStopState& s = State();
    s.stopped = false;
    s.point = D3DXVECTOR3();
    s.counter = 0;
}
