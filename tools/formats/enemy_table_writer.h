// Writer of "enemy.tbl": the common table header (plain or scrambled), then each enemy record's
// fields in file order, always scrambled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Character/TEnemyRecord.h"
#include "formats/table_writer.h"

namespace qmtest {

// Every field; an empty string is written with length 0 and no text bytes.
void WriteRecord(TableWriter& out, const TEnemyRecord& r);

std::vector<std::uint8_t> BuildEnemyTable(const std::vector<TEnemyRecord>& records, bool scrambledHeader = true);

// A record with every field set apart from the others, named by its id.
TEnemyRecord SampleEnemyRecord(std::uint32_t id);

}  // namespace qmtest

namespace qmtest {

// The enemy table start-up reads, "data/tbl04/enemy.tbl" in a game folder, without records.
void SaveStartupEnemyTable(const std::string& gameFolder);

}  // namespace qmtest
