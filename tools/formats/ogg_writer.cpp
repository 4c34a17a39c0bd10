#include "formats/ogg_writer.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "formats/byte_writer.h"

#ifdef QM_HAVE_VORBISENC
#include <vorbis/vorbisenc.h>
#endif

namespace qmtest {

bool OggEncoderAvailable()
{
#ifdef QM_HAVE_VORBISENC
    return true;
#else
    return false;
#endif
}

#ifdef QM_HAVE_VORBISENC

namespace {

void AppendPage(std::vector<std::uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// The encoder's state, torn down in reverse order whatever happens.
struct Encoder {
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool analysing = false;

    Encoder() { vorbis_info_init(&info); }
    ~Encoder()
    {
        if (analysing) {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
            vorbis_comment_clear(&comment);
        }
        vorbis_info_clear(&info);
    }

    // Moves every finished packet into the stream and its full pages into out.
    void Drain(std::vector<std::uint8_t>& out)
    {
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    AppendPage(out, page);
                }
            }
        }
    }
};

}  // namespace

std::vector<std::uint8_t> EncodeOggVorbis(const std::vector<std::int16_t>& samples, int channels, long rate,
                                          float quality)
{
    if (channels < 1 || samples.size() % static_cast<std::size_t>(channels) != 0) {
        throw std::runtime_error("EncodeOggVorbis: samples do not fill whole frames");
    }
    Encoder e;
    if (vorbis_encode_init_vbr(&e.info, channels, rate, quality) != 0) {
        throw std::runtime_error("EncodeOggVorbis: the encoder refuses this format");
    }
    vorbis_comment_init(&e.comment);
    vorbis_analysis_init(&e.dsp, &e.info);
    vorbis_block_init(&e.dsp, &e.block);
    ogg_stream_init(&e.stream, 20240501);
    e.analysing = true;

    std::vector<std::uint8_t> out;
    ogg_packet id;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&e.dsp, &e.comment, &id, &comments, &codebooks);
    ogg_stream_packetin(&e.stream, &id);
    ogg_stream_packetin(&e.stream, &comments);
    ogg_stream_packetin(&e.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&e.stream, &page) != 0) {
        AppendPage(out, page);  // audio starts on a page of its own
    }

    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    constexpr std::size_t kSlice = 4096;
    for (std::size_t done = 0; done < frames; done += kSlice) {
        const std::size_t n = std::min(kSlice, frames - done);
        float** buffer = vorbis_analysis_buffer(&e.dsp, static_cast<int>(n));
        for (std::size_t f = 0; f < n; ++f) {
            for (int c = 0; c < channels; ++c) {
                buffer[c][f] = static_cast<float>(samples[(done + f) * channels + c]) / 32768.0f;
            }
        }
        vorbis_analysis_wrote(&e.dsp, static_cast<int>(n));
        e.Drain(out);
    }
    vorbis_analysis_wrote(&e.dsp, 0);
    e.Drain(out);
    while (ogg_stream_flush(&e.stream, &page) != 0) {
        AppendPage(out, page);
    }
    return out;
}

#else

std::vector<std::uint8_t> EncodeOggVorbis(const std::vector<std::int16_t>&, int, long, float)
{
    throw std::runtime_error("EncodeOggVorbis: built without libvorbisenc");
}

#endif

std::size_t OggAudioStart(const std::vector<std::uint8_t>& file)
{
    constexpr std::size_t kHeader = 27;  // "OggS" to the segment count
    std::size_t at = 0;
    while (at + kHeader <= file.size() && std::equal(file.begin() + at, file.begin() + at + 4, "OggS")) {
        std::uint64_t granule = 0;
        for (int i = 7; i >= 0; --i) {
            granule = granule << 8 | file[at + 6 + i];
        }
        if (granule != 0) {
            return at;  // header pages carry granule position 0
        }
        const std::size_t segments = file[at + 26];
        if (at + kHeader + segments > file.size()) {
            break;
        }
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i) {
            body += file[at + kHeader + i];
        }
        at += kHeader + segments + body;
    }
    return file.size();
}

std::vector<std::int16_t> Tone(const std::vector<ToneStretch>& stretches, int channels, long rate)
{
    constexpr double kPi = 3.14159265358979323846;
    std::mt19937 random(1);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    std::vector<std::int16_t> out;
    std::size_t frame = 0;
    for (const ToneStretch& stretch : stretches) {
        for (std::size_t i = 0; i < stretch.frames; ++i, ++frame) {
            const double tone = std::sin(2.0 * kPi * 1000.0 * static_cast<double>(frame) / rate);
            for (int c = 0; c < channels; ++c) {
                const double v = stretch.amplitude * (tone + noise(random));
                out.push_back(static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L)));
            }
        }
    }
    return out;
}

void WriteOggTone(const std::string& path, const std::vector<ToneStretch>& stretches, int channels, long rate)
{
    SaveBytes(path, EncodeOggVorbis(Tone(stretches, channels, rate), channels, rate));
}

}  // namespace qmtest
