#include "MainCode/Script/TScript.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScriptStatement.h"
#include "TCommon/TByteReader.h"

std::string TScript::s_folder;
TScript* TScript::s_running = nullptr;

namespace {

// Token texts are stored as the complement of each byte rotated left by 5; read back, the
// complement of the stored byte is rotated right by 5.
std::uint8_t Unscramble(std::uint8_t stored)
{
    const auto v = static_cast<std::uint8_t>(~stored);
    return static_cast<std::uint8_t>((v >> 5) | (v << 3));
}

// u32 length, then that many bytes; the text ends at its first NUL.
bool ReadText(TByteReader& in, std::string& out, bool scrambled)
{
    std::uint32_t length = 0;
    if (!in.U32(length) || !in.Fits(length, 1)) {
        return false;
    }
    std::vector<std::uint8_t> bytes(length);
    if (length != 0 && !in.Bytes(bytes.data(), length)) {
        return false;
    }
    out.clear();
    for (std::uint8_t b : bytes) {
        const std::uint8_t plain = scrambled ? Unscramble(b) : b;
        if (plain == 0) {
            break;
        }
        out.push_back(static_cast<char>(plain));
    }
    return true;
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

}  // namespace

TScriptFile::TScriptFile(const std::string& path) : m_file(path)
{
    if (!m_file.Open(true, GENERIC_READ)) {
        return;
    }
    m_read = true;
    TByteReader directory(m_file);
    std::uint32_t entries = 0;
    // An entry is at least its name length and its offset.
    if (!directory.U32(entries) || !directory.Fits(entries, 8)) {
        m_broken = true;
    }
    for (std::uint32_t i = 0; !m_broken && i < entries; ++i) {
        std::string entry;
        std::uint32_t entryOffset = 0;
        if (!ReadText(directory, entry, false) || !directory.U32(entryOffset)) {
            m_broken = true;
            break;
        }
        // The first script of a name is the one found.
        ScriptWork::CountLinks(1);
        m_offsets.try_emplace(entry, entryOffset);
    }
    ScriptWork::CountBytes(directory.Position());
}

TScriptFile::Lookup TScriptFile::Find(const std::string& name, std::uint32_t& offset) const
{
    if (!m_read) {
        return kUnreadable;
    }
    auto found = m_offsets.find(name);
    if (found == m_offsets.end()) {
        return m_broken ? kBrokenDirectory : kMissing;
    }
    offset = found->second;
    return kFound;
}

bool TScriptFile::ReadFrom(std::uint32_t offset, std::optional<TByteReader>& reader)
{
    const std::uint32_t size = m_file.GetSize();
    if (size == INVALID_FILE_SIZE || offset > size || !m_file.Seek(static_cast<std::int32_t>(offset))) {
        return false;
    }
    reader.emplace(m_file);
    return true;
}

TScript::TScript(const std::string& key)
{
    Load(key);
}

TScript::TScript(const std::string& key, TScriptFile& file)
{
    Load(key, file);
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
    LoadFrom(key, nullptr);
}

void TScript::Load(const std::string& key, TScriptFile& file)
{
    LoadFrom(key, &file);
}

void TScript::LoadFrom(const std::string& key, TScriptFile* file)
{
    Reset();
    m_key = key;
    std::string filePart;
    std::string name;
    SplitKey(key, filePart, name);
    const std::string path = s_folder + filePart;
    if (filePart.empty()) {
        ScriptLog("no file in the script key \"" + key + "\"");
        return;
    }
    std::optional<TScriptFile> own;
    if (file == nullptr) {
        file = &own.emplace(path);
    }
    if (!ReadBody(*file, name, path + " (" + m_key + ")")) {
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

bool TScript::ReadBody(TScriptFile& file, const std::string& name, const std::string& where)
{
    std::uint32_t offset = 0;
    switch (file.Find(name, offset)) {
    case TScriptFile::kUnreadable:
        ScriptLog("cannot open " + where);
        return false;
    case TScriptFile::kBrokenDirectory:
        ScriptLog("broken directory in " + where);
        return false;
    case TScriptFile::kMissing:
        ScriptLog("no script named \"" + name + "\" in " + where);
        return false;
    case TScriptFile::kFound:
        break;
    }
    std::optional<TByteReader> body;
    if (!file.ReadFrom(offset, body)) {
        ScriptLog("script body beyond the end of " + where);
        return false;
    }
    TByteReader& in = *body;
    std::uint32_t count = 0;
    if (!in.U32(count) || !in.Fits(count, 4)) {
        ScriptLog("broken statement count in " + where);
        return false;
    }
    std::vector<std::string> texts;
    std::vector<std::uint32_t> kinds;
    for (std::uint32_t s = 0; s < count; ++s) {
        const std::size_t start = in.Position();
        std::uint32_t tokens = 0;
        // Each token takes its kind and its text length at least.
        bool whole = in.U32(tokens) && in.Fits(tokens, 8);
        kinds.assign(whole ? tokens : 0, 0);
        texts.assign(whole ? tokens : 0, std::string());
        for (std::uint32_t t = 0; whole && t < tokens; ++t) {
            whole = in.U32(kinds[t]);
        }
        for (std::uint32_t t = 0; whole && t < tokens; ++t) {
            whole = ReadText(in, texts[t], true);
        }
        if (!whole) {
            ScriptLog("statement " + std::to_string(s) + " cut short in " + where);
            return false;
        }
        // Its bytes unscrambled, and for each token a text and a node made.
        ScriptWork::CountBytes(in.Position() - start);
        ScriptWork::CountLinks(tokens);
        if (in.Position() - start > kMaxStatementBytes) {
            ScriptLog("statement " + std::to_string(s) + " of " + where + " is longer than " +
                      std::to_string(kMaxStatementBytes) + " bytes; skipped");
            continue;
        }
        TRefPtr<TScriptStatement> statement = TScriptStatement::Create(texts, kinds, this);
        if (statement.Get() == nullptr) {
            ScriptLog("statement " + std::to_string(s) + " of " + where + " is no statement; skipped");
            continue;
        }
        AddStatement(statement);
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
