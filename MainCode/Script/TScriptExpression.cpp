#include "MainCode/Script/TScriptExpression.h"

#include <map>
#include <utility>

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScriptVarTable.h"

namespace {

const char* const kBinaryOperators[] = {"*",  "/",  "%",  "+",  "-",  "<<", ">>", "<", ">",
                                        "<=", ">=", "==", "!=", "&",  "|",  "^",  "&&", "||"};

bool IsBinaryOperator(const std::string& text)
{
    for (const char* op : kBinaryOperators) {
        if (text == op) {
            return true;
        }
    }
    return false;
}

bool IsUnaryOperator(const std::string& text)
{
    return text == "-" || text == "~" || text == "!" || text == "+";
}

// Splits are tried right to left and fail often, so each token range is parsed once and kept.
class Parser {
public:
    Parser(const std::vector<std::string>& texts, const std::vector<std::uint32_t>& kinds, TScript* script)
        : m_texts(texts), m_kinds(kinds), m_script(script) {}

    TRefPtr<TScriptExpression> Parse(std::size_t first, std::size_t count)
    {
        const auto key = std::make_pair(first, count);
        auto found = m_memo.find(key);
        if (found != m_memo.end()) {
            return found->second;
        }
        TRefPtr<TScriptExpression> result = Build(first, count);
        m_memo.emplace(key, result);
        return result;
    }

private:
    TRefPtr<TScriptExpression> NewNode() { return TRefPtr<TScriptExpression>(new TScriptExpression(m_script)); }

    TRefPtr<TScriptExpression> Single(std::size_t at)
    {
        const std::uint32_t kind = m_kinds[at];
        std::int32_t value = 0;
        if (kind == kTokenDecimal || kind == kTokenHex) {
            // A text the conversion cannot read is the constant 0.
            if (kind == kTokenDecimal) {
                ScanScriptDecimal(m_texts[at], value);
            } else {
                ScanScriptHex(m_texts[at], value);
            }
            TRefPtr<TScriptExpression> node = NewNode();
            node->SetConstant(value);
            return node;
        }
        if (IsScriptVariableKind(kind)) {
            TRefPtr<TScriptExpression> node = NewNode();
            node->SetVariable(TScriptVarRef::Create(m_texts[at], kind, m_script));
            return node;
        }
        return {};
    }

    TRefPtr<TScriptExpression> Build(std::size_t first, std::size_t count)
    {
        if (count == 0) {
            return {};
        }
        if (count == 1) {
            return Single(first);
        }
        const std::size_t last = first + count - 1;
        if (count >= 3 && m_texts[first] == "(" && m_texts[last] == ")") {
            int depth = 0;
            bool balanced = true;
            for (std::size_t i = first + 1; i < last && balanced; ++i) {
                depth += m_texts[i] == "(" ? 1 : m_texts[i] == ")" ? -1 : 0;
                balanced = depth >= 0;
            }
            if (balanced) {
                TRefPtr<TScriptExpression> inner = Parse(first + 1, count - 2);
                if (inner.Get() != nullptr) {
                    TRefPtr<TScriptExpression> node = NewNode();
                    node->SetUnary("()", inner);
                    return node;
                }
            }
            // A failed group goes straight to the split: "( 1 ) + ( 2 )".
        } else if (m_kinds[first] == kTokenOperator && IsUnaryOperator(m_texts[first])) {
            TRefPtr<TScriptExpression> operand = Parse(first + 1, count - 1);
            if (operand.Get() != nullptr) {
                TRefPtr<TScriptExpression> node = NewNode();
                node->SetUnary(m_texts[first], operand);
                return node;
            }
        }
        if (count >= 3) {
            for (std::size_t i = count - 2; i >= 1; --i) {
                if (!IsBinaryOperator(m_texts[first + i])) {
                    continue;
                }
                TRefPtr<TScriptExpression> left = Parse(first, i);
                if (left.Get() == nullptr) {
                    continue;
                }
                TRefPtr<TScriptExpression> right = Parse(first + i + 1, count - i - 1);
                if (right.Get() != nullptr) {
                    TRefPtr<TScriptExpression> node = NewNode();
                    node->SetBinary(left, m_texts[first + i], right);
                    return node;
                }
            }
        }
        return {};
    }

