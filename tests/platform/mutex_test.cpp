#include "platform/win32/mutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

class MutexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(setenv("QM_RUNTIME_DIR", dir_.Path().c_str(), 1), 0); }
    void TearDown() override { unsetenv("QM_RUNTIME_DIR"); }

    // What CreateMutexA reports in a fresh process; the child closes nothing and just exits.
    static int LastErrorInChild(const char* name)
    {
        pid_t pid = fork();
        if (pid == 0) {
            HANDLE handle = CreateMutexA(nullptr, FALSE, name);
            _exit(handle == nullptr ? 255 : static_cast<int>(GetLastError() & 0xFF));
        }
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status));
        return WEXITSTATUS(status);
    }

    qmtest::TempDir dir_;
};

TEST_F(MutexTest, SecondHandleOfANameIsToldItExists)
{
    SetLastError(ERROR_ALREADY_EXISTS);  // a stale code must not leak into the answer
    HANDLE first = CreateMutexA(nullptr, FALSE, "Verrow_Quillmark");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    HANDLE second = CreateMutexA(nullptr, FALSE, "Verrow_Quillmark");
    ASSERT_NE(second, nullptr);  // a valid handle, as Windows gives
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(second, first);

    HANDLE other = CreateMutexA(nullptr, FALSE, "Verrow_Quillmark2");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(other));
    HANDLE again = CreateMutexA(nullptr, FALSE, "Verrow_Quillmark");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(again);
}

TEST_F(MutexTest, AnotherProcessIsRefusedWhileTheHandleIsOpen)
{
    EXPECT_EQ(LastErrorInChild("Verrow_Quillmark"), ERROR_SUCCESS);
    HANDLE held = CreateMutexA(nullptr, TRUE, "Verrow_Quillmark");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(LastErrorInChild("Verrow_Quillmark"), ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CloseHandle(held));
    EXPECT_EQ(LastErrorInChild("Verrow_Quillmark"), ERROR_SUCCESS);
}

TEST_F(MutexTest, NamesMapToDistinctFilesInTheRuntimeFolder)
{
    const std::string a = platform::MutexLockPath("Global\\a/b");
    const std::string b = platform::MutexLockPath("Global_a_b");
    EXPECT_NE(a, b);
    EXPECT_EQ(std::filesystem::path(a).parent_path(), dir_.Path());
    EXPECT_EQ(std::filesystem::path(a).filename().string().find('/'), std::string::npos);

    HANDLE h = CreateMutexA(nullptr, FALSE, "Global\\a/b");
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(std::filesystem::exists(a));
    HANDLE k = CreateMutexA(nullptr, FALSE, "Global_a_b");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(h);
    CloseHandle(k);

    // Long names stay within a file name and stay distinct.
    const std::string longA(MAX_PATH, 'x');
    std::string longB = longA;
    longB.back() = 'y';
    EXPECT_LT(std::filesystem::path(platform::MutexLockPath(longA)).filename().string().size(), 255u);
    EXPECT_NE(platform::MutexLockPath(longA), platform::MutexLockPath(longB));
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, std::string(MAX_PATH + 1, 'x').c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(MutexTest, UnnamedMutexesNeverCollideAndAMissingFolderIsAnError)
{
    HANDLE a = CreateMutexA(nullptr, FALSE, nullptr);
    HANDLE b = CreateMutexA(nullptr, FALSE, "");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(a);
    CloseHandle(b);

    ASSERT_EQ(setenv("QM_RUNTIME_DIR", dir_.File("missing").c_str(), 1), 0);
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, "Verrow_Quillmark"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
