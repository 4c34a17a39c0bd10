// Writers of the game's table files ("item.tbl", "skill.tbl", "svp.tbl", "hrdef.tbl",
// "wepon.tbl", "accessory.tbl", "itemmean.tbl"): the common header, then each record's
// fields one after the other in file order, always scrambled.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "formats/table_writer.h"

namespace qmtest {

void WriteRecord(TableWriter& out, const TItemRecord& r);
void WriteRecord(TableWriter& out, const TSkillRecord& r);
void WriteRecord(TableWriter& out, const TSvpRecord& r);
void WriteRecord(TableWriter& out, const THrdefRecord& r);
void WriteRecord(TableWriter& out, const TWeponRecord& r);
void WriteRecord(TableWriter& out, const TAccessoryRecord& r);
void WriteRecord(TableWriter& out, const TItemMeanRecord& r);

// A whole table file of the records, in order.
template <typename Record>
std::vector<std::uint8_t> BuildGameTable(const std::vector<Record>& records, bool scrambledHeader = true)
{
    TableWriter writer(scrambledHeader);
    writer.Column("ID", 0).Column("NAME", 1);
    for (const Record& record : records) {
        WriteRecord(writer, record);
        writer.EndRecord();
    }
    return writer.Build();
}

}  // namespace qmtest
