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
    EXPECT_EQ(LastErrorInChild("Verrow_Quillmark"), ERROR_SUCCESS);
    SetLastError(ERROR_ALREADY_EXISTS);  // a stale code must not leak into the answer
    HANDLE first = nullptr;
    HANDLE second = nullptr;
    HANDLE other = nullptr;
    EXPECT_EQ(LastErrorOf("Verrow_Quillmark", &first), ERROR_SUCCESS);
    EXPECT_EQ(LastErrorOf("Verrow_Quillmark", &second), ERROR_ALREADY_EXISTS);
    ASSERT_NE(second, nullptr);  // a valid handle, as Windows gives
    EXPECT_EQ(LastErrorOf("Verrow_Quillmark2", &other), ERROR_SUCCESS);
    EXPECT_EQ(LastErrorInChild("Verrow_Quillmark"), ERROR_ALREADY_EXISTS);

    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(other));
    EXPECT_EQ(LastErrorInChild("Verrow_Quillmark"), ERROR_SUCCESS);
    HANDLE again = nullptr;
    EXPECT_EQ(LastErrorOf("Verrow_Quillmark", &again), ERROR_SUCCESS);
    CloseHandle(again);
}

TEST_F(MutexTest, NamesMapToDistinctFilesInTheRuntimeFolder)
{
    const std::string a = platform::MutexLockPath("Global\\a/b");
    EXPECT_NE(a, platform::MutexLockPath("Global_a_b"));
    EXPECT_EQ(std::filesystem::path(a).parent_path(), dir_.Path());
    HANDLE h = nullptr;
    HANDLE k = nullptr;
    EXPECT_EQ(LastErrorOf("Global\\a/b", &h), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(a));
    EXPECT_EQ(LastErrorOf("Global_a_b", &k), ERROR_SUCCESS);
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

    ASSERT_EQ(setenv("QM_RUNTIME_DIR", dir_.File("missing").c_str(), 1), 0);
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, "Verrow_Quillmark"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
