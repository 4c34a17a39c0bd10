#include <gtest/gtest.h>

#include "platform/win32/kernel.h"

namespace {

struct Counted : platform::KernelObject {
    explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
    ~Counted() override { --*alive_; }
    int* alive_;
};

TEST(KernelHandles, CloseDestroysOnceAndRefusesStaleHandles)
{
    int alive = 0;
    HANDLE h = platform::RegisterHandle(new Counted(&alive));
    EXPECT_EQ(alive, 1);
    EXPECT_NE(platform::LookupHandleAs<Counted>(h), nullptr);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(platform::LookupHandle(h), nullptr);
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

}  // namespace
