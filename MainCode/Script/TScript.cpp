#include "MainCode/Script/TScript.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScriptFile.h"
#include "MainCode/Script/TScriptStatement.h"
#include "TCommon/FileFailure.h"

std::string TScript::s_folder;
TScript* TScript::s_running = nullptr;

namespace {

// Token texts are stored as the complement of each byte rotated left by 5; read back, the
// complement of the stored byte is rotated right by 5.
constexpr std::uint8_t Unscramble(std::uint8_t stored)
{
    const auto v = static_cast<std::uint8_t>(~stored);
    return static_cast<std::uint8_t>((v >> 5) | (v << 3));
}

constexpr std::array<std::uint8_t, 256> kPlain = [] {
    std::array<std::uint8_t, 256> plain{};
    for (int i = 0; i < 256; ++i) {
        plain[static_cast<std::size_t>(i)] = Unscramble(static_cast<std::uint8_t>(i));
    }
    return plain;
}();

// The plain text of n stored bytes: it ends at its first NUL.
void Unscrambled(const std::uint8_t* stored, std::size_t n, std::string& out)
{
    out.resize(n);
    char* to = out.data();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t plain = kPlain[stored[i]];
        if (plain == 0) {
            out.resize(i);
            return;
        }
        to[i] = static_cast<char>(plain);
    }
}

bool IsOneOf(const TScriptStatement* s, std::initializer_list<std::int32_t> kinds)
{
    for (std::int32_t kind : kinds) {
        if (s->GetKind() == kind) {
            return true;
        }
    }
    return false;
}

// What became of one statement record.
enum class Record { kWhole, kTooLong, kCut, kStopped };

// One statement record at the reader: its token kinds and texts (unscrambled) into the lists, its
// work counted. A record longer than TScript::kMaxStatementBytes is walked over token by token,
// its texts unread; what the walk reads is charged as it goes, so that a walk of millions of
// tokens stops (kStopped) where the load's work ends.
Record ReadRecord(TByteReader& in, std::uint64_t end, std::vector<std::string>& texts,
                  std::vector<std::uint32_t>& kinds)
{
    const std::uint64_t start = in.Position();
    std::uint32_t tokens = 0;
    // Each token takes its kind and its text length at least.
    if (!in.U32(tokens) || !in.Fits(tokens, 8)) {
        return Record::kCut;
    }
    bool skipping = 4 + 8 * std::uint64_t{tokens} > TScript::kMaxStatementBytes;
    std::uint64_t unread = 0;
    std::uint32_t walked = 0;
    if (skipping) {
        unread = 4 * std::uint64_t{tokens};
        in.Skip(unread);
    } else {
        kinds.resize(tokens);
        texts.resize(tokens);
        for (std::uint32_t t = 0; t < tokens; ++t) {
            if (!in.U32(kinds[t])) {
                return Record::kCut;
            }
        }
    }
    for (std::uint32_t t = 0; t < tokens; ++t) {
        std::uint32_t length = 0;
        if (!in.U32(length) || !in.Fits(length, 1)) {
            return Record::kCut;
        }
        skipping = skipping || in.Position() + length - start > TScript::kMaxStatementBytes;
        if (!skipping) {
            const std::uint8_t* stored = in.Take(length);
            if (stored == nullptr) {
                return Record::kCut;
            }
            Unscrambled(stored, length, texts[t]);
            continue;
        }
        in.Skip(length);
        unread += length;
        if (t % 1024 == 1023) {
            ScriptWork::Count(1024 * ScriptPrice::kTokenWalked);
            walked += 1024;
            if (ScriptWork::Tokens() >= end) {
                return Record::kStopped;
            }
        }
    }
    if (skipping) {
        // What was read of it, each token walked, and the record looked at.
        ScriptWork::CountBytes(in.Position() - start - unread);
        ScriptWork::Count((tokens - walked) * ScriptPrice::kTokenWalked);
        ScriptWork::CountLinks(1);
        return Record::kTooLong;
    }
    // Its bytes unscrambled, and for each token a text and a node made; a record of none is still
    // a record looked at.
    ScriptWork::CountBytes(in.Position() - start);
    ScriptWork::CountLinks(std::max<std::uint32_t>(tokens, 1));
    return Record::kWhole;
}

}  // namespace

TScript::TScript(const std::string& key)
{
    Load(key);
}

TScript::TScript(const std::string& key, const TScriptFile& file, TScriptFileOpening* opening)
{
    Load(key, file, opening);
}

TScript::TScript(const std::string& key, const std::string& path, DWORD error) : m_key(key)
{
    ScriptLog("cannot open " + FileFailureText(path + " (" + key + ")", error));
}

TScript::TScript(const TRefPtr<TScript>& loaded)
{
    Restart(loaded);
}

