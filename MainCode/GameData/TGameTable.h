// What every game table shares: scrambled record fields, the reader of a table file into its
// records in file order, and the process-wide map of records by id.
//
// Record fields are stored one after the other and always scrambled, whatever the header flag
// says: numbers with the number key, strings as a length (number key) and text (text key).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TCommon/TByteReader.h"
#include "dx/dx8/sound/ScrambledTable.h"

namespace tablefield {

inline bool Read(TByteReader& in, std::uint8_t& value)
{
    return ReadScrambledBytes(in, &value, 1, kTableNumberKey);
}

inline bool Read(TByteReader& in, std::uint32_t& value)
{
    return ReadScrambledDword(in, value);
}

inline bool Read(TByteReader& in, std::int32_t& value)
{
    std::uint32_t raw = 0;
    if (!ReadScrambledDword(in, raw)) {
        return false;
    }
    value = static_cast<std::int32_t>(raw);
    return true;
}

inline bool Read(TByteReader& in, float& value)
{
    std::uint32_t raw = 0;
    if (!ReadScrambledDword(in, raw)) {
        return false;
    }
    value = std::bit_cast<float>(raw);
    return true;
}

inline bool Read(TByteReader& in, std::string& value)
{
    return ReadScrambledString(in, value);
}

template <typename T, std::size_t N>
bool Read(TByteReader& in, T (&values)[N])
{
    for (T& value : values) {
        if (!Read(in, value)) {
            return false;
        }
    }
    return true;
}

// The fields in order; false at the first one that cannot be read.
template <typename... Fields>
bool ReadFields(TByteReader& in, Fields&... fields)
{
    return (Read(in, fields) && ...);
}

}  // namespace tablefield

// Opens a table file read-only, keeps its scrambled flag and reads its header: the record and
// column counts are set, the column names and values appended. readRecords then reads on from
// the end of the header. False when the file cannot be opened or the header read.
bool LoadTableFile(const std::string& path, std::uint8_t& scrambled, std::uint32_t& recordCount,
                   std::uint32_t& nameCount, std::vector<std::string>& names, std::vector<std::uint32_t>& values,
                   const std::function<bool(TByteReader&)>& readRecords);

// Reads a whole table file. Records are read until the count is reached or a record cannot be
// read whole; a record cut short is dropped, the ones before it stay.
template <typename Record>
class TGameTableReader {
public:
    TGameTableReader() = default;
    virtual ~TGameTableReader() = default;

    virtual bool Load(const std::string& path)
    {
        m_path = path;
        // Tables are data: opened read-only.
        std::vector<std::uint8_t> bytes;
        if (!ReadWholeFile(path, bytes)) {
            return false;
        }
        // No size check on the count: a short file keeps the records it holds whole.
        TByteReader in(bytes, path);
        if (!ReadTableHeader(in, 0, m_header)) {
            return false;
        }
        for (std::uint32_t i = 0; i < m_header.recordCount; ++i) {
            Record record;
            if (!record.Read(in)) {
                return false;
            }
            m_records.push_back(std::move(record));
        }
        return true;
    }

    virtual void Clear()
    {
        m_header = TableHeader();
        m_records.clear();
    }

    // The i-th record in file order; a default record past the end.
    virtual Record EntryAt(std::size_t i) const { return i < m_records.size() ? m_records[i] : Record(); }

    virtual std::vector<Record> GetEntries() const { return m_records; }

private:
    std::string m_path;
    TableHeader m_header;
    std::vector<Record> m_records;
};

// How a second load treats the records already there.
enum class TableLoad {
    Replace,  // the main tables: emptied first
    Merge,    // the equipment tables: kept, a record of the new file replaces one of the same id
};

// One map of records by id for the whole run.
template <typename Record, TableLoad Mode>
class TGameTable {
    friend struct TGameDataProbe;
public:
    // A later record under an id already read replaces it. The reader's result is not looked
    // at: a missing or cut file leaves the records read whole.
    static void Load(const std::string& path)
    {
        if constexpr (Mode == TableLoad::Replace) {
            s_records.clear();
        }
        TGameTableReader<Record> reader;
        reader.Load(path);
        for (const Record& record : reader.GetEntries()) {
            s_records[static_cast<std::uint32_t>(record.Id)] = record;
        }
    }

    // An id the table lacks is first given a default record.
    static Record& Get(std::uint32_t id) { return s_records[id]; }
    static bool Contains(std::uint32_t id) { return s_records.count(id) != 0; }
    static void Clear() { s_records.clear(); }

private:
    static inline std::map<std::uint32_t, Record> s_records;
};
