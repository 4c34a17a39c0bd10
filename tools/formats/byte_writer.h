// Builds binary test files field by field, little-endian, as the game's readers expect them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qmtest {

class ByteWriter {
public:
    ByteWriter& U8(std::uint8_t value);
    ByteWriter& U16(std::uint16_t value);
    ByteWriter& U32(std::uint32_t value);
    ByteWriter& I32(std::int32_t value);
    ByteWriter& F32(float value);
    ByteWriter& Bytes(const void* data, std::size_t size);
    ByteWriter& Bytes(std::string_view data);
    // u32 length counting the terminating NUL, then the text and the NUL.
    ByteWriter& LpString(std::string_view text);

    const std::vector<std::uint8_t>& Data() const { return data_; }
    // Writes the bytes to path (replacing it); throws std::runtime_error on failure.
    void Save(const std::string& path) const;

private:
    std::vector<std::uint8_t> data_;
};

// Writes bytes to a file, replacing it; throws std::runtime_error on failure.
void SaveBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> LoadBytes(const std::string& path);

}  // namespace qmtest
