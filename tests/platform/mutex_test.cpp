#include "platform/win32/mutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace {

class MutexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(setenv("QM_RUNTIME_DIR", dir_.Path().c_str(), 1), 0); }
    void TearDown() override { unsetenv("QM_RUNTIME_DIR"); }

    // The last error CreateMutexA leaves, as a small number (255: no handle).
    static int LastErrorOf(const char* name, HANDLE* keep = nullptr)
    {
        HANDLE handle = CreateMutexA(nullptr, FALSE, name);
        const int code = handle == nullptr ? 255 : static_cast<int>(GetLastError() & 0xFF);
        if (keep != nullptr) {
            *keep = handle;
        }
        return code;
    }

    // The same in a fresh process; the child closes nothing and just exits.
    static int LastErrorInChild(const char* name)
    {
        pid_t pid = fork();
        if (pid == 0) {
            _exit(LastErrorOf(name));
        }
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status));
        return WEXITSTATUS(status);
    }

    qmtest::TempDir dir_;
};

TEST_F(MutexTest, SecondHandleOfANameIsToldItExistsHereAndInAnotherProcess)
{
    SetLastError(ERROR_ALREADY_EXISTS);  // a stale code must not leak into the answer
    HANDLE first = nullptr;
    HANDLE second = nullptr;
    EXPECT_EQ(LastErrorOf("Verrow_Quillmark", &first), ERROR_SUCCESS);
    EXPECT_EQ(LastErrorOf("Verrow_Quillmark", &second), ERROR_ALREADY_EXISTS);
    ASSERT_NE(second, nullptr);  // a valid handle, as Windows gives
    EXPECT_EQ(LastErrorInChild("Verrow_Quillmark"), ERROR_ALREADY_EXISTS);

    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_EQ(LastErrorInChild("Verrow_Quillmark"), ERROR_SUCCESS);
}

}  // namespace
