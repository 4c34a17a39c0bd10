#include "formats/byte_writer.h"

#include <bit>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qmtest {

ByteWriter& ByteWriter::U8(std::uint8_t value)
{
    data_.push_back(value);
    return *this;
}

ByteWriter& ByteWriter::U16(std::uint16_t value)
{
    U8(static_cast<std::uint8_t>(value));
    return U8(static_cast<std::uint8_t>(value >> 8));
}

ByteWriter& ByteWriter::U32(std::uint32_t value)
{
    U16(static_cast<std::uint16_t>(value));
    return U16(static_cast<std::uint16_t>(value >> 16));
}

ByteWriter& ByteWriter::I32(std::int32_t value)
{
    return U32(static_cast<std::uint32_t>(value));
}

ByteWriter& ByteWriter::F32(float value)
{
    return U32(std::bit_cast<std::uint32_t>(value));
}

ByteWriter& ByteWriter::Bytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    data_.insert(data_.end(), bytes, bytes + size);
    return *this;
}

ByteWriter& ByteWriter::Bytes(std::string_view data)
{
    return Bytes(data.data(), data.size());
}

ByteWriter& ByteWriter::LpString(std::string_view text)
{
    U32(static_cast<std::uint32_t>(text.size() + 1));
    Bytes(text);
    return U8(0);
}

void ByteWriter::Save(const std::string& path) const
{
    SaveBytes(path, data_);
}

void SaveBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::vector<std::uint8_t> LoadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    // Read by size: byte-wise stream iterators are slow under the sanitizers.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size > 0 ? size : 0));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        throw std::runtime_error("cannot read " + path);
    }
    return bytes;
}

}  // namespace qmtest
