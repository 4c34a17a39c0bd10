// PCM wave helpers for the sound tests.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dsound/dsound.h"

namespace qmtest {

// A PCM format with block align and bytes per second filled in.
WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits);

// 16-bit samples as little-endian bytes.
std::vector<std::uint8_t> Pcm16Bytes(const std::vector<std::int16_t>& samples);

// Interleaved 16-bit stereo frames: left = base + i, right = -(base + i), for frames 0..count-1.
std::vector<std::int16_t> RampStereo(std::int16_t base, std::size_t count);

}  // namespace qmtest
