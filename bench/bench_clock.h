// Seconds on one of the process's clocks (CLOCK_MONOTONIC for wall time, CLOCK_PROCESS_CPUTIME_ID or
// CLOCK_THREAD_CPUTIME_ID for CPU time), for the benches that time more than Google Benchmark does.
#pragma once

#include <time.h>

inline double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
