#include "MainCode/GameData/TGameTable.h"

#include <utility>

bool LoadTableFile(const std::string& path, std::uint8_t& scrambled, std::uint32_t& recordCount,
                   std::uint32_t& nameCount, std::vector<std::string>& names, std::vector<std::uint32_t>& values,
                   const std::function<bool(TByteReader&)>& readRecords)
{
    // Data: read-only.
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes) || bytes.empty()) {
        return false;
    }
    // The flag is kept; the header reader reads it again.
    scrambled = bytes[0];
    TByteReader in(bytes, path);
    TableHeader header;
    // No size check on the count: a cut file keeps the records it holds whole.
    if (!ReadTableHeader(in, 0, header)) {
        return false;
    }
    recordCount = header.recordCount;
    nameCount = static_cast<std::uint32_t>(header.columnNames.size());
    for (std::string& name : header.columnNames) {
        names.push_back(std::move(name));
    }
    values.insert(values.end(), header.columnValues.begin(), header.columnValues.end());
    return readRecords(in);
}
