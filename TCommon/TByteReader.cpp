#include "TCommon/TByteReader.h"

#include <bit>
#include <cstring>

#include "TCommon/TFile.h"

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out)
{
    TFile file(path);
    if (!file.Open(true, GENERIC_READ)) {
        return false;
    }
    const std::uint32_t size = file.GetSize();
    if (size == INVALID_FILE_SIZE) {
        return false;
    }
    out.resize(size);
    return file.Read(out.data(), size);
}

bool TByteReader::Bytes(std::uint8_t* out, std::size_t n)
{
    if (n > Left()) {
        return false;
    }
    std::memcpy(out, m_data + m_pos, n);
    m_pos += n;
    return true;
}

bool TByteReader::U8(std::uint8_t& value)
{
    return Bytes(&value, 1);
}

bool TByteReader::U16(std::uint16_t& value)
{
    std::uint8_t b[2];
    if (!Bytes(b, 2)) {
        return false;
    }
    value = static_cast<std::uint16_t>(b[0] | b[1] << 8);
    return true;
}

bool TByteReader::U32(std::uint32_t& value)
{
    std::uint8_t b[4];
    if (!Bytes(b, 4)) {
        return false;
    }
    value = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    return true;
}

bool TByteReader::I32(std::int32_t& value)
{
    std::uint32_t raw = 0;
    if (!U32(raw)) {
        return false;
    }
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool TByteReader::F32(float& value)
{
    std::uint32_t raw = 0;
    if (!U32(raw)) {
        return false;
    }
    value = std::bit_cast<float>(raw);
    return true;
}