void TScript::Restart(const TRefPtr<TScript>& loaded)
{
    m_loaded = loaded;
    m_key = loaded->GetKey();
    m_current = loaded->m_current;
    m_previous = nullptr;
    m_locals.Clear();
}

TScript::~TScript() = default;

TScript* TScript::Running()
{
    return s_running;
}

std::uint64_t TScript::LoadEnd()
{
    return s_running != nullptr ? ScriptWork::Tokens() + ScriptPrice::kFrameTokens : UINT64_MAX;
}

void TScript::SetDirectory(const std::string& folder)
{
    s_folder = folder;
}

const std::string& TScript::GetDirectory()
{
    return s_folder;
}

void TScript::SplitKey(const std::string& key, std::string& filePart, std::string& scriptName)
{
    filePart.clear();
    scriptName.clear();
    const std::size_t slash = key.find('/');
    if (slash == std::string::npos || slash == 0) {
        return;
    }
    filePart = key.substr(0, slash);
    scriptName = key.substr(slash + 1);
}

void TScript::Load(const std::string& key)
{
    std::string filePart;
    std::string name;
    SplitKey(key, filePart, name);
    if (filePart.empty()) {
        Reset();
        m_key = key;
        ScriptLog("no file in the script key \"" + key + "\"");
        return;
    }
    TScriptFileOpening opening(s_folder + filePart, TScriptFileOpening::kPushed, UINT64_MAX);
    if (!opening.IsOpen()) {
        Reset();
        m_key = key;
        ScriptLog("cannot open " + FileFailureText(opening.GetPath() + " (" + key + ")", opening.Error()));
        return;
    }
    const TScriptFile file(opening, LoadEnd());
    Load(key, file, &opening);
}

void TScript::Load(const std::string& key, const TScriptFile& file, TScriptFileOpening* opening)
{
    Reset();
    m_key = key;
    std::string filePart;
    std::string name;
    SplitKey(key, filePart, name);
    if (!ReadBody(file, opening, name, s_folder + filePart + " (" + m_key + ")")) {
        Reset();
        return;
    }
    for (std::size_t i = 0; i + 1 < m_statements.size(); ++i) {
        m_statements[i]->SetNext(m_statements[i + 1].Get());
    }
    if (!m_statements.empty()) {
        m_statements.back()->SetNext(nullptr);
    }
    LinkBlocks();
    // The links are resolved; the statements keep no hold on the labels.
    for (const TRefPtr<TScriptStatement>& statement : m_statements) {
        if (statement->GetKind() == TScriptStatement::kGoto) {
            static_cast<TScriptGoto*>(statement.Get())->DropLabel();
        } else if (statement->GetKind() == TScriptStatement::kLabel) {
            static_cast<TScriptLabelStatement*>(statement.Get())->DropLabel();
        }
    }
    m_current = m_statements.empty() ? nullptr : m_statements.front().Get();
    m_previous = nullptr;
}

bool TScript::ReadBody(const TScriptFile& file, TScriptFileOpening* opening, const std::string& name,
                       const std::string& where)
{
    std::uint32_t offset = 0;
    switch (file.Find(name, offset)) {
    case TScriptFile::kBrokenDirectory:
        ScriptLog("broken directory in " + where);
        return false;
    case TScriptFile::kTooLong:
        ScriptLog("directory of " + where + " takes more than a frame's work to read");
        return false;
    case TScriptFile::kMissing:
        ScriptLog("no script named \"" + name + "\" in " + where);
        return false;
    case TScriptFile::kFound:
        break;
    }
    if (opening == nullptr || !opening->IsOpen()) {
        return false;
    }
    TByteReader& in = opening->Reader();
    if (!in.Seek(offset)) {
        ScriptLog("script body beyond the end of " + where);
        return false;
    }
    std::uint32_t count = 0;
    if (!in.U32(count) || !in.Fits(count, 4)) {
        ScriptLog("broken statement count in " + where);
        return false;
    }
    // Statements skipped are told once, counted.
    std::uint32_t noStatement = 0;
    std::uint32_t tooLong = 0;
    std::uint32_t firstSkipped = 0;
    struct Told {
        const std::uint32_t& noStatement;
        const std::uint32_t& tooLong;
        const std::uint32_t& first;
        const std::string& where;
        ~Told()
        {
            if (noStatement + tooLong != 0) {
                ScriptLog(std::to_string(noStatement + tooLong) + " statement(s) of " + where +
                          " skipped, the first statement " + std::to_string(first) + ": " +
                          std::to_string(noStatement) + " no statement, " + std::to_string(tooLong) +
                          " longer than " + std::to_string(kMaxStatementBytes) + " bytes");
            }
        }
    } told{noStatement, tooLong, firstSkipped, where};

    const std::uint64_t end = LoadEnd();
    std::vector<std::string> texts;
    std::vector<std::uint32_t> kinds;
    for (std::uint32_t s = 0; s < count; ++s) {
        if (ScriptWork::Tokens() >= end) {
            ScriptLog("loading " + where + " stopped at statement " + std::to_string(s) + " of " +
                      std::to_string(count) + ": a frame's work");
            return false;
        }
        if (noStatement + tooLong == 0) {
            firstSkipped = s;
        }
        switch (ReadRecord(in, end, texts, kinds)) {
        case Record::kCut:
            ScriptLog("statement " + std::to_string(s) + " cut short in " + where);
            return false;
        case Record::kStopped:
            ScriptLog("loading " + where + " stopped in statement " + std::to_string(s) + " of " +
                      std::to_string(count) + ": a frame's work");
            return false;
        case Record::kTooLong:
            ++tooLong;
            break;
        case Record::kWhole:
            if (TRefPtr<TScriptStatement> statement = TScriptStatement::Create(texts, kinds, this); statement.Get()) {
                AddStatement(statement);
            } else {
                ++noStatement;
            }
            break;
        }
    }
    return true;
}

