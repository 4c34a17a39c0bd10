// Waiting for a child process a test started, with a bound of its own: a child that does not end
// in time is killed and reaped, so a lost signal or quit event fails the case instead of holding
// the suite until its timeout.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qmtest {

// True when the child ended by itself within the given seconds (its status in *status); false
// when it had to be killed.
inline bool WaitForChild(pid_t pid, int* status, int seconds)
{
    for (int i = 0; i < seconds * 50; ++i) {
        const pid_t ended = waitpid(pid, status, WNOHANG);
        if (ended == pid) {
            return true;
        }
        if (ended < 0) {
            return false;
        }
        usleep(20000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, status, 0);
    return false;
}

}  // namespace qmtest
