// What one run of the game carries from scene to scene outside the save. The application owns one,
// so every run starts from the same state; the game reaches the live one through Current().
#pragma once

#include <cstdint>

#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8math.h"

class TFrame;

class TRunState {
public:
    // The newest live state is the current one; a state made within another's life takes its place
    // until it goes.
    TRunState();
    ~TRunState();
    TRunState(const TRunState&) = delete;
    TRunState& operator=(const TRunState&) = delete;

    // Code driven outside any application (tools, parts on their own) shares one state of its own.
    static TRunState& Current();

    // The maker's logo comes with the first title of a run only.
    bool logoShown = false;
    // Particles take their atlas cells in turn across every burst of the run.
    std::uint32_t particleAtlasCounter = 0;
    // Each kind of particle bullet part takes its cells in turn (TBulletPartCells::kind).
    std::uint32_t bulletPartCounters[4] = {};
    // The serial of the last experience gain, counted across every player of the run.
    std::uint32_t gainSerial = 0;
    // The scripts' own linear congruential generator, apart from the shared MT one.
    std::uint32_t scriptRandom = 1;
    // The time stop (Character/TimeStop.h): on or off, where the player is held, the frames left and
    // the board the time-stopping enemy built.
    struct TimeStop {
        bool stopped = false;
        D3DXVECTOR3 point;
        std::int32_t counter = 0;
        TRefPtr<TFrame> board;
    } timeStop;
};
