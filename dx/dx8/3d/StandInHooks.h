// The device core calls into the sprites, render presets, shaders and texture cache when the device
// comes, goes, is lost and is restored. Until those parts are built their hooks only note the call
// here (the last few, oldest first), so the order the core keeps can be checked.
#pragma once

#include <deque>
#include <string>

namespace standin {

inline std::deque<std::string>& HookCalls()
{
    static std::deque<std::string> calls;
    return calls;
}

inline void NoteHook(const char* name)
{
    std::deque<std::string>& calls = HookCalls();
    calls.emplace_back(name);
    if (calls.size() > 64) {
        calls.pop_front();
    }
}

}  // namespace standin
