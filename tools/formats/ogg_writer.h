// Ogg Vorbis music for the music tests, encoded in-process with libvorbisenc.
//
// Test tracks are tones whose loudness changes from stretch to stretch, so that what plays
// can be told apart by level although Vorbis does not keep samples exact.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qmtest {

// Whether the encoder is linked in (libvorbisenc found at configure time).
bool OggEncoderAvailable();

// Encodes interleaved 16-bit samples (1 or 2 channels) as an Ogg Vorbis file.
// Throws std::runtime_error when the encoder is missing or refuses the format.
std::vector<std::uint8_t> EncodeOggVorbis(const std::vector<std::int16_t>& samples, int channels, long rate,
                                          float quality = 0.4f);

// Where the pages of sound begin, after the header pages (for damaging the sound alone);
// the file's size when there are none.
std::size_t OggAudioStart(const std::vector<std::uint8_t>& file);

// One stretch of a test tone: frames long, at this peak amplitude.
struct ToneStretch {
    std::size_t frames;
    double amplitude;
};

// A 1 kHz tone over the stretches, one phase throughout, with a little noise (5 % of the
// amplitude) so that the encoder spends real pages on it.
std::vector<std::int16_t> Tone(const std::vector<ToneStretch>& stretches, int channels, long rate = 44100);

// Encodes Tone(stretches) and writes it to path.
void WriteOggTone(const std::string& path, const std::vector<ToneStretch>& stretches, int channels = 2,
                  long rate = 44100);

}  // namespace qmtest
