// Expression parsing and evaluation: grouping, one precedence from the left, wrap-around.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "MainCode/Script/TScriptExpression.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "formats/script_assembler.h"
#include "Script/script_fixture.h"
#include "support/alloc_probe.h"
#include "support/compare_probe.h"

namespace {

TRefPtr<TScriptExpression> Parse(const std::string& line)
{
    std::vector<std::string> texts;
    std::vector<std::uint32_t> kinds;
    for (const qmtest::ScriptToken& token : qmtest::AssembleStatement(line)) {
        texts.push_back(token.text);
        kinds.push_back(token.kind);
    }
    return TScriptExpression::Parse(texts, kinds, 0, nullptr);
}

// The value, or INT_MIN + 7 when the tokens do not parse (no case below expects that value).
constexpr std::int32_t kNoParse = INT_MIN + 7;
std::int32_t Eval(const std::string& line)
{
    TRefPtr<TScriptExpression> e = Parse(line);
    return e.Get() != nullptr ? e->Evaluate() : kNoParse;
}

bool Parses(const std::string& line) { return Parse(line).Get() != nullptr; }

TEST(TScriptExpression, Values)
{
    const struct {
        const char* line;
        std::int32_t value;
    } cases[] = {
        // One level of precedence, grouped from the left; a leading unary covers the rest, and an
        // operator after an operator is a unary prefix.
        {"2 + 3 * 4", 20}, {"( 2 + 3 ) * 4", 20}, {"2 + ( 3 * 4 )", 14}, {"10 - 3 - 2", 5}, {"- 2 + 3", -5},
        {"( 1 ) + ( 2 )", 3}, {"( ( 4 ) )", 4}, {"7 / - 2", -3}, {"2 * ~ 0", -2}, {"! 0 + 4", 0}, {"+ 5", 5},
        // Constants: hex, signed, read as "%d" reads them (leading space, trailing junk, modulo 2^32);
        // a text the conversion cannot read is still a constant, 0.
        {"<3>ff", 255}, {"<3>FFFFFFFF", -1}, {"0x10", 16}, {"-12", -12}, {"<2>\\s\\s7x", 7},
        {"<2>4294967297", 1}, {"<2>abc", 0}, {"<3>zz", 0}, {"<2>\"\"", 0},
        // The operator table.
        {"7 / -2", -3}, {"-7 % 2", -1}, {"7 % -2", 1}, {"1 << 33", 2}, {"1 << 31", INT_MIN}, {"-8 >> 1", -4},
        {"-8 >> 35", -1}, {"5 ^ 3", 6}, {"6 & 3", 2}, {"6 | 3", 7}, {"-1 < 0", 1}, {"0 < -1", 0}, {"3 < 3", 0},
        {"3 > 3", 0}, {"4 > 3", 1}, {"3 >= 3", 1}, {"3 <= 2", 0}, {"3 <= 3", 1}, {"3 == 3", 1}, {"3 != 3", 0},
        {"2 && 5", 1}, {"0 && 5", 0}, {"0 || -3", 1}, {"0 || 0", 0}, {"! 7", 0}, {"~ 0", -1},
        {"9 <5>= 2", kNoParse},  // "=" is no binary operator
        // Wrap-around where signed arithmetic would overflow; a division without a result gives 0.
        {"2147483647 + 1", INT_MIN}, {"-2147483648 - 1", INT_MAX}, {"65536 * 65536", 0}, {"- -2147483648", INT_MIN},
        {"-1 << 31", INT_MIN}, {"5 / 0", 0}, {"5 % 0", 0}, {"-2147483648 / -1", 0}, {"-2147483648 % -1", 0},
        {"-2147483647 / -1", INT_MAX}, {"-2147483648 / 1", INT_MIN},
        // Unary operators inside a chain take one operand; groups inside groups.
        {"2 * - 3 + 10", 4}, {"- 2 * 3 + 1", -7}, {"( 1 + 2 ) * ( 3 - 1 ) - 1", 5}, {"1 - ( - 2 )", 3},
        {"2 * ( 3 + ( 4 - 1 ) * 2 )", 24}, {"( ( 1 ) + ( 2 ) ) * 3", 9},
        {"1 <7>- 2", -1},  // a binary operator is known by its text alone
        {"1 <2>- 2", -1}, {"<2>-", 0},  // even an operand's, where nothing else reads
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Eval(c.line), c.value) << c.line;
    }
}

