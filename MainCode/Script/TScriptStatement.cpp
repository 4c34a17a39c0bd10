#include "MainCode/Script/TScriptStatement.h"

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptExpression.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/Script/TScriptVarTable.h"

namespace {

using Texts = std::vector<std::string>;
using Kinds = std::vector<std::uint32_t>;

bool IsKeyword(const Texts& texts, const Kinds& kinds, std::size_t at, const char* word)
{
    return at < texts.size() && kinds[at] == kTokenKeyword && texts[at] == word;
}

// "KEYWORD" alone.
bool Lone(const Texts& texts, const Kinds& kinds, const char* word)
{
    return texts.size() == 1 && IsKeyword(texts, kinds, 0, word);
}

// "KEYWORD value...".
bool Headed(const Texts& texts, const Kinds& kinds, const char* word)
{
    return texts.size() >= 2 && IsKeyword(texts, kinds, 0, word);
}

TRefPtr<TScriptExpression> Tail(const Texts& texts, const Kinds& kinds, std::size_t first, TScript* script)
{
    return TScriptExpression::Parse(texts, kinds, first, script);
}

template <typename T>
TScriptStatement* Conditional(const Texts& texts, const Kinds& kinds, TScript* script, const char* word)
{
    return Headed(texts, kinds, word) ? new T(script, Tail(texts, kinds, 1, script)) : nullptr;
}

template <typename T>
TScriptStatement* Single(const Texts& texts, const Kinds& kinds, TScript* script, const char* word)
{
    return Lone(texts, kinds, word) ? new T(script) : nullptr;
}

TScriptStatement* MakeReturn(const Texts& texts, const Kinds& kinds, TScript* script)
{
    if (!IsKeyword(texts, kinds, 0, "RETURN")) {
        return nullptr;
    }
    return new TScriptReturn(script, texts.size() > 1 ? Tail(texts, kinds, 1, script) : TRefPtr<TScriptExpression>());
}

TScriptStatement* MakeGoto(const Texts& texts, const Kinds& kinds, TScript* script)
{
    if (texts.size() != 2 || !IsKeyword(texts, kinds, 0, "GOTO") || kinds[1] != kTokenLabel) {
        return nullptr;
    }
    return new TScriptGoto(script, TScriptLabel::Find(texts[1], nullptr, script));
}

TScriptStatement* MakeCall(const Texts& texts, const Kinds& kinds, TScript* script)
{
    if (!Headed(texts, kinds, "CALL") || (kinds[1] != kTokenSystemCall && kinds[1] != kTokenScriptKey)) {
        return nullptr;
    }
    std::deque<std::string> argTexts(texts.begin() + 2, texts.end());
    std::deque<std::uint32_t> argKinds(kinds.begin() + 2, kinds.end());
    return new TScriptCall(script, texts[1], kinds[1], std::move(argTexts), std::move(argKinds));
}

TScriptStatement* MakeAssign(const Texts& texts, const Kinds& kinds, TScript* script)
{
    if (texts.size() < 3 || !IsScriptVariableKind(kinds[0]) || kinds[1] != kTokenOperator || texts[1] != "=") {
        return nullptr;
    }
    return new TScriptAssign(script, TScriptVarRef::Create(texts[0], kinds[0], script), Tail(texts, kinds, 2, script));
}

TScriptStatement* MakeLabel(const Texts& texts, const Kinds& kinds, TScript* script)
{
    if (texts.size() != 1 || kinds[0] != kTokenLabel) {
        return nullptr;
    }
    auto* statement = new TScriptLabelStatement(script);
    statement->SetLabel(TScriptLabel::Find(texts[0], statement, script));
    return statement;
}

using Maker = TScriptStatement* (*)(const Texts&, const Kinds&, TScript*);

// Indexed by TScriptStatement::Kind.
const Maker kMakers[TScriptStatement::kKindCount] = {
    MakeReturn,
    MakeGoto,
    [](const Texts& t, const Kinds& k, TScript* s) { return Conditional<TScriptIf>(t, k, s, "IF"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Conditional<TScriptElif>(t, k, s, "ELIF"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Single<TScriptElse>(t, k, s, "ELSE"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Single<TScriptEnd>(t, k, s, "END"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Conditional<TScriptSwitch>(t, k, s, "SWITCH"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Conditional<TScriptCase>(t, k, s, "CASE"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Conditional<TScriptWhile>(t, k, s, "WHILE"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Single<TScriptRepeat>(t, k, s, "REPEAT"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Conditional<TScriptTill>(t, k, s, "TILL"); },
    [](const Texts& t, const Kinds& k, TScript* s) { return Conditional<TScriptUntil>(t, k, s, "UNTIL"); },
    MakeCall,
    MakeAssign,
    MakeLabel,
};

bool Is(const TScriptStatement* s, std::int32_t kind)
{
    return s != nullptr && s->GetKind() == kind;
}

TScriptStatement* JumpOf(const TScriptStatement* s)
{
    return static_cast<const TScriptConditionStatement*>(s)->GetJump();
}

TScriptStatement* EndOf(const TScriptStatement* s)
{
    return static_cast<const TScriptLinkStatement*>(s)->GetEnd();
}

// After a branch has run to its end: follow the chain of later branches to the closing END. Each
// link skipped is work: a chain of thousands may be walked on every pass of a loop.
TScriptStatement* SkipBranches(TScriptStatement* x, std::int32_t branchKind)
{
    while (Is(x, branchKind) || Is(x, TScriptStatement::kElse)) {
        ScriptWork::CountLinks(1);
        x = Is(x, TScriptStatement::kElse) ? EndOf(x) : JumpOf(x);
    }
    return x;
}

}  // namespace

TRefPtr<TScriptStatement> TScriptStatement::Create(const std::vector<std::string>& texts,
                                                   const std::vector<std::uint32_t>& kinds, TScript* script)
{
    if (texts.empty() || texts.size() != kinds.size()) {
        return {};
    }
    for (Maker make : kMakers) {
        if (TScriptStatement* statement = make(texts, kinds, script)) {
            return TRefPtr<TScriptStatement>(statement);
        }
    }
    return {};
}

TScript* TScriptStatement::Task() const
{
    TScript* running = TScript::Running();
    return running != nullptr ? running : m_script;
}

std::int32_t TScriptStatement::PreviousKind() const
{
    const TScript* task = Task();
    const TScriptStatement* previous = task != nullptr ? task->GetPrevious() : nullptr;
    return previous != nullptr ? previous->GetKind() : -1;
}

TScriptLabel* TScriptLabel::Find(const std::string& name, TScriptStatement* target, TScript* script)
{
    if (TScriptLabel* label = script->FindLabel(name)) {
        if (target != nullptr) {
            label->m_target = target;
        }
        return label;
    }
    TRefPtr<TScriptLabel> label(new TScriptLabel(script, name, target));
    script->AddLabel(label);
    return label.Get();
}

std::int32_t TScriptConditionStatement::Value() const
{
    return m_expression.Get() != nullptr ? m_expression->Evaluate() : 0;
}

TScriptStatement* TScriptReturn::Execute()
{
    if (m_expression.Get() != nullptr) {
        TScriptProcessManager::SetResultVariable(m_expression->Evaluate());
    }
    return nullptr;
}

TScriptStatement* TScriptIf::Execute()
{
    return Value() != 0 ? m_next : m_jump;
}

TScriptStatement* TScriptElif::Execute()
{
    const std::int32_t previous = PreviousKind();
    if (previous == kIf || previous == kElif) {
        return Value() != 0 ? m_next : m_jump;
    }
    return SkipBranches(m_jump, kElif);
}

TScriptStatement* TScriptElse::Execute()
{
    const std::int32_t previous = PreviousKind();
    if (previous == kIf || previous == kElif || previous == kSwitch || previous == kCase) {
        return m_next;
    }
    return m_end;
}

TScriptStatement* TScriptEnd::Execute()
{
    if (m_end == nullptr) {
        return m_next;
    }
    // The END of a WHILE: reached from the WHILE itself only when its condition failed.
    const TScript* task = Task();
    return task != nullptr && task->GetPrevious() == m_end ? m_next : m_end;
}

TScriptStatement* TScriptSwitch::Execute()
{
    const std::int32_t value = Value();
    TScriptStatement* x = m_jump;
    while (Is(x, kCase)) {
        ScriptWork::CountLinks(1);
        if (static_cast<TScriptCase*>(x)->Value() == value) {
            // Several CASE lines in a row share the body after the last of them.
            while (Is(x, kCase) || Is(x, kElse)) {
                ScriptWork::CountLinks(1);
                x = x->GetNext();
            }
            return x;
        }
        x = JumpOf(x);
    }
    // ELSE (the default branch), END, or the end of a broken chain.
    return x;
}

TScriptStatement* TScriptCase::Execute()
{
    if (PreviousKind() == kSwitch) {
        return m_next;
    }
    return SkipBranches(m_jump, kCase);
}

TScriptStatement* TScriptWhile::Execute()
{
    return Value() != 0 ? m_next : m_jump;
}

TScriptStatement* TScriptTill::Execute()
{
    return Value() != 0 ? m_jump : m_next;
}

TScriptStatement* TScriptUntil::Execute()
{
    return Value() != 0 ? m_next : m_jump;
}

TScriptStatement* TScriptAssign::Execute()
{
    m_variable->Set(m_expression.Get() != nullptr ? m_expression->Evaluate() : 0);
    return m_next;
}
