#include "TCommon/TFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "TCommon/TByteReader.h"
#include "TCommon/my_error.h"
#include "platform/win32/msgbox.h"

TFile::TFile(const std::string& path) : m_handle(INVALID_HANDLE_VALUE), m_path(path)
{
}

TFile::~TFile()
{
    try {
        Close();
    } catch (const std::exception& e) {
        my_error::TransactionError(e);
    } catch (const char* text) {
        MessageBoxA(nullptr, text, "char* CatchHandler", MB_ICONERROR | MB_TOPMOST);
    } catch (...) {
        my_error::TransactionUnknownError();
    }
}

// Files are opened as they are: attributes are never changed, so a read-only data file opens
// for reading and refuses writing.
bool TFile::Open(bool mustExist, std::uint32_t access, const std::string& path)
{
    if (!path.empty()) {
        m_path = path;
    }
    DropBlock();
    m_access = access;
    const DWORD share = access == GENERIC_READ ? FILE_SHARE_READ : 0;
    m_handle = CreateFileA(m_path.c_str(), access, share, nullptr, mustExist ? OPEN_EXISTING : OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_handle != INVALID_HANDLE_VALUE;
}

bool TFile::Create(bool failIfExists, std::uint32_t access, const std::string& path)
{
    if (!path.empty()) {
        m_path = path;
    }
    DropBlock();
    m_access = access;
    m_handle = CreateFileA(m_path.c_str(), access, 0, nullptr, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_handle != INVALID_HANDLE_VALUE;
}

void TFile::Close()
{
    if (m_handle == INVALID_HANDLE_VALUE) {
        return;
    }
    m_blockHeld = false;
    m_blockPos = m_blockEnd = 0;
    if (!CloseHandle(m_handle)) {
        throw my_error(my_error::GetDefaultMessage(), "TCommon/TFile.cpp", 115);
    }
    m_handle = INVALID_HANDLE_VALUE;
}

bool TFile::Read(void* buffer, std::uint32_t n)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    // Loaders read a field at a time: a file opened for reading alone is read ahead a block at a
    // time, so the system is asked once a block instead of once a field.
    while (m_access == GENERIC_READ && n > 0) {
        if (m_blockPos == m_blockEnd) {
            if (n >= kBlock) {
                break;  // a large read goes straight to the caller
            }
            if (!Fill()) {
                return false;
            }
        }
        const std::uint32_t take = std::min(n, m_blockEnd - m_blockPos);
        std::memcpy(out, m_block.get() + m_blockPos, take);
        m_blockPos += take;
        out += take;
        n -= take;
    }
    if (n == 0) {
        return true;
    }
    DropBlock();
    DWORD read = 0;
    return ReadFile(m_handle, out, n, &read, nullptr) && read == n;
}

bool TFile::Fill()
{
    const std::uint32_t at = m_blockHeld ? m_blockStart + m_blockEnd : SetFilePointer(m_handle, 0, nullptr, FILE_CURRENT);
    const std::uint32_t size = GetFileSize(m_handle, nullptr);
    if (at == INVALID_SET_FILE_POINTER || size == INVALID_FILE_SIZE || at >= size) {
        return false;
    }
    // As much as is left, up to a block: one call of the system, and no read past the end.
    const std::uint32_t want = std::min(kBlock, size - at);
    if (m_blockCapacity < want) {
        m_block.reset(new std::uint8_t[want]);
        m_blockCapacity = want;
    }
    DWORD got = 0;
    const bool ok = ReadFile(m_handle, m_block.get(), want, &got, nullptr) != FALSE;
    m_blockHeld = true;
    m_blockStart = at;
    m_blockPos = 0;
    m_blockEnd = got;
    return ok && got > 0;
}

void TFile::DropBlock()
{
    if (!m_blockHeld) {
        return;
    }
    m_blockHeld = false;
    if (m_blockPos != m_blockEnd) {
        SetFilePointer(m_handle, static_cast<LONG>(m_blockStart + m_blockPos), nullptr, FILE_BEGIN);
    }
    m_blockPos = m_blockEnd = 0;
}

std::uint32_t TFile::Tell()
{
    return m_blockHeld ? m_blockStart + m_blockPos : SetFilePointer(m_handle, 0, nullptr, FILE_CURRENT);
}

HANDLE TFile::GetHandle()
{
    DropBlock();
    return m_handle;
}

bool TFile::Write(const void* buffer, std::uint32_t n)
{
    DropBlock();
    DWORD written = 0;
    return WriteFile(m_handle, buffer, n, &written, nullptr) && written == n;
}

std::uint32_t TFile::GetSize()
{
    return GetFileSize(m_handle, nullptr);
}

bool TFile::SetPointer(std::int32_t distance, std::uint32_t method)
{
    // A move within the block read ahead stays there; any other is the system's.
    if (m_blockHeld && method != FILE_END) {
        const std::int64_t target = static_cast<std::int64_t>(distance) +
                                    (method == FILE_CURRENT ? static_cast<std::int64_t>(m_blockStart + m_blockPos) : 0);
        if (target >= m_blockStart && target <= static_cast<std::int64_t>(m_blockStart) + m_blockEnd &&
            (method == FILE_CURRENT || distance >= 0)) {
            m_blockPos = static_cast<std::uint32_t>(target - m_blockStart);
            return true;
        }
    }
    DropBlock();
    return SetFilePointer(m_handle, distance, nullptr, method) != INVALID_SET_FILE_POINTER;
}

bool TFile::Seek(std::int32_t position)
{
    return SetPointer(position, FILE_BEGIN);
}

bool TFile::Skip(std::int32_t distance)
{
    return SetPointer(distance, FILE_CURRENT);
}

bool TFile::ReadString(std::string& out)
{
    TByteReader in(*this);
    return in.String(out);
}