TEST(TScriptExpression, TokensThatFormNoExpression)
{
    // Only kind 5 tokens are unary operators.
    for (const char* line : {"1 +", "( 1", ") 1 (", "1 2", "\"text\"", ":label", "( )", "-", "( 1 ) )", "<4>- 1",
                             "( 1 ) ( 2 )", "1 + ( )", "( 1 + ) 2", "1 * <7>- 2", "( 1 ) 2"}) {
        EXPECT_FALSE(Parses(line)) << line;
    }
}

std::string Repeat(const std::string& part, std::size_t n)
{
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        text += part;
    }
    return text;
}

using ScriptExpressions = scripttest::ScriptTestOn<::testing::Test>;

TEST_F(ScriptExpressions, LongExpressionsEvaluateWholeInARunningScript)
{
    std::string sum = "1";
    for (int i = 2; i <= 33; ++i) {
        sum += " + " + std::to_string(i);
    }
    std::string negated = "- ( 1";
    for (int i = 2; i <= 99; ++i) {
        negated += " + " + std::to_string(i);
    }
    negated += " )";
    const std::string chain = "- ( 2 * 3 )" + Repeat(" - 1", 497);
    const struct {
        const std::string& line;
        std::size_t tokens;
        std::int32_t value;
    } cases[] = {{sum, 65, 561}, {negated, 200, -4950}, {chain, 1000, 491}};
    for (const auto& c : cases) {
        ASSERT_EQ(qmtest::AssembleStatement(c.line).size(), c.tokens);
        Run({"g.x = 12345", "g.x = " + c.line});
        EXPECT_EQ(Global("x"), c.value) << c.tokens;
    }
    // A statement over 64 KiB is skipped as it is read, with the script named in the log; the
    // script runs on. The count, then 9 bytes a token of one letter: 7,281 tokens and 3 letters
    // more make 65,536 bytes.
    const struct {
        std::string line;
        bool runs;
    } sized[] = {
        {"g.y = " + Repeat("~ ", 7278) + "1007", true},
        {"g.y = " + Repeat("~ ", 7278) + "10007", false},
        {"g.y = " + Repeat("~ ", 7279) + "7", false},
        {"g.y = " + Repeat("~ ", 8192) + "7", false},
    };
    for (const auto& c : sized) {
        testing::internal::CaptureStderr();
        Run({"g.y = 5", c.line, "g.z = 4"});
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Global("y"), c.runs ? 1007 : 5) << c.line.size();
        EXPECT_EQ(log.find("(t.pbsc/main) skipped, the first statement 1: 0 no statement, 1 longer than 65536 bytes") !=
                      std::string::npos,
                  !c.runs)
            << log;
        EXPECT_EQ(Global("z"), 4);
    }
}

// Statements of 64 KiB: at least 8 bytes a token, so 8192 tokens at most. A damaged one costs one
// pass over its tokens: a bounded number of text comparisons a token and no allocation a token,
// where trying every split compared and kept a result for each of its 33 million token ranges.
TEST(TScriptExpression, A64KiBStatementParsesInOnePass)
{
    const std::string damaged[] = {
        Repeat("1 - ", 4096),          // every split fails at its right end
        Repeat("( 1 - ", 2730) + "1",  // never closed
        Repeat("- ( ", 2730) + "1" + Repeat(" )", 2729),
    };
    for (const std::string& line : damaged) {
        std::vector<std::string> texts;
        std::vector<std::uint32_t> kinds;
        for (const qmtest::ScriptToken& token : qmtest::AssembleStatement(line)) {
            texts.push_back(token.text);
            kinds.push_back(token.kind);
        }
        ASSERT_LE(texts.size(), 8192u);
        if (!qmtest::ComparisonProbe::Available() || !qmtest::AllocationProbe::Available()) {
            EXPECT_EQ(TScriptExpression::Parse(texts, kinds, 0, nullptr).Get(), nullptr);
            continue;
        }
        long comparisons = 0;
        long allocations = 0;
        {
            qmtest::AllocationProbe allocated;
            qmtest::ComparisonProbe compared;
            EXPECT_EQ(TScriptExpression::Parse(texts, kinds, 0, nullptr).Get(), nullptr);
            comparisons = compared.Comparisons();
            allocations = allocated.OwnThreadAllocations();
        }
        EXPECT_LE(comparisons, 64 * static_cast<long>(texts.size())) << line.substr(0, 12);
        EXPECT_LE(allocations, 64) << line.substr(0, 12);
    }
    // Operands that read as operators are tried every way, on short statements only.
    const std::string ambiguous = Repeat("1 + ", 31) + "<2>-";
    EXPECT_EQ(Eval("- " + ambiguous), -31);
    EXPECT_FALSE(Parses("- - " + ambiguous));
    // The deepest trees such a statement can hold still evaluate and go.
    EXPECT_EQ(Eval(Repeat("- ", 8191) + "5"), -5);
    EXPECT_EQ(Eval(Repeat("( ", 4095) + "6" + Repeat(" )", 4095)), 6);
    EXPECT_EQ(Eval(Repeat("1 + ", 4095) + "1"), 4096);
    EXPECT_EQ(Eval(Repeat("~ ", 8191) + "7"), -8);
    EXPECT_FALSE(Parses(Repeat("~ ", 8192) + "7"));
}

