// The plain body of a save file while it is assembled: little-endian fields one after the
// other within a fixed capacity (TByteReader takes it apart). The scrambling of the stored
// body is here too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Byte i of the body is stored as its complement rotated left by i mod 8.
void ScrambleSaveBody(std::uint8_t* body, std::size_t n);
void UnscrambleSaveBody(std::uint8_t* body, std::size_t n);

class TSaveWriter {
public:
    explicit TSaveWriter(std::size_t capacity) : m_capacity(capacity) { m_bytes.reserve(capacity); }

    // Each false once the body has passed the capacity; nothing more is kept after that.
    bool U8(std::uint8_t value) { return Put(&value, 1); }
    bool U16(std::uint16_t value);
    bool U32(std::uint32_t value);
    bool I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
    bool F32(float value);
    bool Bytes(const std::uint8_t* data, std::size_t n) { return Put(data, n); }

    // False when anything did not fit.
    bool Fits() const { return !m_overflow; }
    std::vector<std::uint8_t>& Data() { return m_bytes; }

private:
    bool Put(const void* data, std::size_t n);

    std::size_t m_capacity;
    std::vector<std::uint8_t> m_bytes;
    bool m_overflow = false;
};
