#include "dx/dx8/sound/TSoundListReader.h"

#include "TCommon/TByteReader.h"

bool TSoundListReader::Load(const std::string& path)
{
    // As the sound table: a load replaces the contents, all or nothing.
    Clear();
    // Tables are data: read-only, shared with other readers.
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return false;
    }
    TByteReader in(bytes, path);
    TableHeader header;
    if (!ReadTableHeader(in, 4, header)) {
        return false;
    }
    std::vector<std::uint32_t> ids;
    for (std::uint32_t i = 0; i < header.recordCount; ++i) {
        std::uint32_t id = 0;
        if (!ReadScrambledDword(in, id)) {
            return false;
        }
        ids.push_back(id);
    }
    m_header = header;
    m_ids = std::move(ids);
    return true;
}

void TSoundListReader::Clear()
{
    m_header = TableHeader();
    m_ids.clear();
}

std::uint32_t TSoundListReader::EntryAt(std::size_t i) const
{
    return i < m_ids.size() ? m_ids[i] : 0;
}

std::vector<std::uint32_t> TSoundListReader::GetEntries() const
{
    return m_ids;
}