    const std::vector<std::string>& m_texts;
    const std::vector<std::uint32_t>& m_kinds;
    TScript* m_script;
    std::map<std::pair<std::size_t, std::size_t>, TRefPtr<TScriptExpression>> m_memo;
};

std::int32_t Binary(const std::string& op, std::int32_t a, std::int32_t b)
{
    // Arithmetic wraps modulo 2^32, as the script compiler's target did.
    const auto ua = static_cast<std::uint32_t>(a);
    const auto ub = static_cast<std::uint32_t>(b);
    const unsigned shift = ub & 31u;
    if (op == "*") return static_cast<std::int32_t>(ua * ub);
    if (op == "/" || op == "%") {
        // No defined result for these: 0 keeps a bad script running.
        if (b == 0 || (a == INT32_MIN && b == -1)) {
            return 0;
        }
        return op == "/" ? a / b : a % b;
    }
    if (op == "+") return static_cast<std::int32_t>(ua + ub);
    if (op == "-") return static_cast<std::int32_t>(ua - ub);
    if (op == "<<") return static_cast<std::int32_t>(ua << shift);
    if (op == ">>") return a >> shift;
    if (op == "<") return a < b ? 1 : 0;
    if (op == ">") return a > b ? 1 : 0;
    if (op == "<=") return a <= b ? 1 : 0;
    if (op == ">=") return a >= b ? 1 : 0;
    if (op == "==") return a == b ? 1 : 0;
    if (op == "!=") return a != b ? 1 : 0;
    if (op == "&") return a & b;
    if (op == "|") return a | b;
    if (op == "^") return a ^ b;
    if (op == "&&") return a != 0 && b != 0 ? 1 : 0;
    if (op == "||") return a != 0 || b != 0 ? 1 : 0;
    return a;
}

}  // namespace

TRefPtr<TScriptExpression> TScriptExpression::Parse(const std::vector<std::string>& texts,
                                                    const std::vector<std::uint32_t>& kinds, std::size_t first,
                                                    TScript* script)
{
    if (first >= texts.size() || texts.size() != kinds.size() || texts.size() - first > kMaxTokens) {
        return {};
    }
    Parser parser(texts, kinds, script);
    return parser.Parse(first, texts.size() - first);
}

std::int32_t TScriptExpression::Evaluate() const
{
    if (IsConstant()) {
        return m_value;
    }
    if (IsVariable()) {
        return m_variable->Get();
    }
    if (IsUnary()) {
        const std::int32_t v = m_left->Evaluate();
        if (m_operator == "-") return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v));
        if (m_operator == "~") return ~v;
        if (m_operator == "!") return v == 0 ? 1 : 0;
        return v;
    }
    if (IsBinary()) {
        // Both sides always run, left first; "&&" and "||" do not short-circuit.
        const std::int32_t a = m_left->Evaluate();
        const std::int32_t b = m_right->Evaluate();
        return Binary(m_operator, a, b);
    }
    return 0;
}

void TScriptExpression::Reset()
{
    m_value = 0;
    m_operator.clear();
    m_variable = TRefPtr<TScriptVarRef>();
    m_left = TRefPtr<TScriptExpression>();
    m_right = TRefPtr<TScriptExpression>();
}

void TScriptExpression::SetConstant(std::int32_t value)
{
    Reset();
    m_value = value;
}

void TScriptExpression::SetVariable(const TRefPtr<TScriptVarRef>& variable)
{
    Reset();
    m_variable = variable;
}

void TScriptExpression::SetUnary(const std::string& op, const TRefPtr<TScriptExpression>& operand)
{
    Reset();
    m_operator = op;
    m_left = operand;
}

void TScriptExpression::SetBinary(const TRefPtr<TScriptExpression>& left, const std::string& op,
                                  const TRefPtr<TScriptExpression>& right)
{
    Reset();
    m_left = left;
    m_operator = op;
    m_right = right;
}

bool TScriptExpression::IsConstant() const
{
    return m_variable.Get() == nullptr && m_left.Get() == nullptr && m_right.Get() == nullptr && m_operator.empty();
}

bool TScriptExpression::IsVariable() const
{
    return m_variable.Get() != nullptr && m_left.Get() == nullptr && m_right.Get() == nullptr && m_operator.empty();
}

bool TScriptExpression::IsUnary() const
{
    return m_variable.Get() == nullptr && m_left.Get() != nullptr && m_right.Get() == nullptr && !m_operator.empty();
}

bool TScriptExpression::IsBinary() const
{
    return m_variable.Get() == nullptr && m_left.Get() != nullptr && m_right.Get() != nullptr &&
           !m_operator.empty();
}
