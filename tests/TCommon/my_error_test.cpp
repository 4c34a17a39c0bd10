#include <gtest/gtest.h>

#include <thread>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "TCommon/TFile.h"
#include "TCommon/my_error.h"
#include "platform/testing/win32.h"
#include "platform/win32/msgbox.h"
#include "formats/byte_writer.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const char* const kContact = "エラー詳細を沿えて製作元へお問い合わせください。";

std::string ReadText(const std::string& path)
{
    std::vector<std::uint8_t> bytes = qmtest::LoadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The executable seems to live in a fresh folder; boxes are recorded instead of shown.
class ErrorLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(exeDir_.Path() / "game");
        module_ = (exeDir_.Path() / "game" / "quillmark4").string();
        platform::OverrideModuleFileName(module_);
        platform::SetMessageBoxHook([this](const platform::MessageBoxRecord& box) { boxes_.push_back(box); });
        my_error::SetLogOptions(kContact, 4096, "ErrorLog.txt", 7);
    }

    void TearDown() override
    {
        my_error::SetLogOptions(kContact, 512, "ErrorLog.txt", 7);
        platform::SetMessageBoxHook(nullptr);
        platform::OverrideModuleFileName("");
    }

    std::string LogPath() const { return (exeDir_.Path() / "game" / "ErrorLog.txt").string(); }

    // The record my_error must build at this moment; retried if the second changed meanwhile.
    std::string MakeRecord(const std::string& message, const std::string& source, long line, std::string& record)
    {
        for (;;) {
            std::time_t before = std::time(nullptr);
            record = my_error(message, source, line).what();
            if (std::time(nullptr) != before) {
                continue;
            }
            std::tm t{};
            localtime_r(&before, &t);
            return "module : " + module_ + "\r\nfile : " + "TFile" + "\r\nline : " + std::to_string(line) +
                   "\r\ntime : " + std::to_string(t.tm_year + 1900) + "/" + std::to_string(t.tm_mon + 1) + "/" +
                   std::to_string(t.tm_mday) + " " + std::to_string(t.tm_hour) + ":" + std::to_string(t.tm_min) +
                   ":" + std::to_string(t.tm_sec) + "\r\nerror : " + message + "\r\n";
        }
    }

    qmtest::TempDir exeDir_;
    qmtest::TempDir elsewhere_;
    std::string module_;
    std::vector<platform::MessageBoxRecord> boxes_;
};

TEST_F(ErrorLog, RecordTextByteForByteAndCutAt1024Bytes)
{
    std::string record;
    std::string expected = MakeRecord("エラー", "C:\\src\\TCommon\\TFile.cpp", 115, record);
    EXPECT_EQ(record, expected);
    // The message stays CP932 in the record.
    EXPECT_NE(record.find("\r\nerror : \x83\x47\x83\x89\x81\x5B\r\n"), std::string::npos);

    record = my_error(std::string(2000, 'x'), "d.cpp", 4).what();
    EXPECT_EQ(record.size(), 1023u);
    EXPECT_EQ(record.back(), 'x');  // no closing line break
}

TEST_F(ErrorLog, LogBesideTheExecutableIsEmptiedPastTheLimitAndShown)
{
    qmtest::ScopedCwd cwd(elsewhere_.Path());
    my_error first("最初", "a.cpp", 1);
    my_error::TransactionError(first);
    EXPECT_FALSE(fs::exists(elsewhere_.Path() / "ErrorLog.txt"));
    EXPECT_EQ(ReadText(LogPath()), first.what());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "TransactionError");
    EXPECT_EQ(boxes_[0].text, first.what());
    EXPECT_EQ(boxes_[0].type, 0x40010u);

    // Exactly at the limit the record is appended; past it the log is emptied first.
    my_error record("満杯", "c.cpp", 3);
    qmtest::ByteWriter().Bytes(std::string(4096, 'a')).Save(LogPath());
    my_error::TransactionError(record);
    EXPECT_EQ(ReadText(LogPath()), std::string(4096, 'a') + record.what());
    my_error::TransactionError(record);
    EXPECT_EQ(ReadText(LogPath()), record.what());
}

TEST_F(ErrorLog, AWorkerThreadsErrorIsLoggedOnceAndNeverShown)
{
    my_error error("worker", "w.cpp", 9);
    std::thread([&] { my_error::LogError(error); }).join();
    EXPECT_EQ(ReadText(LogPath()), error.what());
    EXPECT_TRUE(boxes_.empty());
    // Without the log option nothing is written; a log that cannot be opened is no crash.
    my_error::SetLogOptions(kContact, 4096, "ErrorLog.txt", my_error::kShowMessageBox | my_error::kAppend);
    my_error::LogError(error);
    EXPECT_EQ(ReadText(LogPath()), error.what());
    my_error::SetLogOptions(kContact, 4096, "no/such/folder/ErrorLog.txt", 7);
    my_error::LogError(error);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ErrorLog, FailedCloseReportsFileLine115AndTheContactText)
{
    const std::string path = elsewhere_.File("data.bin");
    qmtest::ByteWriter().U32(1).Save(path);
    {
        TFile file(path);
        ASSERT_TRUE(file.Open(true, GENERIC_READ));
        ASSERT_TRUE(CloseHandle(file.GetHandle()));  // closed behind the wrapper's back
        try {
            file.Close();
            ADD_FAILURE() << "Close did not throw";
        } catch (const my_error& e) {
            const std::string record = e.what();
            EXPECT_NE(record.find("\r\nfile : TFile\r\nline : 115\r\n"), std::string::npos);
            EXPECT_NE(record.find(std::string("\r\nerror : ") + kContact + "\r\n"), std::string::npos);
        }
        EXPECT_TRUE(boxes_.empty());
    }
    // The destructor closes again, fails again and reports through the log, never throwing.
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(ReadText(LogPath()).find("\r\nline : 115\r\n"), std::string::npos);
}

}  // namespace
