#include "MainCode/Script/TScriptExpression.h"

#include <algorithm>
#include <map>
#include <utility>

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptVarTable.h"

namespace {

using enum TScriptExpression::Operator;

// The operator text of a group.
const std::string kGroup = "()";

bool IsBinaryOperator(const std::string& text)
{
    return TScriptExpression::OperatorOf(text) <= kLogicalOr;
}

bool IsUnaryOperator(TScriptExpression::Operator code)
{
    return code == kSub || code == kComplement || code == kNot || code == kAdd;
}

bool IsUnaryOperator(const std::string& text)
{
    return IsUnaryOperator(TScriptExpression::OperatorOf(text));
}

// The grammar the right-to-left split defines is  E := U* A (B U* A)*,  A := atom | "(" E ")":
// a leading unary operator takes the whole rest of its range, and a range that starts with an
// operand splits at its last operator outside parentheses, so binary operators group from the
// left. One pass over the tokens builds the same tree as trying every split would.
class Parser {
public:
    Parser(const std::vector<std::string>& texts, const std::vector<std::uint32_t>& kinds, TScript* script)
        : m_texts(texts), m_kinds(kinds), m_script(script) {}

    TRefPtr<TScriptExpression> Parse(std::size_t first, std::size_t end)
    {
        if (!Recognise(first, end)) {
            return {};
        }
        return Build(first, end);
    }
    bool TooDeep() const { return m_tooDeep; }

private:
    TRefPtr<TScriptExpression> NewNode() { return TRefPtr<TScriptExpression>(new TScriptExpression(m_script)); }

    bool IsOperand(std::size_t at) const
    {
        const std::uint32_t kind = m_kinds[at];
        return kind == kTokenDecimal || kind == kTokenHex || IsScriptVariableKind(kind);
    }
    bool IsUnary(std::size_t at) const
    {
        return !IsOperand(at) && m_kinds[at] == kTokenOperator && IsUnaryOperator(m_texts[at]);
    }
    // A parenthesis.
    bool Is(std::size_t at, char c) const
    {
        return !IsOperand(at) && m_texts[at].size() == 1 && m_texts[at][0] == c;
    }

    // Reads the tokens once as the grammar says, counting open parentheses, before any node is
    // made: a damaged statement costs one pass and no allocation.
    bool Recognise(std::size_t first, std::size_t end) const
    {
        std::size_t open = 0;
        bool wantOperand = true;
        for (std::size_t i = first; i < end; ++i) {
            if (wantOperand) {
                if (Is(i, '(')) {
                    ++open;
                } else if (IsOperand(i)) {
                    wantOperand = false;
                } else if (!IsUnary(i)) {
                    return false;
                }
            } else if (Is(i, ')') && open != 0) {
                --open;
            } else if (!IsOperand(i) && IsBinaryOperator(m_texts[i])) {
                wantOperand = true;
            } else {
                return false;
            }
        }
        return !wantOperand && open == 0;
    }

    // Trees deeper than this are refused.
    bool Deeper(std::size_t depth)
    {
        m_tooDeep = m_tooDeep || depth > TScriptExpression::kMaxDepth;
        return m_tooDeep;
    }

    TRefPtr<TScriptExpression> Single(std::size_t at)
    {
        TRefPtr<TScriptExpression> node = NewNode();
        const std::uint32_t kind = m_kinds[at];
        if (IsScriptVariableKind(kind)) {
            node->SetVariable(TScriptVarRef::Create(m_texts[at], kind, m_script));
            return node;
        }
        // A text the conversion cannot read is the constant 0.
        std::int32_t value = 0;
        if (kind == kTokenDecimal) {
            ScanScriptDecimal(m_texts[at], value);
        } else {
            ScanScriptHex(m_texts[at], value);
        }
        node->SetConstant(value);
        return node;
    }

    // One open range: the whole statement or a group. Its leading unary operators cover all of
    // it; those after a binary operator cover the one operand that follows.
    struct Range {
        std::size_t first = 0;
        std::size_t leading = 0;
        TRefPtr<TScriptExpression> left;
        std::size_t leftDepth = 0;
        std::size_t op = 0;
        TScriptExpression::Operator code = kOtherOperator;
        std::size_t prefixes = 0;
    };

    // Wraps node in the unary operators at tokens [from, from + count), the last one innermost.
    void Prefix(std::size_t from, std::size_t count, TRefPtr<TScriptExpression>& node, std::size_t& depth)
    {
        for (std::size_t u = from + count; u-- > from;) {
            TRefPtr<TScriptExpression> unary = NewNode();
            unary->SetUnary(m_texts[u], TScriptExpression::OperatorOf(m_texts[u]), node);
            node = unary;
        }
        depth += count;
    }

