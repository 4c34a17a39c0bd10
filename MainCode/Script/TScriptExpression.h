// A script expression, parsed once when its script loads and evaluated to a signed 32-bit value.
// Every binary operator has the same precedence and groups from the left; parentheses group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Script/TScriptVarTable.h"
#include "TCommon/TRefPtr.h"

class TScript;

class TScriptExpression {
public:
    // Deeper trees are refused (logged). Parsing, evaluating and releasing keep their own stacks,
    // so the cap bounds memory, not the machine stack; a statement of 64 KiB (9 bytes a token at
    // least) cannot reach it.
    static constexpr std::size_t kMaxDepth = 8192;
    // Damaged token lists that fit no single reading are tried every way, up to this length.
    static constexpr std::size_t kMaxAmbiguousTokens = 64;

    // The operators by number: the binary ones in the order of their table, then the unary ones
    // of their own ("-" and "+" are kSub and kAdd; "()" and any other text kOtherOperator).
    enum Operator : std::uint8_t {
        kMul, kDiv, kMod, kAdd, kSub, kShl, kShr, kLess, kGreater, kLessEqual, kGreaterEqual, kEqual, kNotEqual,
        kAnd, kOr, kXor, kLogicalAnd, kLogicalOr, kComplement, kNot, kOtherOperator
    };
    static Operator OperatorOf(const std::string& text);

    explicit TScriptExpression(TScript* script) : m_script(script) {}
    virtual ~TScriptExpression();

    // Tokens first.. of the lists; empty when they do not form an expression.
    static TRefPtr<TScriptExpression> Parse(const std::vector<std::string>& texts,
                                            const std::vector<std::uint32_t>& kinds, std::size_t first,
                                            TScript* script);

    std::int32_t Evaluate() const;

    void Reset();
    void SetConstant(std::int32_t value);
    void SetVariable(const TRefPtr<TScriptVarRef>& variable);
    void SetUnary(const std::string& op, const TRefPtr<TScriptExpression>& operand);
    void SetBinary(const TRefPtr<TScriptExpression>& left, const std::string& op,
                   const TRefPtr<TScriptExpression>& right);
    // The same with the operator's number already known (OperatorOf the text): the parser's.
    void SetUnary(const std::string& op, Operator code, const TRefPtr<TScriptExpression>& operand);
    void SetBinary(const TRefPtr<TScriptExpression>& left, const std::string& op, Operator code,
                   const TRefPtr<TScriptExpression>& right);

    bool IsConstant() const;
    bool IsVariable() const;
    bool IsUnary() const;
    bool IsBinary() const;

private:
    // Trees this shallow evaluate by plain recursion; below it the walk keeps its own stack.
    static constexpr unsigned kRecursionDepth = 64;
    std::int32_t EvaluateAt(unsigned depth) const;
    std::int32_t EvaluateIteratively() const;
    // Tells the node's shape and keeps its operator's number, when it is built, for every
    // evaluation after.
    void Settle(Operator code);

    TScript* m_script;
    std::int32_t m_value = 0;
    TRefPtr<TScriptVarRef> m_variable;
    TRefPtr<TScriptExpression> m_left;
    TRefPtr<TScriptExpression> m_right;
    std::string m_operator;
    // Set by Settle: the shape (0 none, then as the Is tests) and the operator as a number.
    std::uint8_t m_shape = 1;
    std::uint8_t m_code = kOtherOperator;
};
