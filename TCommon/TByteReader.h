// The one reader of the game's binary files: little-endian fields one after the other, from bytes
// in memory or from an open file, never past the end. Every length and count that comes from a
// file is checked here against the bytes left before anything is allocated for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TFile;

// The whole of a file opened read-only, read with one call of the system; false (and out empty)
// when it cannot be opened or read. Loaders parse the bytes with a TByteReader.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out);

// While one lives, ReadWholeFile on the thread that made it reads each path from the system once
// and hands later reads of that path the same bytes. For a build that asks for a few files many
// times over and writes none (the effect catalogue asks for its particle quad hundreds of times).
// A read that fails is not kept. Scopes nest: an inner one keeps its own bytes.
class TReadOnceScope {
public:
    TReadOnceScope();
    ~TReadOnceScope();
    TReadOnceScope(const TReadOnceScope&) = delete;
    TReadOnceScope& operator=(const TReadOnceScope&) = delete;

private:
    friend bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out);
    std::map<std::string, std::vector<std::uint8_t>> m_files;
    TReadOnceScope* m_outer;
};

class TByteReader {
public:
    // Blocks a file is read in: the first small, so that a short read costs a short block, each
    // next one twice the last, up to the largest. A read of a largest block or more goes straight
    // to where it is wanted.
    static constexpr std::size_t kFirstBlock = 4096;
    static constexpr std::size_t kLargestBlock = 65536;

    TByteReader(const std::uint8_t* data, std::size_t size, std::string name = std::string());
    explicit TByteReader(const std::vector<std::uint8_t>& bytes, std::string name = std::string())
        : TByteReader(bytes.data(), bytes.size(), std::move(name))
    {
    }
    // An open file from its current position to the end it has now, read ahead a block at a time
    // (a file may be read from any offset, seeking back included, and read whole or in parts).
    // While the reader lives the file is read through it alone; once it has gone, or has run out,
    // the file stands where the reader stopped, so that a later reader goes on from there.
    explicit TByteReader(TFile& file);
    ~TByteReader();
    TByteReader(const TByteReader&) = delete;
    TByteReader& operator=(const TByteReader&) = delete;

    // Each false (and the value untouched) when the field runs past the end; the reader then
    // stands at the end, so that a loop reading records stops with it.
    bool U8(std::uint8_t& value);
    bool U16(std::uint16_t& value);
    bool U32(std::uint32_t& value)
    {
        const std::uint8_t* b = Take(4);
        if (b == nullptr) {
            return false;
        }
        value = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
        return true;
    }
    bool I32(std::int32_t& value);
    bool F32(float& value);
    bool F32s(float* values, std::size_t n);
    bool Bytes(void* out, std::size_t n);
    // n bytes into out, n checked before out grows.
    bool Block(std::vector<std::uint8_t>& out, std::uint64_t n);
    // A u32 length and that many bytes; the text ends at the first NUL among them.
    bool String(std::string& out);
    // n bytes held in memory until the next read, without copying them; null (the reader at its
    // end) when fewer are left. Never null for none.
    const std::uint8_t* Take(std::size_t n)
    {
        if (m_heldEnd - m_pos >= n) {
            const std::uint8_t* at = m_held + (m_pos - m_heldStart);
            m_pos += n;
            return at;
        }
        return TakeFromFile(n);
    }
    bool Skip(std::uint64_t n);
    // To an offset from where the reader started.
    bool Seek(std::uint64_t position);

    // Whether count records of at least recordBytes each can still follow.
    bool Fits(std::uint64_t count, std::uint64_t recordBytes) const
    {
        return recordBytes == 0 || count <= Left() / recordBytes;
    }
    std::size_t Left() const { return m_size - m_pos; }
    std::size_t Position() const { return m_pos; }
    // The file's name, for messages.
    const std::string& Name() const { return m_name; }

    // The text of a fixed-size field: the bytes up to the first NUL.
    static std::string TextUpToNul(const std::uint8_t* bytes, std::size_t n);

private:
    bool Exhaust();
    // The slow side of Take: reads the file on until n bytes from the position are held.
    const std::uint8_t* TakeFromFile(std::size_t n);
    // Reads n bytes from the system into out, from a position of the reader on; how many came.
    std::size_t ReadAt(std::size_t position, std::uint8_t* out, std::size_t n);
    // Leaves the file where the reader stands.
    void PlaceFile();

    std::string m_name;
    std::size_t m_size = 0;
    std::size_t m_pos = 0;
    // The bytes held: those from m_heldStart up to m_heldEnd, as positions of the reader. From
    // memory, all of them; from a file, those of the buffer.
    const std::uint8_t* m_held;
    std::size_t m_heldStart = 0;
    std::size_t m_heldEnd = 0;

    TFile* m_file = nullptr;
    std::uint64_t m_start = 0;  // the file's offset where the reader started
    std::uint64_t m_filePos = 0;  // where the system's position for the file stands
    std::unique_ptr<std::uint8_t[]> m_buffer;  // not cleared: only what the system wrote is read
    std::size_t m_capacity = 0;
    std::size_t m_block = kFirstBlock;
};
