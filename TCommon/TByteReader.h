// The one reader of the game's binary files: little-endian fields one after the other, from bytes
// in memory or from an open file, never past the end. Every length and count that comes from a
// file is checked here against the bytes left before anything is allocated for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
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
    TByteReader(const std::uint8_t* data, std::size_t size, std::string name = std::string())
        : m_name(std::move(name)), m_data(data), m_size(size)
    {
    }
    explicit TByteReader(const std::vector<std::uint8_t>& bytes, std::string name = std::string())
        : TByteReader(bytes.data(), bytes.size(), std::move(name))
    {
    }
    // An open file from its current position to the end it has now; readers of parts of the
    // file share one reader.
    explicit TByteReader(TFile& file);

    // Each false (and the value untouched) when the field runs past the end; the reader then
    // stands at the end, so that a loop reading records stops with it.
    bool U8(std::uint8_t& value);
    bool U16(std::uint16_t& value);
    bool U32(std::uint32_t& value);
    bool I32(std::int32_t& value);
    bool F32(float& value);
    bool F32s(float* values, std::size_t n);
    bool Bytes(void* out, std::size_t n);
    // n bytes into out, n checked before out grows.
    bool Block(std::vector<std::uint8_t>& out, std::uint64_t n);
    // A u32 length and that many bytes; the text ends at the first NUL among them.
    bool String(std::string& out);
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

    std::string m_name;
    const std::uint8_t* m_data = nullptr;
    TFile* m_file = nullptr;
    std::size_t m_start = 0;  // the file's position when the reader was made
    std::size_t m_size = 0;
    std::size_t m_pos = 0;
};
