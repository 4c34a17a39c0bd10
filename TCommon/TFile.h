// The file object through which every data file, save file and log is read or written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

    // Exactly n bytes or false (a cut file is read to its end). A file opened for reading alone
    // is read from the system in blocks of up to 64 KiB.
    bool Read(void* buffer, std::uint32_t n);
    bool Write(const void* buffer, std::uint32_t n);
    std::uint32_t GetSize();
    bool SetPointer(std::int32_t distance, std::uint32_t method);
    bool Seek(std::int32_t position);
    bool Skip(std::int32_t distance);
    // u32 length n (terminator included), then n bytes; out is the text before the first NUL.
    // A length beyond the bytes left fails before anything is allocated.
    bool ReadString(std::string& out);
    // The position reads continue from; INVALID_SET_FILE_POINTER when it cannot be told.
    std::uint32_t Tell();

    // The handle's own position is where the next Read would have started.
    HANDLE GetHandle();
    const std::string& GetPath() const { return m_path; }

private:
    static constexpr std::uint32_t kBlock = 64 * 1024;
    bool Fill();
    // Puts the handle's position where the reads are and forgets the block.
    void DropBlock();

    HANDLE m_handle;
    std::string m_path;
    std::uint32_t m_access = 0;
    // The block read ahead: the handle stands at its end, reads continue at m_blockPos.
    // Not cleared when made: only what the system wrote into it is ever read.
    std::unique_ptr<std::uint8_t[]> m_block;
    std::uint32_t m_blockCapacity = 0;
    bool m_blockHeld = false;
    std::uint32_t m_blockStart = 0;
    std::uint32_t m_blockPos = 0;
    std::uint32_t m_blockEnd = 0;
};
