// The file object through which every data file, save file and log is read or written.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/file.h"

class TFile {
public:
    explicit TFile(const std::string& path);
    virtual ~TFile();
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;

    // An empty path uses the one stored. Reading alone (access GENERIC_READ) shares with other
    // readers; any other access is exclusive. An open handle is not closed first.
    bool Open(bool mustExist, std::uint32_t access, const std::string& path = std::string());
    // Never shared.
    bool Create(bool failIfExists, std::uint32_t access, const std::string& path = std::string());
    // Throws my_error (the contact text) when the handle cannot be closed.
    void Close();

    // Exactly n bytes or false.
    bool Read(void* buffer, std::uint32_t n);
    bool Write(const void* buffer, std::uint32_t n);
    std::uint32_t GetSize();
    bool SetPointer(std::int32_t distance, std::uint32_t method);
    bool Seek(std::int32_t position);
    bool Skip(std::int32_t distance);
    // u32 length n (terminator included), then n bytes; out is the text before the first NUL.
    // A length beyond the bytes left fails before anything is allocated.
    bool ReadString(std::string& out);

    HANDLE GetHandle() const { return m_handle; }
    const std::string& GetPath() const { return m_path; }

private:
    HANDLE m_handle;
    std::string m_path;
};
