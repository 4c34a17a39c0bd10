#include "dx/dx8/sound/TSoundListReader.h"

#include "TCommon/TFile.h"

bool TSoundListReader::Load(const std::string& path)
{
    TFile file(path);
    // Tables are data: read-only, shared with other readers.
    if (!file.Open(true, GENERIC_READ)) {
        return false;
    }
    if (!ReadTableHeader(file, 4, header_)) {
        return false;
    }
    for (std::uint32_t i = 0; i < header_.recordCount; ++i) {
        std::uint32_t id = 0;
        if (!ReadScrambledDword(file, id)) {
            return false;
        }
        ids_.push_back(id);
    }
    file.Close();
    return true;
}

void TSoundListReader::Clear()
{
    header_ = TableHeader();
    ids_.clear();
}

std::uint32_t TSoundListReader::EntryAt(std::size_t i) const
{
    return i < ids_.size() ? ids_[i] : 0;
}

std::vector<std::uint32_t> TSoundListReader::GetEntries() const
{
    return ids_;
}
