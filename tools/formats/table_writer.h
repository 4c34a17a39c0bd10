// Writer of ".tbl" table files: the common header, plain or scrambled, then records whose
// fields are always scrambled (number key for numbers and lengths, text key for text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/byte_writer.h"

namespace qmtest {

// Scrambles one field: byte i becomes the complement of the plain byte rotated left by (key + i) mod 8.
std::vector<std::uint8_t> ScrambleField(const std::vector<std::uint8_t>& plain, std::uint8_t key);

class TableWriter {
public:
    explicit TableWriter(bool scrambledHeader) : scrambledHeader_(scrambledHeader) {}

    TableWriter& Column(std::string name, std::uint32_t value);
    // Record fields, always scrambled.
    TableWriter& Number(std::uint32_t value);
    TableWriter& Int(std::int32_t value) { return Number(static_cast<std::uint32_t>(value)); }
    TableWriter& Float(float value);
    TableWriter& Byte(std::uint8_t value);
    TableWriter& Text(std::string_view text);  // length with the NUL, then the text and the NUL
    TableWriter& EndRecord() { ++records_; return *this; }
    // Overrides the record count written in the header (for damaged files).
    TableWriter& RecordCount(std::uint32_t count) { forcedCount_ = count; hasForcedCount_ = true; return *this; }

    std::vector<std::uint8_t> Build() const;
    void Save(const std::string& path) const;

private:
    bool scrambledHeader_;
    std::vector<std::pair<std::string, std::uint32_t>> columns_;
    ByteWriter recordBytes_;
    std::uint32_t records_ = 0;
    std::uint32_t forcedCount_ = 0;
    bool hasForcedCount_ = false;
};

// A sound id table ("se.tbl"): {id, file name} records.
std::vector<std::uint8_t> BuildSoundTable(const std::vector<std::pair<std::uint32_t, std::string>>& records,
                                          bool scrambledHeader = true);
// A sound list file ("subset/menu_se.tbl"): id records.
std::vector<std::uint8_t> BuildSoundList(const std::vector<std::uint32_t>& ids, bool scrambledHeader = true);

}  // namespace qmtest
