#include "dx/dx8/sound/ScrambledTable.h"

#include "TCommon/TFile.h"

namespace {

std::uint8_t RotateRight(std::uint8_t value, unsigned shift)
{
    shift &= 7;
    return static_cast<std::uint8_t>((value >> shift) | (value << ((8 - shift) & 7)));
}

std::uint32_t LittleEndian32(const std::uint8_t* b)
{
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

bool ReadPlainDword(TFile& file, std::uint32_t& value)
{
    std::uint8_t field[4];
    if (!file.Read(field, sizeof(field))) {
        return false;
    }
    value = LittleEndian32(field);
    return true;
}

}  // namespace

void UnscrambleBytes(std::uint8_t* bytes, std::uint32_t n, std::uint8_t key)
{
    for (std::uint32_t i = 0; i < n; ++i) {
        bytes[i] = RotateRight(static_cast<std::uint8_t>(~bytes[i]), (key + i) % 8);
    }
}

bool ReadScrambledBytes(TFile& file, std::uint8_t* buffer, std::uint32_t n, std::uint8_t key)
{
    if (!file.Read(buffer, n)) {
        return false;
    }
    UnscrambleBytes(buffer, n, key);
    return true;
}

bool ReadScrambledDword(TFile& file, std::uint32_t& value)
{
    std::uint8_t field[4];
    if (!ReadScrambledBytes(file, field, sizeof(field), kTableNumberKey)) {
        return false;
    }
    value = LittleEndian32(field);
    return true;
}

std::uint32_t BytesLeft(TFile& file)
{
    const DWORD position = SetFilePointer(file.GetHandle(), 0, nullptr, FILE_CURRENT);
    const std::uint32_t size = file.GetSize();
    if (position == INVALID_SET_FILE_POINTER || size == INVALID_FILE_SIZE || position > size) {
        return 0;
    }
    return size - position;
}

bool ReadScrambledString(TFile& file, std::string& out)
{
    out.clear();
    std::uint32_t length = 0;
    if (!ReadScrambledDword(file, length) || length > BytesLeft(file)) {
        return false;
    }
    std::vector<std::uint8_t> text(length);
    if (length != 0 && !ReadScrambledBytes(file, text.data(), length, kTableTextKey)) {
        return false;
    }
    std::size_t end = 0;
    while (end < text.size() && text[end] != 0) {
        ++end;
    }
    out.assign(reinterpret_cast<const char*>(text.data()), end);
    return true;
}

bool ReadTableHeader(TFile& file, std::uint32_t minRecordSize, TableHeader& header)
{
    std::uint8_t flag = 0;
    if (!file.Read(&flag, 1)) {
        return false;
    }
    const bool scrambled = flag != 0;
    auto readNumber = [&](std::uint32_t& value) {
        return scrambled ? ReadScrambledDword(file, value) : ReadPlainDword(file, value);
    };
    std::uint32_t columns = 0;
    if (!readNumber(header.recordCount) || !readNumber(columns)) {
        return false;
    }
    // Each column takes at least a length and a value.
    if (columns > BytesLeft(file) / 8) {
        return false;
    }
    for (std::uint32_t i = 0; i < columns; ++i) {
        std::string name;
        if (!(scrambled ? ReadScrambledString(file, name) : file.ReadString(name))) {
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
    return minRecordSize == 0 || header.recordCount <= BytesLeft(file) / minRecordSize;
}
