// Little-endian fields of the engine's binary model files, read one at a time from a TFile.
#pragma once

#include <cstdint>
#include <cstring>

#include "TCommon/TFile.h"

namespace filefields {

inline bool ReadU32(TFile& file, std::uint32_t& value)
{
    std::uint8_t b[4];
    if (!file.Read(b, 4)) {
        return false;
    }
    value = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
            static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
}

inline bool ReadF32(TFile& file, float& value)
{
    std::uint32_t bits = 0;
    if (!ReadU32(file, bits)) {
        return false;
    }
    std::memcpy(&value, &bits, sizeof(value));
    return true;
}

// n floats in a row (matrices, vectors, quaternions).
inline bool ReadF32s(TFile& file, float* values, int n)
{
    for (int i = 0; i < n; ++i) {
        if (!ReadF32(file, values[i])) {
            return false;
        }
    }
    return true;
}

// Bytes between the file position and its end; counts read from a file are checked against it.
inline std::uint32_t RemainingBytes(TFile& file)
{
    const DWORD position = SetFilePointer(file.GetHandle(), 0, nullptr, FILE_CURRENT);
    const std::uint32_t size = file.GetSize();
    if (position == INVALID_SET_FILE_POINTER || size == INVALID_FILE_SIZE || position > size) {
        return 0;
    }
    return size - position;
}

}  // namespace filefields
