// The statements of a compiled script. Blocks and jumps are links between statements in one flat
// list, set once by TScript::LinkBlocks; Execute returns the statement that runs next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "MainCode/Script/TScriptExpression.h"
#include "MainCode/Script/TScriptVarTable.h"
#include "TCommon/TRefPtr.h"

class TScript;

class TScriptStatement {
public:
    // In the order the factory tries them.
    enum Kind : std::int32_t {
        kReturn,
        kGoto,
        kIf,
        kElif,
        kElse,
        kEnd,
        kSwitch,
        kCase,
        kWhile,
        kRepeat,
        kTill,
        kUntil,
        kCall,
        kAssign,
        kLabel,
        kKindCount
    };

    TScriptStatement(TScript* script, std::int32_t kind) : m_script(script), m_kind(kind) {}
    virtual ~TScriptStatement() = default;

    // The next statement to run; null ends the script.
    virtual TScriptStatement* Execute() = 0;

    // The first kind (in Kind order) that accepts the tokens; empty when none does.
    static TRefPtr<TScriptStatement> Create(const std::vector<std::string>& texts,
                                            const std::vector<std::uint32_t>& kinds, TScript* script);

    std::int32_t GetKind() const { return m_kind; }
    TScriptStatement* GetNext() const { return m_next; }
    void SetNext(TScriptStatement* next) { m_next = next; }

protected:
    // The task running this statement: the statements of a script are shared by all its tasks.
    TScript* Task() const;
    // The kind of the statement the task ran just before this one (-1 for none).
    std::int32_t PreviousKind() const;

    TScript* m_script;
    std::int32_t m_kind;
    TScriptStatement* m_next = nullptr;
};

// A label name and the label statement a GOTO of that name goes to.
class TScriptLabel {
public:
    TScriptLabel(TScript* script, const std::string& name, TScriptStatement* target)
        : m_script(script), m_name(name), m_target(target) {}
    virtual ~TScriptLabel() = default;

    // The script's record of that name, made when absent. A target given replaces the earlier
    // one, so the last label statement of a name wins.
    static TScriptLabel* Find(const std::string& name, TScriptStatement* target, TScript* script);

    const std::string& GetName() const { return m_name; }
    TScriptStatement* GetTarget() const { return m_target; }

private:
    TScript* m_script;
    std::string m_name;
    TScriptStatement* m_target;
};

// IF, ELIF, SWITCH, CASE, WHILE, TILL, UNTIL: a value and a jump link.
class TScriptConditionStatement : public TScriptStatement {
public:
    TScriptConditionStatement(TScript* script, std::int32_t kind, const TRefPtr<TScriptExpression>& expression)
        : TScriptStatement(script, kind), m_expression(expression) {}

    // A condition whose tokens did not parse is 0.
    std::int32_t Value() const;
    TScriptStatement* GetJump() const { return m_jump; }
    void SetJump(TScriptStatement* jump) { m_jump = jump; }

protected:
    TRefPtr<TScriptExpression> m_expression;
    TScriptStatement* m_jump = nullptr;
};

// ELSE, END, REPEAT: the end link.
class TScriptLinkStatement : public TScriptStatement {
public:
    using TScriptStatement::TScriptStatement;

    TScriptStatement* GetEnd() const { return m_end; }
    void SetEnd(TScriptStatement* end) { m_end = end; }

protected:
    TScriptStatement* m_end = nullptr;
};

class TScriptReturn : public TScriptStatement {
public:
    TScriptReturn(TScript* script, const TRefPtr<TScriptExpression>& expression)
        : TScriptStatement(script, kReturn), m_expression(expression) {}
    TScriptStatement* Execute() override;

private:
    TRefPtr<TScriptExpression> m_expression;
};

class TScriptGoto : public TScriptStatement {
public:
    TScriptGoto(TScript* script, TScriptLabel* label) : TScriptStatement(script, kGoto), m_label(label) {}
    TScriptStatement* Execute() override { return m_next; }
    TScriptLabel* GetLabel() const { return m_label; }
    void DropLabel() { m_label = nullptr; }

private:
    TScriptLabel* m_label;
};

class TScriptIf : public TScriptConditionStatement {
public:
    TScriptIf(TScript* script, const TRefPtr<TScriptExpression>& e) : TScriptConditionStatement(script, kIf, e) {}
    TScriptStatement* Execute() override;
};

