#include "dx/dx8/3d/TTexturePackage.h"

#include "TCommon/TFile.h"
#include "TCommon/my_error.h"

namespace {

const char kSourceFile[] = "dx/dx8/3d/TTexture8";
constexpr long kOpenFailedLine = 150;

// Reads field by field and fails the load with the package path at anything outside the file.
class PackageReader {
public:
    explicit PackageReader(const std::string& path) : m_file(path)
    {
        if (!m_file.Open(true, GENERIC_READ)) {
            Fail();
        }
        m_size = m_file.GetSize();
        if (m_size == INVALID_FILE_SIZE) {
            Fail();
        }
    }

    [[noreturn]] void Fail() { throw my_error(m_file.GetPath(), kSourceFile, kOpenFailedLine); }

    std::uint32_t U32()
    {
        std::uint8_t b[4];
        Bytes(b, 4);
        return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    }

    void Bytes(void* out, std::uint32_t n)
    {
        if (n > Left() || (n != 0 && !m_file.Read(out, n))) {
            Fail();
        }
        m_position += n;
    }

    std::vector<std::uint8_t> Block(std::uint64_t n)
    {
        // Checked before anything is allocated.
        if (n > Left()) {
            Fail();
        }
        std::vector<std::uint8_t> data(static_cast<std::size_t>(n));
        Bytes(data.data(), static_cast<std::uint32_t>(n));
        return data;
    }

    // The name of a directory entry: u32 length, then that many bytes, text up to the first NUL.
    std::string Name()
    {
        const std::uint32_t n = U32();
        std::vector<std::uint8_t> bytes = Block(n);
        std::size_t length = 0;
        while (length < bytes.size() && bytes[length] != 0) {
            ++length;
        }
        return std::string(reinterpret_cast<const char*>(bytes.data()), length);
    }

    void Skip(std::uint32_t n)
    {
        if (n > Left() || !m_file.Skip(static_cast<std::int32_t>(n))) {
            Fail();
        }
        m_position += n;
    }

    void Seek(std::uint32_t offset)
    {
        if (offset > m_size || !m_file.Seek(static_cast<std::int32_t>(offset))) {
            Fail();
        }
        m_position = offset;
    }

    std::uint32_t Left() const { return m_size - m_position; }

private:
    TFile m_file;
    std::uint32_t m_size = 0;
    std::uint32_t m_position = 0;
};

}  // namespace

bool TTexturePackage::ReadImage(const std::string& path, const std::string& entry, TIndexedImage* image)
{
    PackageReader reader(path);
    const std::uint32_t count = reader.U32();
    // An entry takes at least its name length and its offset.
    if (count > reader.Left() / 8) {
        reader.Fail();
    }
    bool found = false;
    std::uint32_t offset = 0;
    for (std::uint32_t i = 0; i < count && !found; ++i) {
        if (reader.Name() == entry) {
            offset = reader.U32();
            found = true;
        } else {
            reader.Skip(4);
        }
    }
    if (!found) {
        return false;
    }
    reader.Seek(offset);
    TIndexedImage result;
    result.kind = reader.U32();
    if (result.kind >= kKinds) {
        return false;
    }
    result.width = reader.U32();
    result.height = reader.U32();
    result.palette = reader.Block(kPaletteBytes);
    const std::uint64_t pixels = static_cast<std::uint64_t>(result.width) * result.height;
    result.indices = reader.Block(pixels);
    if (HasAlphaLayer(result.kind)) {
        result.alpha = reader.Block(pixels);
    }
    *image = std::move(result);
    return true;
}
