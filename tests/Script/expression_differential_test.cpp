// The one-pass expression parser against the reading it replaces: every split tried, rule by rule
// (a group, a leading unary operator, the rightmost binary operator whose two sides parse), over
// generated token lists of every operator, unary prefix, grouping and int limit, 1 to 64 tokens.
// Both trees are evaluated under three settings of the variables they read.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScriptExpression.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/Script/TScriptVarTable.h"

namespace {

struct Token {
    const char* text;
    std::uint32_t kind;
};

const Token kOperands[] = {
    {"0", kTokenDecimal},          {"1", kTokenDecimal},          {"7", kTokenDecimal},
    {"-1", kTokenDecimal},         {"31", kTokenDecimal},         {"32", kTokenDecimal},
    {"2147483647", kTokenDecimal}, {"-2147483648", kTokenDecimal}, {"2147483648", kTokenDecimal},
    {"ff", kTokenHex},             {"7FFFFFFF", kTokenHex},       {"80000000", kTokenHex},
    {"FFFFFFFF", kTokenHex},       {"a", kTokenGlobalA},          {"b", kTokenGlobalA},
    {"c", kTokenGlobalB},
};
const char* const kBinary[] = {"*", "/", "%", "+", "-", "<<", ">>", "<", ">",
                               "<=", ">=", "==", "!=", "&", "|", "^", "&&", "||"};
const char* const kUnary[] = {"-", "~", "!", "+"};

bool IsBinaryText(const std::string& text)
{
    for (const char* op : kBinary) {
        if (text == op) {
            return true;
        }
    }
    return false;
}

// Every split tried, as the rules read. Which rule reads each token range is found once and kept;
// the tree is then built from the whole range down.
class EverySplit {
public:
    EverySplit(const std::vector<std::string>& texts, const std::vector<std::uint32_t>& kinds)
        : texts_(texts), kinds_(kinds), n_(texts.size()), reading_((n_ + 1) * (n_ + 1), kUnknown)
    {
        for (std::size_t i = 0; i < n_; ++i) {
            binary_.push_back(IsBinaryText(texts[i]));
            open_.push_back(texts[i] == "(");
            close_.push_back(texts[i] == ")");
            unary_.push_back(kinds[i] == kTokenOperator &&
                             (texts[i] == "-" || texts[i] == "~" || texts[i] == "!" || texts[i] == "+"));
        }
    }

    TRefPtr<TScriptExpression> Parse() { return Tree(0, n_); }

private:
    // A range's reading: unknown yet, none, one token, a group, a unary prefix, or a split at
    // kSplit + i.
    enum : int { kUnknown = -1, kNone = 0, kSingle = 1, kGroup = 2, kPrefix = 3, kSplit = 4 };

    int Reading(std::size_t first, std::size_t count)
    {
        int& r = reading_[first * (n_ + 1) + count];
        if (r == kUnknown) {
            r = Read(first, count);
        }
        return r;
    }

    int Read(std::size_t first, std::size_t count)
    {
        if (count == 0) {
            return kNone;
        }
        if (count == 1) {
            return IsOperandKind(first) ? kSingle : kNone;
        }
        const std::size_t last = first + count - 1;
        // No rule reads a range that starts with a binary-only operator or ")", or that ends with an
        // operator or "(": every rule's range starts with its first part's first token and ends
        // with its last part's last. Said here only to keep the run short.
        if (!StartsOperand(first) || !EndsOperand(last)) {
            return kNone;
        }
        if (count >= 3 && open_[first] && close_[last]) {
            int depth = 0;
            for (std::size_t i = first + 1; i < last && depth >= 0; ++i) {
                depth += open_[i] ? 1 : close_[i] ? -1 : 0;
            }
            if (depth >= 0 && Reading(first + 1, count - 2) != kNone) {
                return kGroup;
            }
            // A failed group goes to the splits; the prefix is not tried.
        } else if (unary_[first] && Reading(first + 1, count - 1) != kNone) {
            return kPrefix;
        }
        for (std::size_t i = count >= 3 ? count - 2 : 0; i >= 1; --i) {
            if (binary_[first + i] && Reading(first, i) != kNone && Reading(first + i + 1, count - i - 1) != kNone) {
                return kSplit + static_cast<int>(i);
            }
        }
        return kNone;
    }