    // An operand of the innermost range is whole: it starts the range or ends its last operation.
    bool Complete(Range& range, TRefPtr<TScriptExpression> node, std::size_t depth)
    {
        if (range.left.Get() == nullptr) {
            range.left = node;
            range.leftDepth = depth;
            return true;
        }
        Prefix(range.op + 1, range.prefixes, node, depth);
        TRefPtr<TScriptExpression> binary = NewNode();
        binary->SetBinary(range.left, m_texts[range.op], range.code, node);
        range.left = binary;
        range.leftDepth = std::max(range.leftDepth, depth) + 1;
        range.prefixes = 0;
        return !Deeper(range.leftDepth);
    }

    // Tokens [first, end), already recognised, left to right with a stack of open groups: no
    // recursion, however deep the statement nests.
    TRefPtr<TScriptExpression> Build(std::size_t first, std::size_t end)
    {
        std::vector<Range> open(1);
        open.back().first = first;
        bool wantOperand = true;
        for (std::size_t i = first; i < end; ++i) {
            Range& range = open.back();
            if (wantOperand && Is(i, '(')) {
                if (Deeper(open.size() + 1)) {
                    return {};
                }
                open.emplace_back();
                open.back().first = i + 1;
            } else if (wantOperand && IsUnary(i)) {
                ++(range.left.Get() == nullptr ? range.leading : range.prefixes);
            } else if (wantOperand) {
                if (!Complete(range, Single(i), 1)) {
                    return {};
                }
                wantOperand = false;
            } else if (Is(i, ')')) {
                TRefPtr<TScriptExpression> inner = range.left;
                std::size_t depth = range.leftDepth;
                Prefix(range.first, range.leading, inner, depth);
                open.pop_back();
                TRefPtr<TScriptExpression> group = NewNode();
                group->SetUnary(kGroup, kOtherOperator, inner);
                if (Deeper(depth + 1) || !Complete(open.back(), group, depth + 1)) {
                    return {};
                }
            } else {
                range.op = i;
                range.code = TScriptExpression::OperatorOf(m_texts[i]);
                wantOperand = true;
            }
        }
        Range& whole = open.front();
        TRefPtr<TScriptExpression> root = whole.left;
        std::size_t depth = whole.leftDepth;
        Prefix(whole.first, whole.leading, root, depth);
        return Deeper(depth) ? TRefPtr<TScriptExpression>() : root;
    }

    const std::vector<std::string>& m_texts;
    const std::vector<std::uint32_t>& m_kinds;
    TScript* m_script;
    bool m_tooDeep = false;
};

// Tokens whose kind makes them an operand while their text is an operator or a parenthesis fit no
// single reading; for those (never written by the script compiler) every split is tried, each token
// range parsed once and kept, on short statements only.
class BacktrackingParser {
public:
    BacktrackingParser(const std::vector<std::string>& texts, const std::vector<std::uint32_t>& kinds, TScript* script)
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
                    node->SetUnary(kGroup, kOtherOperator, inner);
                    return node;
                }
            }
            // A failed group goes straight to the split: "( 1 ) + ( 2 )".
        } else if (m_kinds[first] == kTokenOperator && IsUnaryOperator(m_texts[first])) {
            TRefPtr<TScriptExpression> operand = Parse(first + 1, count - 1);
            if (operand.Get() != nullptr) {
                TRefPtr<TScriptExpression> node = NewNode();
                node->SetUnary(m_texts[first], TScriptExpression::OperatorOf(m_texts[first]), operand);
                return node;
            }
        }
        if (count >= 3) {
            for (std::size_t i = count - 2; i >= 1; --i) {
                const TScriptExpression::Operator code = TScriptExpression::OperatorOf(m_texts[first + i]);
                if (code > kLogicalOr) {
                    continue;
                }
                TRefPtr<TScriptExpression> left = Parse(first, i);
                if (left.Get() == nullptr) {
                    continue;
                }
                TRefPtr<TScriptExpression> right = Parse(first + i + 1, count - i - 1);
                if (right.Get() != nullptr) {
                    TRefPtr<TScriptExpression> node = NewNode();
                    node->SetBinary(left, m_texts[first + i], code, right);
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

enum Shape : std::uint8_t { kNoShape, kConstantShape, kVariableShape, kUnaryShape, kBinaryShape };

std::int32_t Binary(std::uint8_t op, std::int32_t a, std::int32_t b)
{
    // Arithmetic wraps modulo 2^32, as the script compiler's target did.
    const auto ua = static_cast<std::uint32_t>(a);
    const auto ub = static_cast<std::uint32_t>(b);
    const unsigned shift = ub & 31u;
    switch (op) {
    case kMul: return static_cast<std::int32_t>(ua * ub);
    case kDiv:
    case kMod:
        // No defined result for these: 0 keeps a bad script running.
        if (b == 0 || (a == INT32_MIN && b == -1)) {
            return 0;
        }
        return op == kDiv ? a / b : a % b;
    case kAdd: return static_cast<std::int32_t>(ua + ub);
    case kSub: return static_cast<std::int32_t>(ua - ub);
    case kShl: return static_cast<std::int32_t>(ua << shift);
    case kShr: return a >> shift;
    case kLess: return a < b ? 1 : 0;
    case kGreater: return a > b ? 1 : 0;
    case kLessEqual: return a <= b ? 1 : 0;
    case kGreaterEqual: return a >= b ? 1 : 0;
    case kEqual: return a == b ? 1 : 0;
    case kNotEqual: return a != b ? 1 : 0;
    case kAnd: return a & b;
    case kOr: return a | b;
    case kXor: return a ^ b;
    case kLogicalAnd: return a != 0 && b != 0 ? 1 : 0;
    case kLogicalOr: return a != 0 || b != 0 ? 1 : 0;
    default: return a;
    }
}

std::int32_t Unary(std::uint8_t op, std::int32_t v)
{
    switch (op) {
    case kSub: return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v));
    case kComplement: return ~v;
    case kNot: return v == 0 ? 1 : 0;
    default: return v;
    }
}

}  // namespace

