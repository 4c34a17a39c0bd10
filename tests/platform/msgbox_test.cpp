#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/com.h"
#include "platform/win32/error.h"
#include "platform/win32/msgbox.h"

namespace {

TEST(MessageBox, HookRecordsCaptionTextAndFlags)
{
    std::vector<platform::MessageBoxRecord> shown;
    platform::SetMessageBoxHook([&](const platform::MessageBoxRecord& box) { shown.push_back(box); });
    EXPECT_EQ(MessageBoxA(nullptr, "多重起動禁止", "警告", MB_ICONWARNING), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "TransactionError", MB_ICONERROR | MB_TOPMOST), IDOK);
    platform::SetMessageBoxHook(nullptr);

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "警告");
    EXPECT_EQ(shown[0].text, "多重起動禁止");
    EXPECT_EQ(shown[0].type, 0x30u);
    EXPECT_EQ(shown[1].type, 0x40010u);
}

TEST(MessageBox, HeadlessRunWritesUtf8LineToStderr)
{
    // CTest runs every suite with SDL_VIDEODRIVER=offscreen.
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "一行目\r\n二行目", "警告", MB_ICONWARNING), IDOK);
    std::string out = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, reinterpret_cast<const char*>(u8"警告: 一行目\n二行目\n"));
}

TEST(ComAndErrors, StartUpSucceedsAndErrorTextsAreAllocated)
{
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();

    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, ERROR_SHARING_VIOLATION, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(length, std::string(text).size());
    EXPECT_EQ(std::string(text), "The file is in use by another open handle\r\n");
    EXPECT_EQ(LocalFree(text), nullptr);
    EXPECT_EQ(MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), 0x400);

    char small[4];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, small, sizeof(small), nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

}  // namespace
