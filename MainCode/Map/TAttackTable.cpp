#include "MainCode/Map/TAttackTable.h"

#include <cstdio>

#include "MainCode/Map/TAttackTableFile.h"
#include "platform/text/cp932.h"

void TAttackTable::Load(const std::string& name)
{
    ++s_loads;
    s_records.clear();
    const std::string path = s_folder + name;
    TAttackTableFile reader;
    const bool whole = reader.Load(path);
    for (const TAttackRecord& record : reader.CopyRecords()) {
        s_records[record.Id] = record;
    }
    if (!whole) {
        // The fight goes on with the records read whole (or the defaults); tell the maintainer.
        const std::string line = "attack table missing or cut short, " + std::to_string(s_records.size()) +
                                 " records kept : " + path + "\n";
        std::fputs(platform::Cp932ToUtf8(line).c_str(), stderr);
    }
}

const TAttackRecord& TAttackTable::Get(std::uint32_t id)
{
    const auto it = s_records.find(id);
    if (it != s_records.end()) {
        return it->second;
    }
    // Creates the default id-0 record when none was loaded.
    return s_records[0];
}
