// CALL: module commands, the built-in system calls, and scripts called as subroutines.
#include <charconv>
#include <ctime>
#include <memory>
#include <vector>

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/ScriptRandom.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/Script/TScriptStatement.h"
#include "MainCode/Script/TScriptVarTable.h"

namespace {

constexpr std::uint32_t kWaitBit = 1;
constexpr std::uint32_t kStopBit = 2;

std::string DecimalText(std::int32_t value)
{
    char text[16];
    const std::to_chars_result end = std::to_chars(text, text + sizeof(text), value);
    return std::string(text, end.ptr);
}

// The argument queues handed to modules, kept from one call to the next so that a call in a loop
// fills queues that already hold their blocks. A module may send again while it runs: each call
// under way has a pair of its own.
struct ArgumentQueues {
    std::deque<std::string> texts;
    std::deque<std::uint32_t> kinds;
};

class BorrowedQueues {
public:
    BorrowedQueues()
    {
        std::vector<std::unique_ptr<ArgumentQueues>>& pool = Pool();
        if (InUse() == pool.size()) {
            pool.push_back(std::make_unique<ArgumentQueues>());
        }
        queues_ = pool[InUse()++].get();
    }
    // Emptied as they are given back: a long text is not kept until the next call.
    ~BorrowedQueues()
    {
        queues_->texts.clear();
        queues_->kinds.clear();
        --InUse();
    }
    BorrowedQueues(const BorrowedQueues&) = delete;
    BorrowedQueues& operator=(const BorrowedQueues&) = delete;

    std::deque<std::string>& Texts() { return queues_->texts; }
    std::deque<std::uint32_t>& Kinds() { return queues_->kinds; }

private:
    static std::vector<std::unique_ptr<ArgumentQueues>>& Pool()
    {
        static std::vector<std::unique_ptr<ArgumentQueues>> pool;
        return pool;
    }
    static std::size_t& InUse()
    {
        static std::size_t inUse = 0;
        return inUse;
    }

    ArgumentQueues* queues_ = nullptr;
};

}  // namespace

TScriptCall::TScriptCall(TScript* script, const std::string& target, std::uint32_t targetKind,
                         std::deque<std::string> argTexts, std::deque<std::uint32_t> argKinds)
    : TScriptStatement(script, kCall), m_target(target), m_call(kScript), m_argTexts(std::move(argTexts)),
      m_argKinds(std::move(argKinds))
{
    if (targetKind == kTokenSystemCall) {
        static const struct {
            const char* name;
            Target call;
        } kSystemCalls[] = {{"@@SendMsg", kSendMsg}, {"@@Random", kRandom}, {"@@Time", kTime},
                            {"@@RandomSeed", kRandomSeed}, {"@@Wait", kWait}, {"@@Resume", kResume}};
        m_call = kUnknownSystemCall;
        for (const auto& known : kSystemCalls) {
            if (m_target == known.name) {
                m_call = known.call;
            }
        }
    }
    // A long text is copied for the module, or read, on every pass that hands it on; a value is
    // written out as text for a module, or becomes a local of the called script.
    const bool listed = m_call == kSendMsg || m_call == kRandomSeed;
    for (std::size_t i = 0; i < m_argTexts.size(); ++i) {
        const std::uint32_t kind = m_argKinds[i];
        const bool written = kind == kTokenHex || IsScriptVariableKind(kind);
        const bool passed = written || kind == kTokenDecimal || kind == kTokenText;
        m_argumentTokens += ScriptPrice::kArgument + ScriptPrice::Bytes(m_argTexts[i].size());
        if (listed && written) {
            m_argumentTokens += ScriptPrice::kDecimalText;
        } else if (m_call == kScript && passed) {
            m_argumentTokens += ScriptPrice::kNamedArgument;
        }
    }
    if (m_call == kSendMsg) {
        m_argumentTokens += ScriptPrice::kModuleCall;
    } else if (m_call == kScript) {
        // Its key looked up among the scripts loaded.
        m_argumentTokens += ScriptPrice::Bytes(m_target.size());
    }
}

