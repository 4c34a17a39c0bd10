#include "MainCode/Script/TScript.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScriptStatement.h"
#include "TCommon/FileFailure.h"
#include "platform/win32/error.h"

std::string TScript::s_folder;
TScript* TScript::s_running = nullptr;

// An open file read from any offset through a buffer: the system is asked for a block at a time
// (4 KiB first, doubling up to 64 KiB, so a short body costs a short read) and fields come out
// of memory. Nothing is read past the size the file had when it was opened.
class TScriptFileReader {
public:
    TScriptFileReader(HANDLE handle, std::uint64_t size) : m_handle(handle), m_size(size) {}

    std::uint64_t Position() const { return m_start + m_pos; }
    std::uint64_t Left() const { return m_size - Position(); }
    // Whether count records of at least recordBytes each can still follow.
    bool Fits(std::uint64_t count, std::uint64_t recordBytes) const { return count <= Left() / recordBytes; }

    // To an offset from the start, no further than the end; within the bytes held, nothing is read.
    bool Seek(std::uint64_t position)
    {
        if (position > m_size) {
            return false;
        }
        if (position >= m_start && position <= m_start + m_end) {
            m_pos = static_cast<std::size_t>(position - m_start);
            return true;
        }
        m_start = position;
        m_pos = m_end = 0;
        return true;
    }
    bool Skip(std::uint64_t n) { return n <= Left() && Seek(Position() + n); }

    bool U32(std::uint32_t& value)
    {
        if (m_end - m_pos < 4 && !Need(4)) {
            return false;
        }
        const std::uint8_t* b = m_buffer.get() + m_pos;
        value = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
        m_pos += 4;
        return true;
    }
    // n bytes (n no more than a block) held in memory until the next read; null when the file ends first.
    const std::uint8_t* Take(std::size_t n)
    {
        if (m_end - m_pos < n && !Need(n)) {
            return nullptr;
        }
        const std::uint8_t* at = m_buffer.get() + m_pos;
        m_pos += n;
        return at;
    }
    // n bytes, however many, appended to out.
    bool Append(std::string& out, std::uint64_t n)
    {
        if (n > Left()) {
            return false;
        }
        while (n > 0) {
            const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(n, kMaxBlock));
            const std::uint8_t* at = Take(piece);
            if (at == nullptr) {
                return false;
            }
            out.append(reinterpret_cast<const char*>(at), piece);
            n -= piece;
        }
        return true;
    }

private:
    static constexpr std::size_t kFirstBlock = 4096;
    static constexpr std::size_t kMaxBlock = 65536;

    // At least n bytes (n no more than a block) held from the position on.
    bool Need(std::size_t n)
    {
        if (n > Left()) {
            return false;
        }
        if (m_pos != 0) {
            std::memmove(m_buffer.get(), m_buffer.get() + m_pos, m_end - m_pos);
            m_start += m_pos;
            m_end -= m_pos;
            m_pos = 0;
        }
        while (m_end < n) {
            const std::uint64_t at = m_start + m_end;
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(m_block, n - m_end), m_size - at));
            if (m_capacity < m_end + want) {
                // Not cleared: only what the system wrote into it is ever read.
                std::unique_ptr<std::uint8_t[]> larger(new std::uint8_t[m_end + want]);
                if (m_end != 0) {
                    std::memcpy(larger.get(), m_buffer.get(), m_end);
                }
                m_buffer = std::move(larger);
                m_capacity = m_end + want;
            }
            if (at != m_filePos) {
                LONG high = static_cast<LONG>(at >> 32);
                if (SetFilePointer(m_handle, static_cast<LONG>(at), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
                    GetLastError() != ERROR_SUCCESS) {
                    return false;
                }
                m_filePos = at;
            }
            DWORD got = 0;
            // A file cut since it was opened ends the reading.
            if (!ReadFile(m_handle, m_buffer.get() + m_end, static_cast<DWORD>(want), &got, nullptr) || got == 0) {
                m_filePos = UINT64_MAX;
                return false;
            }
            m_end += got;
            m_filePos += got;
            m_block = std::min(m_block * 2, kMaxBlock);
        }
        return true;
    }

    HANDLE m_handle;
    std::uint64_t m_size;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_block = kFirstBlock;
    // The buffer holds the file's bytes from m_start up to m_start + m_end; reads go on at m_pos.
    std::uint64_t m_start = 0;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    // Where the system's own position stands.
    std::uint64_t m_filePos = 0;
};

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

