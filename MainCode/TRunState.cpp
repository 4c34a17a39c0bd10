#include "MainCode/TRunState.h"

#include <algorithm>
#include <vector>

#include "dx/dx8/3d/TFrame.h"

namespace {

std::vector<TRunState*>& Live()
{
    static std::vector<TRunState*> live;
    return live;
}

}  // namespace

TRunState::TRunState()
{
    Live().push_back(this);
}

TRunState::~TRunState()
{
    std::vector<TRunState*>& live = Live();
    live.erase(std::find(live.begin(), live.end(), this));
}

TRunState& TRunState::Current()
{
    if (Live().empty()) {
        static TRunState outside;
        // Its construction registered it; it stays under every later run.
    }
    return *Live().back();
}