// At the depth cap each shape of nesting parses, evaluates and is released under the sanitizers
// (no walk recurses once a level); one level more is refused with a log line.
TEST(TScriptExpression, TreesAtTheDepthCapWorkAndOneLevelMoreIsRefused)
{
    const struct {
        std::string atCap;
        std::int32_t value;
        std::string deeper;
    } cases[] = {
        {Repeat("( ", 8191) + "6" + Repeat(" )", 8191), 6, Repeat("( ", 8192) + "6" + Repeat(" )", 8192)},
        {Repeat("- ( ", 4095) + "~ 5" + Repeat(" )", 4095), 6, Repeat("- ( ", 4096) + "5" + Repeat(" )", 4096)},
        {Repeat("1 + ( ", 4095) + "( 1 )" + Repeat(" )", 4095), 4096,
         Repeat("1 + ( ", 4095) + "( ( 1 ) )" + Repeat(" )", 4095)},
        {Repeat("1 + ", 8191) + "1", 8192, Repeat("1 + ", 8192) + "1"},
        {Repeat("~ ", 8190) + "( 7 )", 7, Repeat("~ ", 8191) + "( 7 )"},
        {Repeat("! ", 8191) + "0", 1, Repeat("! ", 8191) + "( 0 )"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Eval(c.atCap), c.value) << c.atCap.substr(0, 12);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(Parses(c.deeper)) << c.deeper.substr(0, 12);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("expression nested deeper than 8192 levels in a script; refused"), std::string::npos)
            << log;
    }
}

TEST(TScriptExpression, NodeShapes)
{
    TScriptExpression node(nullptr);
    EXPECT_TRUE(node.IsConstant());
    node.SetConstant(5);
    EXPECT_EQ(node.Evaluate(), 5);
    TRefPtr<TScriptExpression> leaf(new TScriptExpression(nullptr));
    leaf->SetConstant(3);
    node.SetUnary("-", leaf);
    EXPECT_TRUE(node.IsUnary());
    EXPECT_FALSE(node.IsConstant());
    EXPECT_EQ(node.Evaluate(), -3);
    node.SetBinary(leaf, "*", leaf);
    EXPECT_TRUE(node.IsBinary());
    EXPECT_EQ(node.Evaluate(), 9);
    node.SetBinary(leaf, "?", leaf);  // unknown operator: the left value
    EXPECT_EQ(node.Evaluate(), 3);
    node.Reset();
    EXPECT_TRUE(node.IsConstant());
    EXPECT_EQ(node.Evaluate(), 0);
}

