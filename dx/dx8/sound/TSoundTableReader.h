// Reader of the sound id tables ("se.tbl", "voice.tbl", "bgm.tbl"): id → file name records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dx/dx8/sound/ScrambledTable.h"

struct TSoundTableEntry {
    std::uint32_t id = 0;
    std::string name;
};

class TSoundTableReader {
public:
    TSoundTableReader() = default;
    virtual ~TSoundTableReader() = default;

    // Reads the whole file in place of what the reader held; on failure the reader is left empty.
    virtual bool Load(const std::string& path);
    virtual void Clear();
    // The i-th record in file order; an empty record past the end.
    virtual TSoundTableEntry EntryAt(std::size_t i) const;
    virtual std::vector<TSoundTableEntry> GetEntries() const;

private:
    TableHeader m_header;
    std::vector<TSoundTableEntry> m_entries;
};