class TScriptElif : public TScriptConditionStatement {
public:
    TScriptElif(TScript* script, const TRefPtr<TScriptExpression>& e) : TScriptConditionStatement(script, kElif, e) {}
    TScriptStatement* Execute() override;
};

class TScriptElse : public TScriptLinkStatement {
public:
    explicit TScriptElse(TScript* script) : TScriptLinkStatement(script, kElse) {}
    TScriptStatement* Execute() override;
};

class TScriptEnd : public TScriptLinkStatement {
public:
    explicit TScriptEnd(TScript* script) : TScriptLinkStatement(script, kEnd) {}
    TScriptStatement* Execute() override;
};

class TScriptSwitch : public TScriptConditionStatement {
public:
    TScriptSwitch(TScript* script, const TRefPtr<TScriptExpression>& e)
        : TScriptConditionStatement(script, kSwitch, e) {}
    TScriptStatement* Execute() override;
};

class TScriptCase : public TScriptConditionStatement {
public:
    TScriptCase(TScript* script, const TRefPtr<TScriptExpression>& e) : TScriptConditionStatement(script, kCase, e) {}
    TScriptStatement* Execute() override;
};

class TScriptWhile : public TScriptConditionStatement {
public:
    TScriptWhile(TScript* script, const TRefPtr<TScriptExpression>& e)
        : TScriptConditionStatement(script, kWhile, e) {}
    TScriptStatement* Execute() override;
};

class TScriptRepeat : public TScriptLinkStatement {
public:
    explicit TScriptRepeat(TScript* script) : TScriptLinkStatement(script, kRepeat) {}
    TScriptStatement* Execute() override { return m_next; }
};

class TScriptTill : public TScriptConditionStatement {
public:
    TScriptTill(TScript* script, const TRefPtr<TScriptExpression>& e) : TScriptConditionStatement(script, kTill, e) {}
    TScriptStatement* Execute() override;
};

class TScriptUntil : public TScriptConditionStatement {
public:
    TScriptUntil(TScript* script, const TRefPtr<TScriptExpression>& e)
        : TScriptConditionStatement(script, kUntil, e) {}
    TScriptStatement* Execute() override;
};

// CALL: a system call ("@@...", target kind 6) or another script (target kind 7).
class TScriptCall : public TScriptStatement {
public:
    TScriptCall(TScript* script, const std::string& target, std::uint32_t targetKind,
                std::deque<std::string> argTexts, std::deque<std::uint32_t> argKinds);
    TScriptStatement* Execute() override;

private:
    // What the target names, told apart once when the script loads.
    enum Target { kSendMsg, kRandom, kTime, kRandomSeed, kWait, kResume, kUnknownSystemCall, kScript };

    // Only the calls that read their arguments build the lists: the first headCount passed
    // arguments go to head, the rest to texts and kinds. Returns how many were passed.
    std::size_t EvaluateArguments(std::string* head, std::size_t headCount, std::deque<std::string>& texts,
                           std::deque<std::uint32_t>& kinds) const;
    // The value of argument i as a number; false for a kind that is not passed.
    bool ArgumentValue(std::size_t i, std::int32_t& value) const;
    void SendMsg() const;
    void SeedRandom() const;
    // False while the called file cannot be had yet (its folder is still being read).
    bool CallScript() const;

    std::string m_target;
    Target m_call;
    std::deque<std::string> m_argTexts;
    std::deque<std::uint32_t> m_argKinds;
    // What handing the arguments on costs (ScriptWork), the same on every pass that reads them.
    std::uint64_t m_argumentTokens = 0;
};

class TScriptAssign : public TScriptStatement {
public:
    TScriptAssign(TScript* script, const TRefPtr<TScriptVarRef>& variable, const TRefPtr<TScriptExpression>& e)
        : TScriptStatement(script, kAssign), m_variable(variable), m_expression(e) {}
    TScriptStatement* Execute() override;

private:
    TRefPtr<TScriptVarRef> m_variable;
    TRefPtr<TScriptExpression> m_expression;
};

class TScriptLabelStatement : public TScriptStatement {
public:
    explicit TScriptLabelStatement(TScript* script) : TScriptStatement(script, kLabel) {}
    TScriptStatement* Execute() override { return m_next; }
    void SetLabel(TScriptLabel* label) { m_label = label; }
    void DropLabel() { m_label = nullptr; }

private:
    TScriptLabel* m_label = nullptr;
};
