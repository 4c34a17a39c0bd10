// Writer of ".bht" attack-table files: the common table header, plain or scrambled, then the
// 76-byte attack records, always plain.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "MainCode/Map/TAttackRecord.h"

namespace qmtest {

struct BhtFile {
    bool scrambled = false;
    std::vector<std::pair<std::string, std::uint32_t>> columns{{"ID", 0}, {"KIND", 1}};
    std::vector<TAttackRecord> records;
    // The count written in the header; the number of records when negative (a count that lies
    // otherwise).
    std::int64_t recordCount = -1;

    std::vector<std::uint8_t> Build() const;
    void Save(const std::string& path) const;
};

// One record as the file stores it.
std::vector<std::uint8_t> AttackRecordBytes(const TAttackRecord& record);

}  // namespace qmtest
