#include "MainCode/GameData/TSaveBuffer.h"

#include <bit>

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
