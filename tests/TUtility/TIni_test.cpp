#include <gtest/gtest.h>

#include <string>

#include "TCommon/my_error.h"
#include "TUtility/TIni.h"
#include "platform/testing/win32.h"
#include "platform/win32/msgbox.h"
#include "support/fuzz.h"
#include "formats/ini_writer.h"
#include "support/temp_dir.h"

namespace {

class TIniTest : public ::testing::Test {
protected:
    bool Load(const qmtest::IniWriter& ini)
    {
        ini.Save(dir_.File("setting.ini"));
        ini_ = std::make_unique<TIni>("./setting.ini", 4096, 4096, 1024);
        return ini_->Load();
    }

    // The line number in the record of the my_error that loading throws; 0 when none.
    long ThrownLine(const qmtest::IniWriter& ini)
    {
        try {
            Load(ini);
        } catch (const my_error& e) {
            const std::string record = e.what();
            EXPECT_NE(record.find("\r\nfile : TIni\r\n"), std::string::npos);
            size_t at = record.find("\r\nline : ");
            return at == std::string::npos ? -1 : std::stol(record.substr(at + 9));
        }
        return 0;
    }

    qmtest::TempDir dir_;
    qmtest::ScopedCwd cwd_{dir_.Path()};
    std::unique_ptr<TIni> ini_;
};

TEST_F(TIniTest, ValuesAndNumbers)
{
    qmtest::IniWriter ini;
    ini.Section("CurrentSetting").Key("Mixed", "12abc").Key("Text", "abc").Key("Huge", "99999999999");
    ini.Section("CaptureCaps").Key("CaptureType", "キャプチャ");
    ASSERT_TRUE(Load(ini));
    for (auto [key, expected] : {std::pair{"Mixed", 12}, {"Text", 0}, {"Huge", INT32_MAX}}) {
        std::int32_t number = -1;
        EXPECT_TRUE(ini_->GetInt("CurrentSetting", key, number)) << key;
        EXPECT_EQ(number, expected) << key;
    }
    std::string text;
    EXPECT_TRUE(ini_->GetString("CaptureCaps", "CaptureType", text));
    EXPECT_EQ(text, "キャプチャ");
}

TEST_F(TIniTest, ValueOf1022CharactersLoads1023DoesNot)
{
    const std::string v1022(1022, 'v');
    ASSERT_TRUE(Load(qmtest::IniWriter().Section("S").Key("K", v1022)));
    std::string out;
    EXPECT_TRUE(ini_->GetString("S", "K", out));
    EXPECT_EQ(out, v1022);

    EXPECT_FALSE(Load(qmtest::IniWriter().Section("S").Key("A", "1").Key("K", v1022 + "v")));
    EXPECT_TRUE(ini_->HasKey("S", "A"));  // what was read so far stays
    EXPECT_FALSE(ini_->HasKey("S", "K"));
}

TEST_F(TIniTest, EmptySectionMissingFilesAndDuplicateNames)
{
    EXPECT_FALSE(Load(qmtest::IniWriter().Section("Keyboard").Key("Up", "38").Section("GamePad")));
    EXPECT_TRUE(ini_->HasKey("Keyboard", "Up"));
    EXPECT_FALSE(Load(qmtest::IniWriter()));
    EXPECT_FALSE(TIni("./none.ini", 4096, 4096, 1024).Load());
    // A names list that does not fit its buffer is cut.
    ASSERT_TRUE(Load(qmtest::IniWriter().Section("LongSectionName").Key("a", "1")));
    EXPECT_FALSE(TIni(".\\setting.ini", 8, 4096, 1024).Load());

    EXPECT_EQ(ThrownLine(qmtest::IniWriter().Section("A").Key("x", "1").Section("B").Key("y", "2").Section("A")),
              76);
    EXPECT_EQ(ThrownLine(qmtest::IniWriter().Section("A").Key("x", "1").Key("x", "2")), 124);
    EXPECT_EQ(ThrownLine(qmtest::IniWriter().Section("A").Key("x", "1").Key("X", "2")), 0);
}

// A duplicate stops the load naming the file and the section or key, then the generic text;
// a CP932 lead byte before "]" or "=" keeps both bytes in the name.
TEST_F(TIniTest, DuplicatesNameTheFileAndTheName)
{
    const struct {
        qmtest::IniWriter ini;
        long line;
        const char* named;
    } cases[] = {
        {qmtest::IniWriter().Section("A").Key("x", "1").Section("B").Key("y", "2").Section("A"), 76,
         "./setting.ini : セクション [A] が重複しています。"},
        {qmtest::IniWriter().Line("[Pad\x81]").Key("A", "1").Line("[Pad\x81]").Key("A", "1"), 76,
         "./setting.ini : セクション [Pad\x81]] が重複しています。"},
        {qmtest::IniWriter().Section("Keyboard").Key("Up", "UP").Key("Up", "DOWN"), 124,
         "./setting.ini : セクション [Keyboard] のキー \"Up\" が重複しています。"},
        {qmtest::IniWriter().Section("GamePad").Line("B\x81=1").Line("B\x81=1"), 124,
         "./setting.ini : セクション [GamePad] のキー \"B\x81=1\" が重複しています。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        std::string record;
        try {
            Load(c.ini);
        } catch (const my_error& e) {
            record = e.what();
        }
        EXPECT_NE(record.find(std::string("\r\nline : ") + std::to_string(c.line) + "\r\n"), std::string::npos);
        EXPECT_NE(record.find(std::string("\r\nerror : ") + c.named + "\r\n" + my_error::GetDefaultMessage() + "\r\n"),
                  std::string::npos)
            << record;
    }
}

// An input.ini of many sections of many keys is read and parsed once for the whole load, not
// once for every list and key asked.
TEST_F(TIniTest, ManyKeysAreParsedOnce)
{
    qmtest::IniWriter ini;
    for (int s = 0; s < 12; ++s) {
        ini.Section("Junk" + std::to_string(s));
        for (int k = 0; k < 150; ++k) {
            ini.Key("K" + std::to_string(k), s * 1000 + k);
        }
    }
    const long parses = platform::ProfileParses();
    ASSERT_TRUE(Load(ini));
    EXPECT_EQ(platform::ProfileParses() - parses, 1);
    std::int32_t value = 0;
    EXPECT_TRUE(ini_->GetInt("Junk11", "K149", value));
    EXPECT_EQ(value, 11149);
    EXPECT_TRUE(ini_->GetInt("Junk0", "K0", value));
    EXPECT_EQ(value, 0);
}

TEST(TIniRobustness, DamagedFilesNeverCrashUnderSanitizers)
{
    qmtest::TempDir dir;
    qmtest::IniWriter valid;
    valid.Line("; device settings").Section("CurrentSetting").Key("Adapter", 0).Key("Width", 640).Key("Windowed", 1);
    valid.Section("MultiSampleType").Key("Type", "\"2\"").Section("CaptureCaps").Key("CaptureType", "テクスチャ");
    const std::string& text = valid.Text();
    platform::SetMessageBoxHook([](const platform::MessageBoxRecord&) {});
    qmtest::FuzzFile(std::vector<std::uint8_t>(text.begin(), text.end()), dir.File("fuzz.ini"),
                     [](const std::string& path) {
                         TIni ini(path, 4096, 4096, 1024);
                         if (ini.Load()) {
                             std::int32_t value = 0;
                             ini.GetInt("CurrentSetting", "Width", value);
                         }
                     });
    platform::SetMessageBoxHook(nullptr);
}

}  // namespace