    bool IsOperandKind(std::size_t at) const
    {
        return kinds_[at] == kTokenDecimal || kinds_[at] == kTokenHex || IsScriptVariableKind(kinds_[at]);
    }
    bool StartsOperand(std::size_t at) const { return IsOperandKind(at) || open_[at] || unary_[at]; }
    bool EndsOperand(std::size_t at) const { return IsOperandKind(at) || close_[at]; }

    TRefPtr<TScriptExpression> Tree(std::size_t first, std::size_t count)
    {
        const int r = Reading(first, count);
        if (r == kNone) {
            return {};
        }
        TRefPtr<TScriptExpression> node(new TScriptExpression(nullptr));
        if (r == kSingle) {
            std::int32_t value = 0;
            if (kinds_[first] == kTokenDecimal) {
                ScanScriptDecimal(texts_[first], value);
                node->SetConstant(value);
            } else if (kinds_[first] == kTokenHex) {
                ScanScriptHex(texts_[first], value);
                node->SetConstant(value);
            } else {
                node->SetVariable(TScriptVarRef::Create(texts_[first], kinds_[first], nullptr));
            }
        } else if (r == kGroup) {
            node->SetUnary("()", Tree(first + 1, count - 2));
        } else if (r == kPrefix) {
            node->SetUnary(texts_[first], Tree(first + 1, count - 1));
        } else {
            const auto i = static_cast<std::size_t>(r - kSplit);
            node->SetBinary(Tree(first, i), texts_[first + i], Tree(first + i + 1, count - i - 1));
        }
        return node;
    }

    const std::vector<std::string>& texts_;
    const std::vector<std::uint32_t>& kinds_;
    std::size_t n_;
    std::vector<int> reading_;
    std::vector<bool> binary_, open_, close_, unary_;
};

// Mostly well formed (an operand where one is due, groups closed in time), then in two lists of
// five one to three tokens replaced by any token at all.
class Generator {
public:
    explicit Generator(std::uint32_t seed) : rng_(seed) {}

    void Make(std::size_t length, std::vector<std::string>& texts, std::vector<std::uint32_t>& kinds)
    {
        texts.clear();
        kinds.clear();
        bool wantOperand = true;
        std::size_t depth = 0;
        for (std::size_t k = 0; k < length; ++k) {
            const std::size_t left = length - k;
            if (wantOperand) {
                if (left > depth + 2 && Chance(25)) {
                    Add("(", kTokenOperator, texts, kinds);
                    ++depth;
                } else if (left > depth + 1 && Chance(20)) {
                    Add(kUnary[Pick(std::size(kUnary))], kTokenOperator, texts, kinds);
                } else {
                    const Token& t = kOperands[Pick(std::size(kOperands))];
                    Add(t.text, t.kind, texts, kinds);
                    wantOperand = false;
                }
            } else if (depth > 0 && (left <= depth || Chance(30))) {
                Add(")", kTokenOperator, texts, kinds);
                --depth;
            } else {
                Add(kBinary[Pick(std::size(kBinary))], kTokenOperator, texts, kinds);
                wantOperand = true;
            }
        }
        if (Chance(40)) {
            for (std::size_t n = 1 + Pick(3); n-- > 0;) {
                const std::size_t at = Pick(length);
                const std::size_t any = Pick(std::size(kOperands) + std::size(kBinary) + std::size(kUnary) + 2);
                if (any < std::size(kOperands)) {
                    texts[at] = kOperands[any].text;
                    kinds[at] = kOperands[any].kind;
                } else {
                    const std::size_t op = any - std::size(kOperands);
                    texts[at] = op < std::size(kBinary)                     ? kBinary[op]
                                : op < std::size(kBinary) + std::size(kUnary) ? kUnary[op - std::size(kBinary)]
                                : op == std::size(kBinary) + std::size(kUnary) ? "("
                                                                                : ")";
                    kinds[at] = kTokenOperator;
                }
            }
        }
    }
    std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

private:
    bool Chance(int percent) { return Pick(100) < static_cast<std::size_t>(percent); }
    static void Add(const char* text, std::uint32_t kind, std::vector<std::string>& texts,
                    std::vector<std::uint32_t>& kinds)
    {
        texts.emplace_back(text);
        kinds.push_back(kind);
    }

