// The music worker waits on its events every few milliseconds: a wait allocates nothing, whether
// it finds an event set or times out.
#include <gtest/gtest.h>

#include "platform/win32/kernel.h"
#include "platform/win32/sync.h"
#include "support/alloc_probe.h"

namespace {

TEST(SyncWaits, AllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    HANDLE set = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HANDLE unset = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const HANDLE both[2] = {unset, set};
    // The first timed wait sets up what the clock keeps for the process.
    WaitForSingleObject(unset, 1);
    qmtest::AllocationProbe probe;
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForSingleObject(set, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(unset, 2), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(probe.OwnThreadAllocations(), 0);
    CloseHandle(set);
    CloseHandle(unset);
}

}  // namespace
