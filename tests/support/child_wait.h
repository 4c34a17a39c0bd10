// Waiting for a child process a test started, with a deadline of its own: a child that does not end
// in time is killed and reaped, so a lost signal or quit event fails the case instead of holding
// the suite until its timeout.
#pragma once

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace qmtest {

// True when the child ended by itself within the given seconds of the monotonic clock (its status
// in *status); false when it had to be killed, or waiting for it failed (then it is killed and
// reaped all the same).
inline bool WaitForChild(pid_t pid, int* status, int seconds)
{
    // <chrono> does not build with the game's narrow character set.
    const auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    const double deadline = now() + seconds;
    for (;;) {
        const pid_t ended = waitpid(pid, status, WNOHANG);
        if (ended == pid) {
            return true;
        }
        if ((ended < 0 && errno != EINTR) || now() >= deadline) {
            break;
        }
        usleep(20000);
    }
    kill(pid, SIGKILL);
    while (waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
    return false;
}

}  // namespace qmtest