TRefPtr<TScriptExpression> TScriptExpression::Parse(const std::vector<std::string>& texts,
                                                    const std::vector<std::uint32_t>& kinds, std::size_t first,
                                                    TScript* script)
{
    if (first >= texts.size() || texts.size() != kinds.size()) {
        return {};
    }
    const std::string where = script != nullptr ? script->GetKey() : std::string("a script");
    bool ambiguous = false;
    for (std::size_t i = first; i < texts.size() && !ambiguous; ++i) {
        const bool operand =
            kinds[i] == kTokenDecimal || kinds[i] == kTokenHex || IsScriptVariableKind(kinds[i]);
        ambiguous = operand && (IsBinaryOperator(texts[i]) || texts[i] == "(" || texts[i] == ")");
    }
    if (ambiguous) {
        if (texts.size() - first > kMaxAmbiguousTokens) {
            ScriptLog("expression of " + std::to_string(texts.size() - first) +
                      " tokens with operands that read as operators in " + where + "; refused");
            return {};
        }
        BacktrackingParser parser(texts, kinds, script);
        return parser.Parse(first, texts.size() - first);
    }
    Parser parser(texts, kinds, script);
    TRefPtr<TScriptExpression> root = parser.Parse(first, texts.size());
    if (parser.TooDeep()) {
        ScriptLog("expression nested deeper than " + std::to_string(kMaxDepth) + " levels in " + where +
                  "; refused");
    }
    return root;
}

TScriptExpression::~TScriptExpression()
{
    // Subtrees this node holds the last share of are taken apart here, one node at a time: a
    // deep tree does not release itself one stack frame a level.
    std::vector<TRefPtr<TScriptExpression>> doomed;
    auto take = [&doomed](TRefPtr<TScriptExpression>& child) {
        if (child.Get() != nullptr && child.UseCount() == 1 && child.IsOwned()) {
            doomed.push_back(child);
        }
        child = TRefPtr<TScriptExpression>();
    };
    take(m_left);
    take(m_right);
    while (!doomed.empty()) {
        TRefPtr<TScriptExpression> node = doomed.back();
        doomed.pop_back();
        take(node->m_left);
        take(node->m_right);
    }
}

std::int32_t TScriptExpression::Evaluate() const
{
    return EvaluateAt(0);
}

std::int32_t TScriptExpression::EvaluateAt(unsigned depth) const
{
    if (depth >= kRecursionDepth) {
        return EvaluateIteratively();
    }
    ScriptWork::Count(ScriptPrice::kNode);
    switch (m_shape) {
    case kConstantShape:
        return m_value;
    case kVariableShape:
        return m_variable->Get();
    case kUnaryShape:
        return Unary(m_code, m_left->EvaluateAt(depth + 1));
    case kBinaryShape: {
        // Both sides always run, left first; "&&" and "||" do not short-circuit.
        const std::int32_t a = m_left->EvaluateAt(depth + 1);
        const std::int32_t b = m_right->EvaluateAt(depth + 1);
        return Binary(m_code, a, b);
    }
    default:
        return 0;
    }
}

