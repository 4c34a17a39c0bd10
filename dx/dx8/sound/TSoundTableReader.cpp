#include "dx/dx8/sound/TSoundTableReader.h"

#include "TCommon/TFile.h"

bool TSoundTableReader::Load(const std::string& path)
{
    TFile file(path);
    // Tables are data: read-only, shared with other readers.
    if (!file.Open(true, GENERIC_READ)) {
        return false;
    }
    // A record is at least an id and a name length.
    if (!ReadTableHeader(file, 8, header_)) {
        return false;
    }
    for (std::uint32_t i = 0; i < header_.recordCount; ++i) {
        TSoundTableEntry entry;
        if (!ReadScrambledDword(file, entry.id) || !ReadScrambledString(file, entry.name)) {
            return false;
        }
        entries_.push_back(std::move(entry));
    }
    file.Close();
    return true;
}

void TSoundTableReader::Clear()
{
    header_ = TableHeader();
    entries_.clear();
}

TSoundTableEntry TSoundTableReader::EntryAt(std::size_t i) const
{
    return i < entries_.size() ? entries_[i] : TSoundTableEntry();
}

std::vector<TSoundTableEntry> TSoundTableReader::GetEntries() const
{
    return entries_;
}
