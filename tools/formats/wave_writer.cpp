#include "formats/wave_writer.h"

namespace qmtest {

WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    format.cbSize = 0;
    return format;
}

std::vector<std::uint8_t> Pcm16Bytes(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (std::int16_t s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}

std::vector<std::int16_t> RampStereo(std::int16_t base, std::size_t count)
{
    std::vector<std::int16_t> samples;
    samples.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::int16_t>(base + static_cast<int>(i));
        samples.push_back(v);
        samples.push_back(static_cast<std::int16_t>(-v));
    }
    return samples;
}

}  // namespace qmtest