// Where a load stops: after a frame's work when a statement makes it (a CALL, a module starting a
// script), so that the run ends with it as the budget ends any; a load made between frames (a
// scene starting its script) reads the whole file.
std::uint64_t LoadEnd()
{
    return TScript::Running() != nullptr ? ScriptWork::Tokens() + ScriptPrice::kFrameTokens : UINT64_MAX;
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

TScriptFile::TScriptFile(const std::string& path, Hold hold) : m_file(path)
{
    if (!OpenFile()) {
        return;
    }
    m_read = true;
    ReadDirectory();
    if (hold == kClose) {
        Close();
    }
}

TScriptFile::~TScriptFile()
{
    // The file itself is closed by its own destructor.
    m_reader.reset();
}

bool TScriptFile::OpenFile()
{
    errno = 0;
    if (!m_file.Open(true, GENERIC_READ)) {
        // A file that is not there is said to be missing by "cannot open" alone; any other cause
        // (no descriptor left, a loop of links, a folder of that name) is told.
        const int error = errno;
        m_reason = error == ENOENT ? std::string() : error != 0 ? std::strerror(error) : SystemErrorText(GetLastError());
        return false;
    }
    m_reason.clear();
    m_open = true;
    HANDLE handle = m_file.GetHandle();
    DWORD high = 0;
    const DWORD low = GetFileSize(handle, &high);
    // A size that cannot be told leaves nothing to read.
    const bool sized = low != INVALID_FILE_SIZE || GetLastError() == ERROR_SUCCESS;
    const std::uint64_t size = sized ? (std::uint64_t{high} << 32 | low) : 0;
    FILETIME written{};
    GetFileTime(handle, nullptr, nullptr, &written);
    m_size = size;
    m_time = std::uint64_t{written.dwHighDateTime} << 32 | written.dwLowDateTime;
    m_reader = std::make_unique<TScriptFileReader>(handle, size);
    return true;
}

void TScriptFile::ReadDirectory()
{
    m_offsets.clear();
    m_broken = false;
    m_tooLong = false;
    TScriptFileReader& in = *m_reader;
    in.Seek(0);
    const std::uint64_t end = LoadEnd();
    std::uint32_t entries = 0;
    // An entry is at least its name length and its offset.
    if (!in.U32(entries) || !in.Fits(entries, 8)) {
        m_broken = true;
    }
    std::string entry;
    for (std::uint32_t i = 0; !m_broken && i < entries; ++i) {
        if (ScriptWork::Tokens() + ScriptPrice::Bytes(in.Position()) >= end) {
            m_tooLong = true;
            break;
        }
        std::uint32_t length = 0;
        std::uint32_t entryOffset = 0;
        entry.clear();
        if (!in.U32(length) || !in.Append(entry, length) || !in.U32(entryOffset)) {
            m_broken = true;
            break;
        }
        const std::size_t nul = entry.find('\0');
        if (nul != std::string::npos) {
            entry.resize(nul);
        }
        // The first script of a name is the one found.
        ScriptWork::CountLinks(1);
        m_offsets.try_emplace(std::move(entry), entryOffset);
    }
    ScriptWork::CountBytes(in.Position());
}

TScriptFile::Lookup TScriptFile::Find(const std::string& name, std::uint32_t& offset) const
{
    if (!m_read) {
        return kUnreadable;
    }
    auto found = m_offsets.find(name);
    if (found == m_offsets.end()) {
        return m_broken ? kBrokenDirectory : m_tooLong ? kTooLong : kMissing;
    }
    offset = found->second;
    return kFound;
}

TScriptFile::Lookup TScriptFile::OpenFor(const std::string& name, std::uint32_t& offset)
{
    Lookup found = Find(name, offset);
    if (found != kFound || m_open) {
        return found;
    }
    const std::uint64_t size = m_size;
    const std::uint64_t time = m_time;
    ScriptWork::Count(ScriptPrice::kFileReopened);
    if (!OpenFile()) {
        return kUnreadable;
    }
    // Rewritten since its directory was read: the body of the name is where the file says now.
    if (m_size != size || m_time != time) {
        ReadDirectory();
        found = Find(name, offset);
    }
    return found;
}

void TScriptFile::Close()
{
    m_reader.reset();
    if (m_open) {
        m_open = false;
        m_file.Close();
    }
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
        file = &own.emplace(path, TScriptFile::kHoldForBody);
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
    // However the reading ends, the file is closed: a manager holds no descriptor between loads.
    struct Closing {
        TScriptFile& file;
        ~Closing() { file.Close(); }
    } closing{file};
    std::uint32_t offset = 0;
    switch (file.OpenFor(name, offset)) {
    case TScriptFile::kUnreadable:
        ScriptLog("cannot open " + where + (file.Reason().empty() ? "" : ": " + file.Reason()));
        return false;
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
    TScriptFileReader& in = *file.m_reader;
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
        const std::uint64_t start = in.Position();
        std::uint32_t tokens = 0;
        // Each token takes its kind and its text length at least.
        bool whole = in.U32(tokens) && in.Fits(tokens, 8);
        // A statement longer than the limit is walked over, token by token, its texts unread; what
        // the walk reads is charged as it goes, so that a walk of millions of tokens stops with the load.
        bool skipping = whole && 4 + 8 * std::uint64_t{tokens} > kMaxStatementBytes;
        std::uint64_t unread = 0;
        std::uint32_t walked = 0;
        if (skipping) {
            unread = 4 * std::uint64_t{tokens};
            in.Skip(unread);
        } else if (whole) {
            kinds.resize(tokens);
            texts.resize(tokens);
            for (std::uint32_t t = 0; whole && t < tokens; ++t) {
                whole = in.U32(kinds[t]);
            }
        }
        for (std::uint32_t t = 0; whole && t < tokens; ++t) {
            std::uint32_t length = 0;
            whole = in.U32(length) && in.Fits(length, 1);
            if (!whole) {
                break;
            }
            skipping = skipping || in.Position() + length - start > kMaxStatementBytes;
            if (!skipping) {
                const std::uint8_t* stored = in.Take(length);
                whole = stored != nullptr;
                if (whole) {
                    Unscrambled(stored, length, texts[t]);
                }
                continue;
            }
            in.Skip(length);
            unread += length;
            if (t % 1024 == 1023) {
                ScriptWork::Count(1024 * ScriptPrice::kTokenWalked);
                walked += 1024;
                if (ScriptWork::Tokens() >= end) {
                    ScriptLog("loading " + where + " stopped in statement " + std::to_string(s) + " of " +
                              std::to_string(count) + ": a frame's work");
                    return false;
                }
            }
        }
        if (!whole) {
            ScriptLog("statement " + std::to_string(s) + " cut short in " + where);
            return false;
        }
        if (noStatement + tooLong == 0) {
            firstSkipped = s;
        }
        if (skipping) {
            // What was read of it, each token walked, and the record looked at.
            ScriptWork::CountBytes(in.Position() - start - unread);
            ScriptWork::Count((tokens - walked) * ScriptPrice::kTokenWalked);
            ScriptWork::CountLinks(1);
            ++tooLong;
            continue;
        }
        // Its bytes unscrambled, and for each token a text and a node made; a record of none is
        // still a record looked at.
        ScriptWork::CountBytes(in.Position() - start);
        ScriptWork::CountLinks(std::max<std::uint32_t>(tokens, 1));
        TRefPtr<TScriptStatement> statement = TScriptStatement::Create(texts, kinds, this);
        if (statement.Get() == nullptr) {
            ++noStatement;
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
