#include "TCommon/TByteReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "TCommon/TFile.h"
#include "platform/win32/error.h"

namespace {

thread_local TReadOnceScope* t_readOnce = nullptr;

// Where a reader with no bytes points: never null, so that taking none succeeds.
const std::uint8_t kNothing[1] = {0};

// The most one call of the system is asked to read.
constexpr std::size_t kLargestRead = 1u << 30;

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

TByteReader::TByteReader(const std::uint8_t* data, std::size_t size, std::string name)
    : m_name(std::move(name)), m_size(data != nullptr ? size : 0), m_held(data != nullptr ? data : kNothing),
      m_heldEnd(m_size)
{
}

TByteReader::TByteReader(TFile& file) : m_name(file.GetPath()), m_held(kNothing), m_file(&file)
{
    HANDLE handle = file.GetHandle();
    LONG positionHigh = 0;
    const DWORD position = SetFilePointer(handle, 0, &positionHigh, FILE_CURRENT);
    const bool placed = position != INVALID_SET_FILE_POINTER || GetLastError() == ERROR_SUCCESS;
    DWORD sizeHigh = 0;
    const DWORD size = GetFileSize(handle, &sizeHigh);
    const bool sized = size != INVALID_FILE_SIZE || GetLastError() == ERROR_SUCCESS;
    // A file whose position or size cannot be told has nothing to read, and is left as it is.
    if (!placed || !sized) {
        m_file = nullptr;
        return;
    }
    m_start = std::uint64_t{static_cast<DWORD>(positionHigh)} << 32 | position;
    m_filePos = m_start;
    const std::uint64_t end = std::uint64_t{sizeHigh} << 32 | size;
    m_size = end > m_start ? static_cast<std::size_t>(end - m_start) : 0;
    m_heldStart = m_heldEnd = 0;
}

TByteReader::~TByteReader()
{
    PlaceFile();
}

void TByteReader::PlaceFile()
{
    if (m_file == nullptr) {
        return;
    }
    // Closed meanwhile: nothing to place.
    HANDLE handle = m_file->GetHandle();
    const std::uint64_t at = m_start + m_pos;
    if (handle == INVALID_HANDLE_VALUE || at == m_filePos) {
        return;
    }
    LONG high = static_cast<LONG>(at >> 32);
    SetFilePointer(handle, static_cast<LONG>(at), &high, FILE_BEGIN);
    m_filePos = at;
}

bool TByteReader::Exhaust()
{
    m_pos = m_size;
    if (m_file != nullptr) {
        if (m_heldEnd != m_size) {
            m_heldStart = m_heldEnd = m_size;
        }
        PlaceFile();
    }
    return false;
}

std::size_t TByteReader::ReadAt(std::size_t position, std::uint8_t* out, std::size_t n)
{
    HANDLE handle = m_file->GetHandle();
    const std::uint64_t at = m_start + position;
    if (at != m_filePos) {
        LONG high = static_cast<LONG>(at >> 32);
        if (SetFilePointer(handle, static_cast<LONG>(at), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
            GetLastError() != ERROR_SUCCESS) {
            return 0;
        }
        m_filePos = at;
    }
    std::size_t done = 0;
    while (done < n) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, kLargestRead));
        DWORD got = 0;
        const bool ok = ReadFile(handle, out + done, chunk, &got, nullptr) != FALSE;
        done += got;
        m_filePos += got;
        // A file cut since the reader was made ends the reading.
        if (!ok || got < chunk) {
            break;
        }
    }
    return done;
}

const std::uint8_t* TByteReader::TakeFromFile(std::size_t n)
{
    if (n > Left() || m_file == nullptr) {
        Exhaust();
        return nullptr;
    }
    // What is held from the position on goes to the front of the buffer; the file is read on after it.
    const std::size_t kept = m_heldEnd - m_pos;
    if (kept != 0 && m_pos != m_heldStart) {
        std::memmove(m_buffer.get(), m_held + (m_pos - m_heldStart), kept);
    }
    m_heldStart = m_pos;
    m_heldEnd = m_pos + kept;
    while (m_heldEnd - m_pos < n) {
        const std::size_t missing = n - (m_heldEnd - m_pos);
        const std::size_t want = std::min(std::max(m_block, missing), m_size - m_heldEnd);
        const std::size_t have = m_heldEnd - m_heldStart;
        if (m_capacity < have + want) {
            std::unique_ptr<std::uint8_t[]> larger(new std::uint8_t[have + want]);
            if (have != 0) {
                std::memcpy(larger.get(), m_buffer.get(), have);
            }
            m_buffer = std::move(larger);
            m_capacity = have + want;
        }
        m_held = m_buffer.get();
        const std::size_t got = ReadAt(m_heldEnd, m_buffer.get() + have, want);
        if (got == 0) {
            Exhaust();
            return nullptr;
        }
        m_heldEnd += got;
        m_block = std::min(m_block * 2, kLargestBlock);
    }
    m_pos += n;
    return m_held;
}

bool TByteReader::Bytes(void* out, std::size_t n)
{
    if (n > Left()) {
        return Exhaust();
    }
    auto* to = static_cast<std::uint8_t*>(out);
    const std::size_t held = m_heldEnd - m_pos;
    if (n <= held || n < kLargestBlock) {
        const std::uint8_t* at = Take(n);
        if (at == nullptr) {
            return false;
        }
        if (n != 0) {
            std::memcpy(to, at, n);
        }
        return true;
    }
    // A large read: what is held, then the rest straight from the system.
    if (held != 0) {
        std::memcpy(to, m_held + (m_pos - m_heldStart), held);
    }
    m_pos += held;
    const std::size_t rest = n - held;
    if (ReadAt(m_pos, to + held, rest) != rest) {
        return Exhaust();
    }
    m_pos += rest;
    m_heldStart = m_heldEnd = m_pos;
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
    if (!U32(n)) {
        return false;
    }
    if (n > Left()) {
        return Exhaust();
    }
    if (n < kLargestBlock) {
        const std::uint8_t* at = Take(n);
        if (at == nullptr) {
            return false;
        }
        out = TextUpToNul(at, n);
        return true;
    }
    out.resize(n);
    if (!Bytes(out.data(), n)) {
        out.clear();
        return false;
    }
    out.resize(TextUpToNul(reinterpret_cast<const std::uint8_t*>(out.data()), n).size());
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
    // Outside what is held, nothing is read until a field asks for it.
    if (position < m_heldStart || position > m_heldEnd) {
        m_heldStart = m_heldEnd = static_cast<std::size_t>(position);
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
    const std::uint8_t* b = Take(1);
    if (b == nullptr) {
        return false;
    }
    value = b[0];
    return true;
}

bool TByteReader::U16(std::uint16_t& value)
{
    const std::uint8_t* b = Take(2);
    if (b == nullptr) {
        return false;
    }
    value = static_cast<std::uint16_t>(b[0] | b[1] << 8);
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