// Operators by their text: the eighteen binary ones by their place in the operator table (0 to
// 17), "~" and "!" after them, every other text one number more; near misses of each length.
TEST(TScriptExpression, OperatorNumbersByText)
{
    // Each text as the operator of a node built by text: binary on (13, 5), (5, 13), (-13, 3), (5, 5)
    // and (0, 7), unary on 6 and 0. A text that is no operator gives its left operand, or its operand.
    const struct {
        const char* text;
        std::array<std::int32_t, 5> binary;
        std::array<std::int32_t, 2> unary;
    } cases[] = {
        {"*", {65, 65, -39, 25, 0}, {6, 0}},          {"/", {2, 0, -4, 1, 0}, {6, 0}},
        {"%", {3, 5, -1, 0, 0}, {6, 0}},              {"+", {18, 18, -10, 10, 7}, {6, 0}},
        {"-", {8, -8, -16, 0, -7}, {-6, 0}},          {"<<", {416, 40960, -104, 160, 0}, {6, 0}},
        {">>", {0, 0, -2, 0, 0}, {6, 0}},             {"<", {0, 1, 1, 0, 1}, {6, 0}},
        {">", {1, 0, 0, 0, 0}, {6, 0}},               {"<=", {0, 1, 1, 1, 1}, {6, 0}},
        {">=", {1, 0, 0, 1, 0}, {6, 0}},              {"==", {0, 0, 0, 1, 0}, {6, 0}},
        {"!=", {1, 1, 1, 0, 1}, {6, 0}},              {"&", {5, 5, 3, 5, 0}, {6, 0}},
        {"|", {13, 13, -13, 5, 7}, {6, 0}},           {"^", {8, 8, -16, 0, 7}, {6, 0}},
        {"&&", {1, 1, 1, 1, 0}, {6, 0}},              {"||", {1, 1, 1, 1, 1}, {6, 0}},
        {"~", {13, 5, -13, 5, 0}, {-7, -1}},          {"!", {13, 5, -13, 5, 0}, {0, 1}},
    };
    const char* const notOperators[] = {"=",  "()", "(",  "=<", "=>",  "<>",  "&|", "~~",
                                        "!!", "**", "<<=", "&&&", "a", "+="};
    const std::pair<std::int32_t, std::int32_t> pairs[] = {{13, 5}, {5, 13}, {-13, 3}, {5, 5}, {0, 7}};
    const std::int32_t operands[] = {6, 0};
    const auto constant = [](std::int32_t value) {
        TRefPtr<TScriptExpression> node(new TScriptExpression(nullptr));
        node->SetConstant(value);
        return node;
    };
    const auto check = [&](const std::string& text, const std::array<std::int32_t, 5>& binary,
                           const std::array<std::int32_t, 2>& unary) {
        TScriptExpression node(nullptr);
        for (std::size_t i = 0; i < 5; ++i) {
            node.SetBinary(constant(pairs[i].first), text, constant(pairs[i].second));
            EXPECT_EQ(node.Evaluate(), binary[i]) << pairs[i].first << " " << text << " " << pairs[i].second;
        }
        for (std::size_t i = 0; i < 2; ++i) {
            node.SetUnary(text, constant(operands[i]));
            EXPECT_EQ(node.Evaluate(), unary[i]) << text << " " << operands[i];
        }
    };
    for (const auto& c : cases) {
        check(c.text, c.binary, c.unary);
    }
    for (const char* text : notOperators) {
        check(text, {13, 5, -13, 5, 0}, {6, 0});
    }
    // Built by text, a node evaluates by the number its text has; a node of no shape is 0.
    TRefPtr<TScriptExpression> six(new TScriptExpression(nullptr));
    six->SetConstant(6);
    TRefPtr<TScriptExpression> four(new TScriptExpression(nullptr));
    four->SetConstant(4);
    TScriptExpression node(nullptr);
    const struct {
        const char* op;
        bool binary;
        std::int32_t value;
    } built[] = {
        {"<=", true, 0}, {">=", true, 1}, {"||", true, 1}, {"&&", true, 1}, {">>", true, 0}, {"<<", true, 96},
        {"=<", true, 6}, {"-", false, -6}, {"~", false, -7}, {"!", false, 0}, {"()", false, 6}, {"", false, 0},
        {"", true, 0},
    };
    for (const auto& b : built) {
        if (b.binary) {
            node.SetBinary(six, b.op, four);
        } else {
            node.SetUnary(b.op, six);
        }
        EXPECT_EQ(node.Evaluate(), b.value) << b.op << (b.binary ? " binary" : " unary");
    }
    node.SetUnary("-", TRefPtr<TScriptExpression>());
    EXPECT_EQ(node.Evaluate(), 0);
    // Tokens tried every way (an operand whose text is "(", the constant 0) split at each of the
    // eighteen as well.
    const struct {
        const char* op;
        std::int32_t value;
    } split[] = {{"*", 0}, {"/", 0},  {"%", 0},  {"+", 5},  {"-", -5}, {"<<", 0}, {">>", 0}, {"<", 1},  {">", 0},
                 {"<=", 1}, {">=", 0}, {"==", 0}, {"!=", 1}, {"&", 0}, {"|", 5},   {"^", 5},  {"&&", 0}, {"||", 1}};
    for (const auto& c : split) {
        EXPECT_EQ(Eval(std::string("<2>( ") + c.op + " 5"), c.value) << c.op;
    }
}

TEST(TScriptExpression, VariablesReadTheirTable)
{
    TScriptProcessManager* manager = TScriptProcessManager::Create();
    manager->GetGlobalA().SetInt("x", 6);
    manager->GetGlobalB().SetInt("x", 100);
    EXPECT_EQ(Eval("g.x * 7"), 42);
    EXPECT_EQ(Eval("<12>x + b.x"), 106);
    EXPECT_EQ(Eval("g.never"), 0);
    TScriptProcessManager::Destroy();
    EXPECT_EQ(Eval("g.x + 1"), 1);  // no manager: a global reads 0
}

}  // namespace