std::int32_t TScriptExpression::EvaluateIteratively() const
{
    struct Pending {
        const TScriptExpression* node;
        int sidesDone;
        std::int32_t left;
    };
    // Kept from one evaluation to the next: a deep expression in a loop grows it once. A leaf
    // evaluated here never comes back into this function.
    thread_local std::vector<Pending> pending;
    pending.clear();
    pending.push_back({this, 0, 0});
    std::int32_t value = 0;  // of the node last finished
    while (!pending.empty()) {
        const std::size_t top = pending.size() - 1;
        const TScriptExpression* node = pending[top].node;
        const bool unary = node->m_shape == kUnaryShape;
        const bool binary = node->m_shape == kBinaryShape;
        if ((unary || binary) && pending[top].sidesDone == 0) {
            pending[top].sidesDone = 1;
            pending.push_back({node->m_left.Get(), 0, 0});
            continue;
        }
        if (binary && pending[top].sidesDone == 1) {
            pending[top].sidesDone = 2;
            pending[top].left = value;
            pending.push_back({node->m_right.Get(), 0, 0});
            continue;
        }
        if (binary) {
            ScriptWork::Count(ScriptPrice::kDeepOperator);
            value = Binary(node->m_code, pending[top].left, value);
        } else if (unary) {
            ScriptWork::Count(ScriptPrice::kDeepOperator);
            value = Unary(node->m_code, value);
        } else {
            value = node->EvaluateAt(0);
        }
        pending.pop_back();
    }
    return value;
}

TScriptExpression::Operator TScriptExpression::OperatorOf(const std::string& text)
{
    // By length and letters: the parser asks for every token it meets.
    if (text.size() == 1) {
        switch (text[0]) {
        case '*': return kMul;
        case '/': return kDiv;
        case '%': return kMod;
        case '+': return kAdd;
        case '-': return kSub;
        case '<': return kLess;
        case '>': return kGreater;
        case '&': return kAnd;
        case '|': return kOr;
        case '^': return kXor;
        case '~': return kComplement;
        case '!': return kNot;
        default: return kOtherOperator;
        }
    }
    if (text.size() == 2) {
        const char a = text[0];
        const char b = text[1];
        if (b == '=') {
            return a == '<' ? kLessEqual : a == '>' ? kGreaterEqual : a == '=' ? kEqual : a == '!' ? kNotEqual
                                                                                        : kOtherOperator;
        }
        if (a == b) {
            return a == '<' ? kShl : a == '>' ? kShr : a == '&' ? kLogicalAnd : a == '|' ? kLogicalOr : kOtherOperator;
        }
    }
    return kOtherOperator;
}

void TScriptExpression::Reset()
{
    m_value = 0;
    m_operator.clear();
    // An empty holder costs its cells to make: none is made for a reference already empty (a new
    // node's), which it would leave as it is.
    if (m_variable.Get() != nullptr) {
        m_variable = TRefPtr<TScriptVarRef>();
    }
    if (m_left.Get() != nullptr) {
        m_left = TRefPtr<TScriptExpression>();
    }
    if (m_right.Get() != nullptr) {
        m_right = TRefPtr<TScriptExpression>();
    }
    // Nothing left but the constant 0.
    m_shape = kConstantShape;
    m_code = kOtherOperator;
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
    Settle(kOtherOperator);
}

void TScriptExpression::SetUnary(const std::string& op, const TRefPtr<TScriptExpression>& operand)
{
    SetUnary(op, OperatorOf(op), operand);
}

void TScriptExpression::SetUnary(const std::string& op, Operator code, const TRefPtr<TScriptExpression>& operand)
{
    Reset();
    m_operator = op;
    m_left = operand;
    Settle(code);
}

void TScriptExpression::SetBinary(const TRefPtr<TScriptExpression>& left, const std::string& op,
                                  const TRefPtr<TScriptExpression>& right)
{
    SetBinary(left, op, OperatorOf(op), right);
}

void TScriptExpression::SetBinary(const TRefPtr<TScriptExpression>& left, const std::string& op, Operator code,
                                  const TRefPtr<TScriptExpression>& right)
{
    Reset();
    m_left = left;
    m_operator = op;
    m_right = right;
    Settle(code);
}

void TScriptExpression::Settle(Operator code)
{
    m_shape = IsConstant() ? kConstantShape
              : IsVariable() ? kVariableShape
              : IsUnary()    ? kUnaryShape
              : IsBinary()   ? kBinaryShape
                             : kNoShape;
    m_code = code;
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
