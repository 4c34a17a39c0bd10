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
    // Deeper trees are refused (logged): evaluating and releasing one recurses once a level. No
    // statement of 64 KiB (8 bytes a token at least) comes near it.
    static constexpr std::size_t kMaxDepth = 8192;
    // Damaged token lists that fit no single reading are tried every way, up to this length.
    static constexpr std::size_t kMaxAmbiguousTokens = 64;

    explicit TScriptExpression(TScript* script) : m_script(script) {}
    virtual ~TScriptExpression() = default;

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

    bool IsConstant() const;
    bool IsVariable() const;
    bool IsUnary() const;
    bool IsBinary() const;

    const std::string& GetOperator() const { return m_operator; }

private:
    TScript* m_script;
    std::int32_t m_value = 0;
    TRefPtr<TScriptVarRef> m_variable;
    TRefPtr<TScriptExpression> m_left;
    TRefPtr<TScriptExpression> m_right;
    std::string m_operator;
};
