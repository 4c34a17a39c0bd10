#include "formats/pse_writer.h"

#include "formats/byte_writer.h"

namespace qmtest {

std::vector<std::uint8_t> BuildPse(const std::vector<PseWave>& waves)
{
    // The directory comes first, so the wave offsets follow from its size.
    std::size_t directory = 4;
    for (const PseWave& w : waves) {
        directory += 4 + w.name.size() + 1 + 4;
    }
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(waves.size()));
    std::size_t offset = directory;
    for (const PseWave& w : waves) {
        out.LpString(w.name);
        out.U32(static_cast<std::uint32_t>(offset));
        offset += 22 + w.data.size();
    }
    for (const PseWave& w : waves) {
        out.U16(w.format.wFormatTag).U16(w.format.nChannels).U32(w.format.nSamplesPerSec);
        out.U32(w.format.nAvgBytesPerSec).U16(w.format.nBlockAlign).U16(w.format.wBitsPerSample);
        out.U16(w.format.cbSize);
        out.U32(static_cast<std::uint32_t>(w.data.size()));
        out.Bytes(w.data.data(), w.data.size());
    }
    return out.Data();
}

}  // namespace qmtest
