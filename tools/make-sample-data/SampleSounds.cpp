#include <algorithm>
#include <cmath>

#include "SampleParts.h"
#include "formats/ogg_writer.h"
#include "formats/pse_writer.h"
#include "formats/wave_writer.h"

namespace sample {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Equal-tempered pitch, semitones from A 440 Hz.
double Pitch(int semitones)
{
    return 440.0 * std::pow(2.0, semitones / 12.0);
}

// A soft note: sine with a little second harmonic, quick attack and an exponential decay.
double Note(double frequency, double t, double length)
{
    if (t < 0.0 || t >= length) {
        return 0.0;
    }
    const double attack = std::min(1.0, t / 0.01);
    const double release = std::min(1.0, (length - t) / 0.02);
    const double decay = std::exp(-3.0 * t / length);
    const double phase = 2.0 * kPi * frequency * t;
    return attack * release * decay * (std::sin(phase) + 0.25 * std::sin(2.0 * phase));
}

std::int16_t Sample(double v)
{
    return static_cast<std::int16_t>(std::clamp(std::lround(v * 32767.0), -32767L, 32767L));
}

}  // namespace

std::vector<std::uint8_t> BuildSePackage(const std::vector<TSoundTableEntry>& entries)
{
    constexpr DWORD kRate = 22050;
    constexpr double kNote = 0.07;
    std::vector<qmtest::PseWave> waves;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // Three octaves of fifths-apart pitches, so that neighbours differ and none goes shrill.
        const double low = Pitch(-12 + static_cast<int>(7 * i % 36));
        const double high = low * 1.5;
        std::vector<std::int16_t> samples;
        const auto frames = static_cast<std::size_t>(2.0 * kNote * kRate);
        for (std::size_t f = 0; f < frames; ++f) {
            const double t = static_cast<double>(f) / kRate;
            samples.push_back(Sample(0.4 * (Note(low, t, kNote) + Note(high, t - kNote, kNote))));
        }
        waves.push_back({entries[i].name, qmtest::PcmFormat(1, kRate, 16), qmtest::Pcm16Bytes(samples)});
    }
    return qmtest::BuildPse(waves);
}

std::vector<std::uint8_t> BuildMusic(std::uint32_t seed, double seconds)
{
    constexpr long kRate = 44100;
    constexpr double kBeat = 0.25;
    // A pentatonic scale keeps any order of notes pleasant.
    static const int kScale[] = {0, 2, 4, 7, 9, 12, 14, 16};
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    const double bass = Pitch(-24 + static_cast<int>(seed % 5));
    std::vector<std::int16_t> samples;
    samples.reserve(frames * 2);
    std::uint32_t state = seed * 2654435761u + 1;
    int beats = static_cast<int>(seconds / kBeat) + 1;
    std::vector<double> melody;
    for (int b = 0; b < beats; ++b) {
        state = state * 1103515245u + 12345u;
        melody.push_back(Pitch(-9 + kScale[(state >> 16) % 8]));
    }
    for (std::size_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / kRate;
        const int beat = static_cast<int>(t / kBeat);
        const double lead = Note(melody[beat], t - beat * kBeat, kBeat);
        const double hold = 0.5 * std::sin(2.0 * kPi * bass * t);
        // The lead leans left, the bass right.
        samples.push_back(Sample(0.3 * (0.8 * lead + 0.4 * hold)));
        samples.push_back(Sample(0.3 * (0.4 * lead + 0.8 * hold)));
    }
    return qmtest::EncodeOggVorbis(samples, 2, kRate, 0.2F);
}

}  // namespace sample
