#include "TUtility/TSingleInstance.h"

#include "platform/win32/kernel.h"
#include "platform/win32/mutex.h"
#include "platform/win32/window.h"

TSingleInstance::TSingleInstance(const std::string& mutexName, const std::string& title, const std::string& className)
    : m_mutexName(mutexName), m_title(title), m_className(className)
{
}

TSingleInstance::~TSingleInstance()
{
    if (m_mutex != nullptr) {
        CloseHandle(m_mutex);
    }
}

bool TSingleInstance::Check()
{
    if (FindWindowA(m_className.c_str(), m_title.c_str()) != nullptr) {
        return false;
    }
    if (m_mutex != nullptr) {
        CloseHandle(m_mutex);  // a repeated check must not leak the first handle
    }
    m_mutex = CreateMutexA(nullptr, FALSE, m_mutexName.c_str());
    return GetLastError() != ERROR_ALREADY_EXISTS;
}