bool TScript::Step()
{
    if (m_current == nullptr) {
        return false;
    }
    // Restored afterwards, a throw included: a statement may step another manager's scripts.
    struct Running {
        TScript* outer;
        explicit Running(TScript* self) : outer(s_running) { s_running = self; }
        ~Running() { s_running = outer; }
    } running(this);
    TScriptStatement* next = m_current->Execute();
    m_previous = m_current;
    m_current = next;
    return next != nullptr;
}

void TScript::AddStatement(const TRefPtr<TScriptStatement>& statement)
{
    m_statements.push_back(statement);
}

void TScript::Reset()
{
    m_current = nullptr;
    m_previous = nullptr;
    m_statements.clear();
    m_labels.clear();
    m_labelIndex.clear();
    m_loaded = TRefPtr<TScript>();
}

TScriptLabel* TScript::FindLabel(const std::string& name) const
{
    auto found = m_labelIndex.find(name);
    return found != m_labelIndex.end() ? found->second : nullptr;
}

void TScript::AddLabel(const TRefPtr<TScriptLabel>& label)
{
    m_labels.push_back(label);
    m_labelIndex.emplace(label->GetName(), label.Get());
}

void TScript::LinkBlocks()
{
    using S = TScriptStatement;
    auto jump = [](S* s, S* to) { static_cast<TScriptConditionStatement*>(s)->SetJump(to); };
    auto end = [](S* s, S* to) { static_cast<TScriptLinkStatement*>(s)->SetEnd(to); };

    std::vector<S*> open;
    for (std::size_t i = 0; i < m_statements.size(); ++i) {
        S* s = m_statements[i].Get();
        const std::int32_t kind = s->GetKind();
        if (kind == S::kGoto) {
            TScriptLabel* label = static_cast<TScriptGoto*>(s)->GetLabel();
            s->SetNext(label != nullptr ? label->GetTarget() : nullptr);
            continue;
        }
        if (kind == S::kIf || kind == S::kSwitch || kind == S::kWhile || kind == S::kRepeat) {
            open.push_back(s);
            continue;
        }
        const bool closing = kind == S::kElif || kind == S::kElse || kind == S::kCase || kind == S::kEnd ||
                             kind == S::kTill || kind == S::kUntil;
        if (!closing) {
            continue;
        }
        if (open.empty()) {
            ScriptLog("statement " + std::to_string(i) + " of " + m_key + " closes no block; left unlinked");
            continue;
        }
        S* top = open.back();
        open.pop_back();
        switch (kind) {
        case S::kElif:
            if (IsOneOf(top, {S::kIf, S::kElif})) {
                jump(top, s);
            }
            open.push_back(s);
            break;
        case S::kElse:
            if (IsOneOf(top, {S::kIf, S::kElif, S::kSwitch, S::kCase})) {
                jump(top, s);
            }
            open.push_back(s);
            break;
        case S::kCase:
            if (IsOneOf(top, {S::kSwitch, S::kCase})) {
                jump(top, s);
            }
            open.push_back(s);
            break;
        case S::kEnd:
            if (IsOneOf(top, {S::kIf, S::kElif, S::kSwitch, S::kCase})) {
                jump(top, s);
            } else if (top->GetKind() == S::kElse) {
                end(top, s);
            } else if (top->GetKind() == S::kWhile) {
                jump(top, s);
                end(s, top);
            }
            break;
        default:  // TILL, UNTIL: back to their REPEAT
            jump(s, top);
            break;
        }
    }
    if (!open.empty()) {
        ScriptLog(std::to_string(open.size()) + " block(s) of " + m_key + " left open");
    }
    // A called script must never end its caller in the step that pushed it.
    if (!m_statements.empty() && m_statements.back()->GetKind() == S::kCall) {
        TRefPtr<S> tail(new TScriptReturn(this, TRefPtr<TScriptExpression>()));
        m_statements.back()->SetNext(tail.Get());
        AddStatement(tail);
    }
}
