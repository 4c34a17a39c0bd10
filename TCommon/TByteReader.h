// Little-endian fields read one after the other from bytes in memory, never past their end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The whole of a file opened read-only; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out);

class TByteReader {
public:
    TByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // Each false (and the value untouched) when the field runs past the end.
    bool U8(std::uint8_t& value);
    bool U16(std::uint16_t& value);
    bool U32(std::uint32_t& value);
    bool I32(std::int32_t& value);
    bool F32(float& value);
    bool Bytes(std::uint8_t* out, std::size_t n);

    std::size_t Left() const { return m_size - m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};
