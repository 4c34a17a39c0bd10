// Events, threads and waits.
//
// Emulated with one process-wide mutex and condition variable: a wait sleeps until any
// waitable object changes state, then looks at the objects it waits for in order. Events and
// threads are kernel objects closed by CloseHandle; a waiter holds the object's state, so a
// wait that has started survives the handle being closed under it.
#pragma once

#include "platform/win32/kernel.h"

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64
#define STILL_ACTIVE 0x00000103u

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Named events are not supported (the game uses none): a name fails with ERROR_INVALID_PARAMETER.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// A thread handle is signalled once the thread has returned.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
// Wait-any only; waitAll must be FALSE (else WAIT_FAILED with ERROR_INVALID_PARAMETER).
// Signalled objects are looked at in array order: the lowest index wins.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);
#define CREATE_SUSPENDED 0x00000004u

// Closing the handle of a thread that has returned also joins it.
// Suspended creation is not supported (the game never asks for it): fails with
// ERROR_INVALID_PARAMETER. The stack size is ignored.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, std::size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
// The C runtime's thread start: the handle comes back as an integer, 0 on failure.
std::uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned (*start)(void*), void* argument,
                              unsigned initFlag, unsigned* threadId);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD GetCurrentThreadId();