TScriptStatement* TScriptCall::Execute()
{
    switch (m_call) {
    case kSendMsg:
        SendMsg();
        break;
    case kRandom:
        TScriptProcessManager::SetResultVariable(ScriptRandom());
        break;
    case kTime:
        TScriptProcessManager::SetResultVariable(
            static_cast<std::int32_t>(static_cast<std::uint32_t>(std::time(nullptr))));
        break;
    case kRandomSeed:
        SeedRandom();
        break;
    case kWait:
    case kResume:
        if (TScriptProcessManager* manager = TScriptProcessManager::Get()) {
            manager->SetHostWait(m_call == kWait ? 1 : 0);
        }
        break;
    case kUnknownSystemCall:
        break;
    case kScript:
        if (!CallScript()) {
            // The called file's folder is still being read: this CALL runs again next frame.
            return this;
        }
        break;
    }
    return m_next;
}

// Every argument reaches a module as text: numbers and variables as decimal (kind 2), texts as
// they are (kind 4).
std::size_t TScriptCall::EvaluateArguments(std::string* head, std::size_t headCount, std::deque<std::string>& texts,
                                    std::deque<std::uint32_t>& kinds) const
{
    ScriptWork::Count(m_argumentTokens);
    std::size_t passed = 0;
    const auto pass = [&](std::string text, std::uint32_t kind) {
        if (passed < headCount) {
            head[passed] = std::move(text);
        } else {
            texts.push_back(std::move(text));
            kinds.push_back(kind);
        }
        ++passed;
    };
    for (std::size_t i = 0; i < m_argTexts.size(); ++i) {
        const std::uint32_t kind = m_argKinds[i];
        if (kind == kTokenDecimal || kind == kTokenText) {
            pass(m_argTexts[i], kind);
            continue;
        }
        std::int32_t value = 0;
        if (ArgumentValue(i, value)) {
            pass(DecimalText(value), kTokenDecimal);
        }
    }
    return passed;
}

// False for the kinds that are not passed (labels and unknown kinds).
bool TScriptCall::ArgumentValue(std::size_t i, std::int32_t& value) const
{
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    const std::string& text = m_argTexts[i];
    const std::uint32_t kind = m_argKinds[i];
    value = 0;
    if (kind == kTokenDecimal) {
        value = ScriptAtoi(text);
    } else if (kind == kTokenText) {
        // A called script reads a text argument as 0.
    } else if (kind == kTokenHex) {
        ScanScriptHex(text, value);
    } else if (kind == kTokenGlobalB) {
        value = manager != nullptr ? manager->GetGlobalB().GetInt(text, 0) : 0;
    } else if (kind == kTokenGlobalA || kind == kTokenGlobalA2) {
        value = manager != nullptr ? manager->GetGlobalA().GetInt(text, 0) : 0;
    } else if (kind == kTokenLocal || kind == kTokenLocal2) {
        TScript* task = Task();
        value = task != nullptr ? task->GetLocals().GetInt(text, 0) : 0;
    } else {
        return false;
    }
    return true;
}

void TScriptCall::SendMsg() const
{
    std::string head[2];
    BorrowedQueues queues;
    const std::size_t passed = EvaluateArguments(head, 2, queues.Texts(), queues.Kinds());
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    // Without a module name and a command there is nothing to send.
    if (manager == nullptr || passed < 2) {
        return;
    }
    const auto command = static_cast<std::uint32_t>(ScriptAtoi(head[1]));
    const std::uint32_t result = manager->CallModule(head[0], command, queues.Texts(), queues.Kinds());
    if ((result & kWaitBit) != 0) {
        manager->SetModuleWait(1);
    }
    if ((result & kStopBit) != 0) {
        manager->SetStop(1);
    }
}

void TScriptCall::SeedRandom() const
{
    std::string seed;
    BorrowedQueues rest;
    if (EvaluateArguments(&seed, 1, rest.Texts(), rest.Kinds()) != 0) {
        SeedScriptRandom(static_cast<std::uint32_t>(ScriptAtoi(seed)));
    }
}

bool TScriptCall::CallScript() const
{
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    if (manager == nullptr) {
        return true;
    }
    TScript* called = manager->PushCalled(m_target);
    if (called == nullptr) {
        return !manager->GaveFrameBack();
    }
    // Straight into the called task's locals: a CALL in a loop builds no argument queues.
    ScriptWork::Count(m_argumentTokens);
    std::size_t passed = 0;
    for (std::size_t i = 0; i < m_argTexts.size(); ++i) {
        std::int32_t value = 0;
        if (ArgumentValue(i, value)) {
            called->GetLocals().SetInt("$" + std::to_string(passed), value);
            ++passed;
        }
    }
    return true;
}
