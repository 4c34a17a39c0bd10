// Reading of ".tbl" files: the byte scrambling and the common table header.
//
// A scrambled field of n bytes stores, at index i, the complement of the plain byte rotated
// left by (key + i) mod 8. Numbers and string lengths use the number key, string text the
// text key. Records are read by each table's own reader, field by field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TByteReader;

constexpr std::uint8_t kTableNumberKey = 0;
constexpr std::uint8_t kTableTextKey = 4;

// Undoes the scrambling of one field in place.
void UnscrambleBytes(std::uint8_t* bytes, std::uint32_t n, std::uint8_t key);

// Reads n bytes and unscrambles them; false when they run past the end.
bool ReadScrambledBytes(TByteReader& in, std::uint8_t* buffer, std::uint32_t n, std::uint8_t key);
// A u32 scrambled with the number key.
bool ReadScrambledDword(TByteReader& in, std::uint32_t& value);
// A u32 length (number key) then that many bytes of text (text key); the text before the first
// NUL. A length beyond the bytes left fails before anything is allocated.
bool ReadScrambledString(TByteReader& in, std::string& out);

struct TableHeader {
    std::uint32_t recordCount = 0;
    std::vector<std::string> columnNames;
    std::vector<std::uint32_t> columnValues;
};

// Reads the flag, the record and column counts, the column names and values (plain or
// scrambled as the flag says). A column count that the bytes left cannot hold fails, and so
// does a record count when fewer than minRecordSize bytes are left for each record.
bool ReadTableHeader(TByteReader& in, std::uint32_t minRecordSize, TableHeader& header);
