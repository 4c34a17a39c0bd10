#include "TCommon/TFile.h"

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
    m_handle = CreateFileA(m_path.c_str(), access, 0, nullptr, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_handle != INVALID_HANDLE_VALUE;
}

void TFile::Close()
{
    if (m_handle == INVALID_HANDLE_VALUE) {
        return;
    }
    if (!CloseHandle(m_handle)) {
        throw my_error(my_error::GetDefaultMessage(), "TCommon/TFile.cpp", 115);
    }
    m_handle = INVALID_HANDLE_VALUE;
}

bool TFile::Read(void* buffer, std::uint32_t n)
{
    DWORD read = 0;
    return ReadFile(m_handle, buffer, n, &read, nullptr) && read == n;
}

bool TFile::Write(const void* buffer, std::uint32_t n)
{
    DWORD written = 0;
    return WriteFile(m_handle, buffer, n, &written, nullptr) && written == n;
}

std::uint32_t TFile::GetSize()
{
    return GetFileSize(m_handle, nullptr);
}

bool TFile::SetPointer(std::int32_t distance, std::uint32_t method)
{
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
