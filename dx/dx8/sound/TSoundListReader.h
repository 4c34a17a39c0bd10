// Reader of the sound list files ("subset/menu_se.tbl" and the like): one sound id per record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dx/dx8/sound/ScrambledTable.h"

class TSoundListReader {
public:
    TSoundListReader() = default;
    virtual ~TSoundListReader() = default;

    // Reads the whole file in place of what the reader held; on failure the reader is left empty.
    virtual bool Load(const std::string& path);
    virtual void Clear();
    // The i-th id in file order; 0 past the end.
    virtual std::uint32_t EntryAt(std::size_t i) const;
    virtual std::vector<std::uint32_t> GetEntries() const;

private:
    TableHeader m_header;
    std::vector<std::uint32_t> m_ids;
};
