#include "dx/dx8/sound/ScrambledTable.h"

#include "TCommon/TByteReader.h"

namespace {

std::uint8_t RotateRight(std::uint8_t value, unsigned shift)
{
    shift &= 7;
    return static_cast<std::uint8_t>((value >> shift) | (value << ((8 - shift) & 7)));
}

}  // namespace

void UnscrambleBytes(std::uint8_t* bytes, std::uint32_t n, std::uint8_t key)
{
    for (std::uint32_t i = 0; i < n; ++i) {
        bytes[i] = RotateRight(static_cast<std::uint8_t>(~bytes[i]), (key + i) % 8);
    }
}

bool ReadScrambledBytes(TByteReader& in, std::uint8_t* buffer, std::uint32_t n, std::uint8_t key)
{
    if (!in.Bytes(buffer, n)) {
        return false;
    }
    UnscrambleBytes(buffer, n, key);
    return true;
}

bool ReadScrambledDword(TByteReader& in, std::uint32_t& value)
{
    std::uint8_t field[4];
    if (!ReadScrambledBytes(in, field, sizeof(field), kTableNumberKey)) {
        return false;
    }
    TByteReader plain(field, sizeof(field));
    return plain.U32(value);
}

bool ReadScrambledString(TByteReader& in, std::string& out)
{
    out.clear();
    std::uint32_t length = 0;
    std::vector<std::uint8_t> text;
    if (!ReadScrambledDword(in, length) || !in.Block(text, length)) {
        return false;
    }
    UnscrambleBytes(text.data(), length, kTableTextKey);
    out = TByteReader::TextUpToNul(text.data(), text.size());
    return true;
}

bool ReadTableHeader(TByteReader& in, std::uint32_t minRecordSize, TableHeader& header)
{
    std::uint8_t flag = 0;
    if (!in.U8(flag)) {
        return false;
    }
    const bool scrambled = flag != 0;
    auto readNumber = [&](std::uint32_t& value) { return scrambled ? ReadScrambledDword(in, value) : in.U32(value); };
    std::uint32_t columns = 0;
    if (!readNumber(header.recordCount) || !readNumber(columns)) {
        return false;
    }
    // Each column takes at least a length and a value.
    if (!in.Fits(columns, 8)) {
        return false;
    }
    for (std::uint32_t i = 0; i < columns; ++i) {
        std::string name;
        if (!(scrambled ? ReadScrambledString(in, name) : in.String(name))) {
            return false;
        }
        header.columnNames.push_back(std::move(name));
    }
    for (std::uint32_t i = 0; i < columns; ++i) {
        std::uint32_t value = 0;
        if (!readNumber(value)) {
            return false;
        }
        header.columnValues.push_back(value);
    }
    return in.Fits(header.recordCount, minRecordSize);
}
