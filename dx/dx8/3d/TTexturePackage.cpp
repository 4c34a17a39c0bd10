#include "dx/dx8/3d/TTexturePackage.h"

#include <optional>

#include "TCommon/TByteReader.h"
#include "TCommon/FileFailure.h"
#include "TCommon/TFile.h"
#include "TCommon/my_error.h"

namespace {

const char kSourceFile[] = "dx/dx8/3d/TTexture8";
constexpr long kOpenFailedLine = 150;

// The package's fields from the one reader; anything outside the file fails the load with its path.
class PackageReader {
public:
    explicit PackageReader(const std::string& path) : m_file(path)
    {
        if (!m_file.Open(true, GENERIC_READ) || m_file.GetSize() == INVALID_FILE_SIZE) {
            throw my_error(FileFailureText(m_file.GetPath()), kSourceFile, kOpenFailedLine);
        }
        m_in.emplace(m_file);
    }

    [[noreturn]] void Fail() { throw my_error(m_file.GetPath(), kSourceFile, kOpenFailedLine); }

    std::uint32_t U32()
    {
        std::uint32_t v = 0;
        return m_in->U32(v) ? v : (Fail(), v);
    }

    std::vector<std::uint8_t> Block(std::uint64_t n)
    {
        std::vector<std::uint8_t> data;
        if (!m_in->Block(data, n)) {
            Fail();
        }
        return data;
    }

    // The name of a directory entry: u32 length, then that many bytes, text up to the first NUL.
    std::string Name()
    {
        std::string name;
        return m_in->String(name) ? name : (Fail(), name);
    }

    void Skip(std::uint32_t n)
    {
        if (!m_in->Skip(n)) {
            Fail();
        }
    }

    void Seek(std::uint32_t offset)
    {
        if (!m_in->Seek(offset)) {
            Fail();
        }
    }

    bool Fits(std::uint64_t count, std::uint64_t recordBytes) const { return m_in->Fits(count, recordBytes); }

private:
    TFile m_file;
    std::optional<TByteReader> m_in;
};

}  // namespace

bool TTexturePackage::ReadImage(const std::string& path, const std::string& entry, TIndexedImage* image)
{
    PackageReader reader(path);
    const std::uint32_t count = reader.U32();
    // An entry takes at least its name length and its offset.
    if (!reader.Fits(count, 8)) {
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
