#include "TCommon/TByteReader.h"

#include <bit>
#include <cstring>

#include "TCommon/TFile.h"

namespace {

thread_local TReadOnceScope* t_readOnce = nullptr;

bool ReadFromSystem(const std::string& path, std::vector<std::uint8_t>& out)
{
    out.clear();
    TFile file(path);
    if (!file.Open(true, GENERIC_READ)) {
        return false;
    }
    const std::uint32_t size = file.GetSize();
    if (size == INVALID_FILE_SIZE) {
        return false;
    }
    out.resize(size);
    // The whole file in one call of the system, straight into place.
    DWORD read = 0;
    if (size != 0 && (!ReadFile(file.GetHandle(), out.data(), size, &read, nullptr) || read != size)) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace

TReadOnceScope::TReadOnceScope() : m_outer(t_readOnce)
{
    t_readOnce = this;
}

TReadOnceScope::~TReadOnceScope()
{
    t_readOnce = m_outer;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out)
{
    TReadOnceScope* scope = t_readOnce;
    if (scope == nullptr) {
        return ReadFromSystem(path, out);
    }
    const auto kept = scope->m_files.find(path);
    if (kept != scope->m_files.end()) {
        out = kept->second;
        return true;
    }
    if (!ReadFromSystem(path, out)) {
        return false;
    }
    scope->m_files.emplace(path, out);
    return true;
}

TByteReader::TByteReader(TFile& file) : m_name(file.GetPath()), m_file(&file)
{
    const DWORD position = file.Tell();
    const std::uint32_t size = file.GetSize();
    // A file whose position or size cannot be told has nothing to read.
    if (position != INVALID_SET_FILE_POINTER && size != INVALID_FILE_SIZE && position <= size) {
        m_start = position;
        m_size = size - position;
    }
}

bool TByteReader::Exhaust()
{
    m_pos = m_size;
    if (m_file != nullptr) {
        m_file->Seek(static_cast<std::int32_t>(m_start + m_size));
    }
    return false;
}

bool TByteReader::Bytes(void* out, std::size_t n)
{
    if (n > Left()) {
        return Exhaust();
    }
    if (m_file != nullptr) {
        if (n != 0 && !m_file->Read(out, static_cast<std::uint32_t>(n))) {
            return Exhaust();
        }
    } else if (n != 0) {
        std::memcpy(out, m_data + m_pos, n);
    }
    m_pos += n;
    return true;
}

bool TByteReader::Block(std::vector<std::uint8_t>& out, std::uint64_t n)
{
    if (n > Left()) {
        return Exhaust();
    }
    out.resize(static_cast<std::size_t>(n));
    return Bytes(out.data(), out.size());
}

bool TByteReader::String(std::string& out)
{
    out.clear();
    std::uint32_t n = 0;
    std::vector<std::uint8_t> bytes;
    if (!U32(n) || !Block(bytes, n)) {
        return false;
    }
    out = TextUpToNul(bytes.data(), bytes.size());
    return true;
}

bool TByteReader::Skip(std::uint64_t n)
{
    return n <= Left() ? Seek(m_pos + n) : Exhaust();
}

bool TByteReader::Seek(std::uint64_t position)
{
    if (position > m_size) {
        return Exhaust();
    }
    if (m_file != nullptr && !m_file->Seek(static_cast<std::int32_t>(m_start + position))) {
        return Exhaust();
    }
    m_pos = static_cast<std::size_t>(position);
    return true;
}

std::string TByteReader::TextUpToNul(const std::uint8_t* bytes, std::size_t n)
{
    const void* nul = n != 0 ? std::memchr(bytes, '\0', n) : nullptr;
    const std::size_t length = nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes) : n;
    return std::string(reinterpret_cast<const char*>(bytes), length);
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

bool TByteReader::F32s(float* values, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (!F32(values[i])) {
            return false;
        }
    }
    return true;
}
