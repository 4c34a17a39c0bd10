#include "support/messages.h"

namespace qmtest {

std::vector<MSG> TakeAllMessages()
{
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        out.push_back(msg);
    }
    return out;
}

}  // namespace qmtest
