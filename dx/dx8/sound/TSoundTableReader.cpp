#include "dx/dx8/sound/TSoundTableReader.h"

#include "TCommon/TByteReader.h"

bool TSoundTableReader::Load(const std::string& path)
{
    // A load replaces what the reader held, all or nothing: a failed one leaves it empty.
    Clear();
    // Tables are data: read-only, shared with other readers.
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return false;
    }
    // A record is at least an id and a name length.
    TByteReader in(bytes, path);
    TableHeader header;
    if (!ReadTableHeader(in, 8, header)) {
        return false;
    }
    std::vector<TSoundTableEntry> entries;
    for (std::uint32_t i = 0; i < header.recordCount; ++i) {
        TSoundTableEntry entry;
        if (!ReadScrambledDword(in, entry.id) || !ReadScrambledString(in, entry.name)) {
            return false;
        }
        entries.push_back(std::move(entry));
    }
    m_header = header;
    m_entries = std::move(entries);
    return true;
}

void TSoundTableReader::Clear()
{
    m_header = TableHeader();
    m_entries.clear();
}

TSoundTableEntry TSoundTableReader::EntryAt(std::size_t i) const
{
    return i < m_entries.size() ? m_entries[i] : TSoundTableEntry();
}

std::vector<TSoundTableEntry> TSoundTableReader::GetEntries() const
{
    return m_entries;
}
