// The one attack table of the program: attack records by id, filled from a ".bht" file in the
// attack-table folder. A battle area loads it while its map is built and empties it at its end.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "MainCode/Map/TAttackRecord.h"

class TAttackTable {
    friend struct TMapProbe;
public:
    static void SetDirectory(const std::string& folder) { s_folder = folder; }

    // Empties the table and enters every whole record of folder + name under its id, a later
    // record replacing an earlier one of the same id. A missing or cut file keeps what was read
    // whole and says so on stderr.
    static void Load(const std::string& name);
    static void Clear() { s_records.clear(); }
    // How many loads have run: an area that loaded the table tells by it whether a later one has
    // refilled it since.
    static std::uint32_t GetLoadCount() { return s_loads; }
    // The record of the id, else the id-0 record (made with the defaults when missing). The
    // reference holds until the table is emptied.
    static const TAttackRecord& Get(std::uint32_t id);

private:
    static inline std::string s_folder;
    static inline std::map<std::uint32_t, TAttackRecord> s_records;
    static inline std::uint32_t s_loads = 0;
};
