// The script file writer against the file layout, and the disassembler's round trip.
#include <gtest/gtest.h>

#include <stdexcept>

#include "formats/script_assembler.h"

namespace {

using qmtest::ScriptToken;
using qmtest::ScriptTokens;

TEST(ScriptAssembler, InfersKindsFromSpelling)
{
    const ScriptTokens tokens = qmtest::AssembleStatement(
        "CALL @@SendMsg \"a b\\n\\x00\" 12 -3 0x1F 04.pbsc/Ev b.p g.q r :lab == ( <13>s <3>\"ff\"");
    const ScriptTokens expected = {{"CALL", 1},  {"@@SendMsg", 6}, {std::string("a b\n\0", 5), 4}, {"12", 2},
                                   {"-3", 2},    {"0x1F", 3},      {"04.pbsc/Ev", 7},               {"p", 9},
                                   {"q", 10},    {"r", 11},        {"lab", 14},                     {"==", 5},
                                   {"(", 5},     {"s", 13},        {"ff", 3}};
    EXPECT_EQ(tokens, expected);
    EXPECT_THROW(qmtest::AssembleStatement("1abc"), std::invalid_argument);
    EXPECT_THROW(qmtest::AssembleStatement("\"open"), std::invalid_argument);
}

TEST(ScriptAssembler, FileLayoutByteForByte)
{
    qmtest::ScriptFileWriter writer;
    writer.RawScript("ab", {{{"A", 1}}}).RawScript("", {});
    const std::vector<std::uint8_t> expected = {
        2, 0, 0, 0,                         // two scripts
        2, 0, 0, 0, 'a', 'b', 22, 0, 0, 0,  // "ab", body at 22
        0, 0, 0, 0, 39, 0, 0, 0,            // "", body at 39
        1, 0, 0, 0,                         // one statement
        1, 0, 0, 0, 1, 0, 0, 0,             // one token, kind 1
        1, 0, 0, 0, 0xD7,                   // "A": 0x41 rotated left by 5 is 0x28, complemented 0xD7
        0, 0, 0, 0,                         // no statement
    };
    EXPECT_EQ(writer.Build(), expected);
}

TEST(ScriptAssembler, DisassemblesWhatItWrote)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    const std::vector<ScriptTokens> raw = {
        {{bytes, 4}, {"", 2}, {"x y", 11}, {"\"q\\", 7}, {"RETURN", 11}, {"12", 14}},
        {{"IF", 1}, {"g.x", 10}, {"<", 5}, {"0x10", 3}},
    };
    qmtest::ScriptFileWriter writer;
    writer.RawScript("one", raw).Script("two", {"g.v = 1 + 2", "CALL @@Wait"});
    const auto scripts = qmtest::DisassembleScriptFile(writer.Build());
    ASSERT_EQ(scripts.size(), 2u);
    EXPECT_EQ(scripts[0].name, "one");
    EXPECT_EQ(scripts[0].statements, raw);
    EXPECT_EQ(scripts[1].statements[0], qmtest::AssembleStatement("g.v = 1 + 2"));
    for (const ScriptTokens& statement : raw) {
        EXPECT_EQ(qmtest::AssembleStatement(qmtest::FormatStatement(statement)), statement);
    }
    EXPECT_EQ(qmtest::DisassembleScriptText(writer.Build()).substr(0, 6), "[one]\n");
    std::vector<std::uint8_t> cut = writer.Build();
    cut.pop_back();
    EXPECT_THROW(qmtest::DisassembleScriptFile(cut), std::runtime_error);
}

}  // namespace
