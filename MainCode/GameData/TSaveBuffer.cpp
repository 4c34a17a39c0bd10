#include "MainCode/GameData/TSaveBuffer.h"

#include <bit>
#include <cstring>

void ScrambleSaveBody(std::uint8_t* body, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        body[i] = std::rotl(static_cast<std::uint8_t>(~body[i]), static_cast<int>(i % 8));
    }
}

void UnscrambleSaveBody(std::uint8_t* body, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        body[i] = static_cast<std::uint8_t>(~std::rotr(body[i], static_cast<int>(i % 8)));
    }
}

bool TSaveWriter::Put(const void* data, std::size_t n)
{
    if (m_overflow || n > m_capacity - m_bytes.size()) {
        m_overflow = true;
        return false;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), bytes, bytes + n);
    return true;
}

bool TSaveWriter::U16(std::uint16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    return Put(bytes, 2);
}

bool TSaveWriter::U32(std::uint32_t value)
{
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return Put(bytes, 4);
}

bool TSaveWriter::F32(float value)
{
    return U32(std::bit_cast<std::uint32_t>(value));
}

bool TSaveReader::Bytes(std::uint8_t* out, std::size_t n)
{
    if (n > Left()) {
        return false;
    }
    std::memcpy(out, m_data + m_pos, n);
    m_pos += n;
    return true;
}

bool TSaveReader::U8(std::uint8_t& value)
{
    return Bytes(&value, 1);
}

bool TSaveReader::U16(std::uint16_t& value)
{
    std::uint8_t b[2];
    if (!Bytes(b, 2)) {
        return false;
    }
    value = static_cast<std::uint16_t>(b[0] | b[1] << 8);
    return true;
}

bool TSaveReader::U32(std::uint32_t& value)
{
    std::uint8_t b[4];
    if (!Bytes(b, 4)) {
        return false;
    }
    value = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    return true;
}

bool TSaveReader::I32(std::int32_t& value)
{
    std::uint32_t raw = 0;
    if (!U32(raw)) {
        return false;
    }
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool TSaveReader::F32(float& value)
{
    std::uint32_t raw = 0;
    if (!U32(raw)) {
        return false;
    }
    value = std::bit_cast<float>(raw);
    return true;
}
