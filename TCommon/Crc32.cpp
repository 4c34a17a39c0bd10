#include "TCommon/Crc32.h"

#include <array>

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0x77073096u && kTable[255] == 0x2D02EF8Du);

}  // namespace

std::uint32_t Crc32(const void* buffer, std::int32_t length)
{
    if (length <= 0) {
        return 0;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::int32_t i = 0; i < length; ++i) {
        c = (c >> 8) ^ kTable[(c ^ bytes[i]) & 0xFFu];
    }
    return ~c;
}
