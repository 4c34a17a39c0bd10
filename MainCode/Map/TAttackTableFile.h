// The reader of one ".bht" attack-table file: the common table header (plain or scrambled), then
// the attack records, always plain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Map/TAttackRecord.h"

class TAttackTableFile {
    friend struct TMapProbe;
public:
    TAttackTableFile() = default;
    virtual ~TAttackTableFile() = default;
    TAttackTableFile(const TAttackTableFile&) = delete;
    TAttackTableFile& operator=(const TAttackTableFile&) = delete;

    // False when the file cannot be opened or any read comes up short; the records read whole
    // before that stay.
    virtual bool Load(const std::string& path);
    virtual void Clear();
    // The i-th record in file order; a default record past the end.
    virtual TAttackRecord GetRecord(std::size_t i) const;
    virtual std::vector<TAttackRecord> CopyRecords() const { return m_records; }


private:
    std::string m_path;
    std::uint8_t m_scrambled = 0;
    std::uint32_t m_recordCount = 0;
    std::uint32_t m_nameCount = 0;
    std::vector<std::string> m_names;
    std::vector<std::uint32_t> m_values;
    std::vector<TAttackRecord> m_records;
};