    std::mt19937 rng_;
};

std::string Spelled(const std::vector<std::string>& texts, const std::vector<std::uint32_t>& kinds)
{
    std::string line;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const char* scope = kinds[i] == kTokenGlobalA ? "g." : kinds[i] == kTokenGlobalB ? "b." : "";
        line += (i == 0 ? "" : " ") + (scope + texts[i]) + (kinds[i] == kTokenHex ? "h" : "");
    }
    return line;
}

// Four shards of 25,000 lists, each from a seed of its own, so that they run side by side.
class ExpressionDifferential : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(ExpressionDifferential, OnePassBuildsWhatEverySplitBuildsOverGeneratedTokenLists)
{
    const std::uint32_t kSeed = GetParam();
    constexpr int kLists = 25000;
    // The variables' values in each of the three evaluations.
    const std::array<std::array<std::int32_t, 3>, 3> settings = {{
        {5, -3, 1000003},
        {INT32_MIN, INT32_MAX, 0},
        {-77, 31, 65536},
    }};
    TScriptProcessManager* manager = TScriptProcessManager::Create();
    Generator generator(kSeed);
    std::vector<std::string> texts;
    std::vector<std::uint32_t> kinds;
    int parsed = 0;
    int failures = 0;
    std::vector<int> lengthsParsed(65, 0);
    std::vector<std::string> operatorsParsed;
    for (int n = 0; n < kLists && failures < 5; ++n) {
        const std::size_t length = 1 + static_cast<std::size_t>(n % 64);
        generator.Make(length, texts, kinds);
        const TRefPtr<TScriptExpression> fast = TScriptExpression::Parse(texts, kinds, 0, nullptr);
        const TRefPtr<TScriptExpression> slow = EverySplit(texts, kinds).Parse();
        const auto trace = [&] {
            return testing::Message() << "seed " << kSeed << ", list " << n << ": " << Spelled(texts, kinds);
        };
        if ((fast.Get() != nullptr) != (slow.Get() != nullptr)) {
            ADD_FAILURE() << trace() << (fast.Get() != nullptr ? " parses in one pass only" : " parses by splits only");
            ++failures;
            continue;
        }
        if (fast.Get() == nullptr) {
            continue;
        }
        ++parsed;
        ++lengthsParsed[length];
        for (const std::string& text : texts) {
            const auto seen = std::find(operatorsParsed.begin(), operatorsParsed.end(), text);
            if (IsBinaryText(text) && seen == operatorsParsed.end()) {
                operatorsParsed.push_back(text);
            }
        }
        for (const auto& values : settings) {
            manager->GetGlobalA().SetInt("a", values[0]);
            manager->GetGlobalA().SetInt("b", values[1]);
            manager->GetGlobalB().SetInt("c", values[2]);
            if (fast->Evaluate() != slow->Evaluate()) {
                ADD_FAILURE() << trace() << ": " << fast->Evaluate() << " in one pass, " << slow->Evaluate()
                              << " by splits";
                ++failures;
                break;
            }
        }
    }
    TScriptProcessManager::Destroy();
    // The lists are worth comparing: a fair share parses, at every length, with every operator.
    EXPECT_GT(parsed, kLists / 4) << "seed " << kSeed;
    for (std::size_t length = 1; length <= 64; ++length) {
        EXPECT_GT(lengthsParsed[length], 0) << length << " tokens, seed " << kSeed;
    }
    EXPECT_EQ(operatorsParsed.size(), std::size(kBinary)) << "seed " << kSeed;
}

INSTANTIATE_TEST_SUITE_P(Seeds, ExpressionDifferential, ::testing::Values(20261207u, 1u, 4294967295u, 31337u));

}  // namespace
