#include <gtest/gtest.h>

#include <string>

#include "platform/text/cp932.h"

namespace {

std::string Utf8(const char8_t* text)
{
    return std::string(reinterpret_cast<const char*>(text));
}

TEST(Cp932, TitleAndSymbolsRoundTrip)
{
    const std::string title = "Quillmark 4章 ～ Solstice ～";
    // The literal is stored as CP932: 章 8F CD, ～ 81 60.
    EXPECT_EQ(title.substr(10, 4), "4\x8F\xCD ");
    EXPECT_EQ(title.substr(14, 2), "\x81\x60");
    EXPECT_EQ(platform::Cp932ToUtf8(title), Utf8(u8"Quillmark 4章 ～ Solstice ～"));
    EXPECT_EQ(platform::Utf8ToCp932(Utf8(u8"Quillmark 4章 ～ Solstice ～")), title);

    // NEC and IBM extensions, a kanji with a backslash trail byte, half-width kana.
    const std::string symbols = "①㈱≒￢∵髙表ｱｲｳ";
    EXPECT_EQ(platform::Cp932ToUtf8(symbols), Utf8(u8"①㈱≒￢∵髙表ｱｲｳ"));
    EXPECT_EQ(platform::Utf8ToCp932(platform::Cp932ToUtf8(symbols)), symbols);
}

// Every byte below 0x80 is the same character in both (the backslash and the tilde too); 0x80 is no
// character of CP932.
TEST(Cp932, AsciiIsItselfAndTheFirstByteAboveIsNot)
{
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) {
        ascii += static_cast<char>(c);
    }
    EXPECT_EQ(platform::Cp932ToUtf8(ascii), ascii);
    EXPECT_EQ(platform::Cp932ToUtf8("data\\scr04\\..\\~a.pbsc"), "data\\scr04\\..\\~a.pbsc");
    EXPECT_EQ(platform::Cp932ToUtf8("a\x80" "b"), "a?b");
    EXPECT_EQ(platform::Cp932ToUtf8(ascii + "\x80"), ascii + "?");
}

TEST(Cp932, BadBytesBecomeQuestionMarks)
{
    // A lead byte at the end, a lead byte before a control character, bytes never used.
    EXPECT_EQ(platform::Cp932ToUtf8("ab\x81"), "ab?");
    EXPECT_EQ(platform::Cp932ToUtf8("\x81\x0A" "c"), "?\nc");
    // Broken UTF-8, and a character CP932 has no code for (an emoji).
    EXPECT_EQ(platform::Utf8ToCp932("a\xC3"), "a?");
    EXPECT_EQ(platform::Utf8ToCp932("x\xF0\x9F\x98\x80y"), "x?y");
}

}  // namespace
