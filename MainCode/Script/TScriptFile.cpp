#include "MainCode/Script/TScriptFile.h"

#include "MainCode/Script/ScriptWork.h"
#include "MainCode/Script/TScript.h"
#include "platform/win32/file.h"

namespace {

// Opens the file to read. A name not there as written makes the system read its folder to look
// for it in another case: the entries it read are this opening's work too, counted here.
bool OpenCounted(TFile& file, DWORD& error)
{
    const std::uint64_t entries = platform::FolderEntriesRead();
    const bool opened = file.Open(true, GENERIC_READ);
    error = opened ? ERROR_SUCCESS : GetLastError();
    ScriptWork::Count((platform::FolderEntriesRead() - entries) * ScriptPrice::kFolderEntry);
    return opened;
}

std::uint64_t Ticks(const FILETIME& time)
{
    return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

TScriptFile::Identity IdentityOf(HANDLE handle)
{
    TScriptFile::Identity identity;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        return identity;
    }
    identity.known = true;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
    identity.size = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    identity.written = Ticks(info.ftLastWriteTime);
    // The creation time is the file's last status change on this platform.
    identity.changed = Ticks(info.ftCreationTime);
    return identity;
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
    m_reader.reset();
    if (!OpenCounted(m_file, m_error)) {
        return false;
    }
    m_open = true;
    m_identity = IdentityOf(m_file.GetHandle());
    m_reader.emplace(m_file);
    return true;
}

void TScriptFile::ReadDirectory()
{
    m_offsets.clear();
    m_broken = false;
    m_tooLong = false;
    TByteReader& in = *m_reader;
    in.Seek(0);
    const std::uint64_t end = TScript::LoadEnd();
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
        std::uint32_t entryOffset = 0;
        if (!in.String(entry) || !in.U32(entryOffset)) {
            m_broken = true;
            break;
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
    const Identity read = m_identity;
    ScriptWork::Count(ScriptPrice::kFileReopened);
    if (!OpenFile()) {
        return kUnreadable;
    }
    // Another file under the name, or this one rewritten since its directory was read: the body of
    // the name is where the file says now.
    if (!m_identity.Same(read)) {
        ++m_rereadings;
        ReadDirectory();
        found = Find(name, offset);
    }
    return found;
}

void TScriptFile::Close()
{
    // Closed first: the reader then has no file to put back where it stopped.
    if (m_open) {
        m_open = false;
        m_file.Close();
    }
    m_reader.reset();
}

bool TScriptFile::Unchanged()
{
    if (m_open) {
        return true;
    }
    ScriptWork::Count(ScriptPrice::kFileChecked);
    TFile probe(GetPath());
    DWORD error = ERROR_SUCCESS;
    if (!OpenCounted(probe, error)) {
        // Gone, or still not to be opened.
        return !m_read;
    }
    return m_read && IdentityOf(probe.GetHandle()).Same(m_identity);
}
