#include "MainCode/Script/TScriptFile.h"

#include "MainCode/Script/ScriptWork.h"
#include "platform/win32/folder_listing.h"

namespace {

std::uint64_t PurposePrice(TScriptFileOpening::Purpose purpose)
{
    switch (purpose) {
    case TScriptFileOpening::kFirstCall: return ScriptPrice::kFileOpened;
    case TScriptFileOpening::kLook: return ScriptPrice::kFileChecked;
    case TScriptFileOpening::kBody: return ScriptPrice::kFileReopened;
    case TScriptFileOpening::kPushed:
    case TScriptFileOpening::kResumed: break;
    }
    return 0;
}

}  // namespace

TScriptFileOpening::TScriptFileOpening(const std::string& path, Purpose purpose, std::uint64_t end) : m_file(path)
{
    const std::uint64_t price = PurposePrice(purpose);
    ScriptWork::Count(price);
    const std::uint64_t entries = platform::FolderEntriesRead();
    const std::uint64_t bytes = platform::FolderNameBytesRead();
    const std::uint64_t steps = platform::PathStepsAsked();
    bool opened = false;
    if (end == UINT64_MAX) {
        opened = m_file.Open(true, GENERIC_READ);
    } else {
        // The folders the system reads to find a name spelled in another case (or not there at
        // all) are read no further than the frame's work reaches.
        const std::uint64_t worked = ScriptWork::Tokens();
        const platform::FolderReadLimit limit(end > worked ? end - worked : 0, ScriptPrice::kFolderEntry,
                                              ScriptPrice::kFolderNameByte);
        opened = m_file.Open(true, GENERIC_READ);
    }
    m_error = opened ? ERROR_SUCCESS : GetLastError();
    ScriptWork::CountFolderRead((platform::FolderEntriesRead() - entries) * ScriptPrice::kFolderEntry +
                                (platform::FolderNameBytesRead() - bytes) * ScriptPrice::kFolderNameByte);
    ScriptWork::Count((platform::PathStepsAsked() - steps) * ScriptPrice::kPathStep);
    if (opened) {
        m_stamp = platform::StampOf(m_file.GetHandle());
        m_reader.emplace(m_file);
    }
}

TScriptFileOpening::~TScriptFileOpening()
{
    // The reader first: it puts the file back where it stopped.
    m_reader.reset();
}

bool TScriptFileOpening::Pending() const
{
    return m_error == ERROR_IO_PENDING;
}

TScriptFile::TScriptFile(TScriptFileOpening& opening, std::uint64_t end) : m_stamp(opening.Stamp())
{
    TByteReader& in = opening.Reader();
    in.Seek(0);
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

TScriptFile::Lookup TScriptFile::Find(std::string_view name, std::uint32_t& offset) const
{
    auto found = m_offsets.find(name);
    if (found == m_offsets.end()) {
        return m_broken ? kBrokenDirectory : m_tooLong ? kTooLong : kMissing;
    }
    offset = found->second;
    return kFound;
}
