// Expression parsing and evaluation: grouping, one precedence from the left, wrap-around.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "MainCode/Script/TScriptExpression.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "formats/script_assembler.h"

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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Eval(c.line), c.value) << c.line;
    }
}

TEST(TScriptExpression, TokensThatFormNoExpression)
{
    // Only kind 5 tokens are unary operators.
    for (const char* line : {"1 +", "( 1", ") 1 (", "1 2", "\"text\"", ":label", "( )", "-", "( 1 ) )", "<4>- 1"}) {
        EXPECT_FALSE(Parses(line)) << line;
    }
}

TEST(TScriptExpression, LongestParsedRunAndBacktrackingStaysCheap)
{
    std::string sum = "1";
    for (std::size_t i = 1; i * 2 + 1 < TScriptExpression::kMaxTokens; ++i) {
        sum += " + 1";
    }
    const std::size_t sumTokens = qmtest::AssembleStatement(sum).size();
    ASSERT_EQ(sumTokens, TScriptExpression::kMaxTokens - 1);
    EXPECT_EQ(Eval("- " + sum), -static_cast<std::int32_t>(sumTokens / 2 + 1));  // exactly the limit
    EXPECT_FALSE(Parses("- - " + sum));                                         // one token more

    // Every split fails deep down; each range is parsed once.
    std::string hard = "1";
    for (std::size_t i = 1; i < TScriptExpression::kMaxTokens; ++i) {
        hard += " -";
    }
    EXPECT_FALSE(Parses(hard));
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
