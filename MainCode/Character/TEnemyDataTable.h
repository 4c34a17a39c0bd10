// "enemy.tbl": the reader of the file, and the one map from enemy id to record that lives for the
// whole run.
//
// The header words, names and name values are plain or scrambled as the file's flag says; the
// records are scrambled whatever the flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "MainCode/Character/TEnemyRecord.h"

class TByteReader;

// One record, field by field; false at the first field that cannot be read whole.
bool ReadEnemyRecord(TByteReader& in, TEnemyRecord& record);

class TEnemyDataTable {
    friend struct TCharacterProbe;
public:
    explicit TEnemyDataTable(const std::string& path = std::string()) : m_path(path) {}
    TEnemyDataTable(const TEnemyDataTable&) = delete;
    TEnemyDataTable& operator=(const TEnemyDataTable&) = delete;
    virtual ~TEnemyDataTable() = default;

    // An empty path uses the one the reader was made with. False when anything could not be read;
    // the records read whole before a cut stay.
    virtual bool Load(const std::string& path);
    virtual void Clear();
    // The i-th record in file order; a default record past the end.
    virtual TEnemyRecord GetRecord(std::size_t i) const;
    virtual std::vector<TEnemyRecord> GetRecords() const { return m_records; }
    virtual void ClearScrambledFlag() { m_scrambled = 0; }
    virtual void SetSecondFlag() { m_secondFlag = 1; }

    // Whether the last Load got past the header, names and name values.
    bool IsHeaderRead() const { return m_headerRead; }
    std::uint32_t GetRecordCount() const { return m_recordCount; }

    // The record of the id; an absent id is first given a default record.
    static TEnemyRecord& Find(std::uint32_t id) { return s_records[id]; }
    // A later record under an id already there replaces it.
    static void Insert(const TEnemyRecord& record) { s_records[record.id] = record; }
    // The record an enemy of the id is built from. A table without it is refused naming the table
    // and the id (and how far a cut table was read); nothing is inserted.
    static const TEnemyRecord& Require(std::uint32_t id);
    // The table and the id, for a refusal of what was built from the record.
    static std::string NameRecord(std::uint32_t id);

private:
    std::string m_path;
    std::uint8_t m_scrambled = 0;
    std::uint8_t m_secondFlag = 0;
    bool m_headerRead = false;
    std::uint32_t m_recordCount = 0;
    std::uint32_t m_nameCount = 0;
    std::vector<std::string> m_names;
    std::vector<std::uint32_t> m_values;
    std::vector<TEnemyRecord> m_records;

    static inline std::map<std::uint32_t, TEnemyRecord> s_records;
    // What the last LoadEnemyData read: the path, the records read whole and the count promised.
    static inline std::string s_path = "enemy.tbl";
    static inline std::size_t s_readWhole = 0;
    static inline std::uint32_t s_promised = 0;

    friend void LoadEnemyData(const std::string& path);
};

// Reads the file into the global table. A file that cannot be opened or whose header cannot be
// read throws my_error naming it; a cut record list keeps (and reports) the records before the cut,
// and an enemy of a record cut off is refused when a map asks for it.
void LoadEnemyData(const std::string& path);
