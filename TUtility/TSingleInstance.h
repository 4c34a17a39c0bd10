// Refuses a second copy of the game: a window of the same class and title, or the named mutex.
#pragma once

#include <string>

#include "platform/win32/types.h"

class TSingleInstance {
public:
    TSingleInstance(const std::string& mutexName, const std::string& title, const std::string& className);
    virtual ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // False when another instance runs.
    bool Check();

private:
    HANDLE m_mutex = nullptr;
    std::string m_mutexName;
    std::string m_title;
    std::string m_className;
};
