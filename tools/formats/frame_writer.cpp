#include "formats/frame_writer.h"

#include <stdexcept>

namespace qmtest {

namespace {

KeyTrack Keys(std::uint32_t kind, std::vector<std::uint32_t> times, std::vector<std::vector<float>> values)
{
    KeyTrack track;
    track.kind = kind;
    track.times = std::move(times);
    track.values = std::move(values);
    return track;
}

}  // namespace

KeyTrack RotationKeys(std::vector<std::uint32_t> times, std::vector<std::vector<float>> quaternions)
{
    return Keys(0, std::move(times), std::move(quaternions));
}

KeyTrack ScaleKeys(std::vector<std::uint32_t> times, std::vector<std::vector<float>> scales)
{
    return Keys(1, std::move(times), std::move(scales));
}

KeyTrack TranslationKeys(std::vector<std::uint32_t> times, std::vector<std::vector<float>> positions)
{
    return Keys(2, std::move(times), std::move(positions));
}

void WriteKeyTrackSet(ByteWriter& out, const KeyTrackSet& set)
{
    out.U32(static_cast<std::uint32_t>(set.size()));
    for (const KeyTrack& track : set) {
        out.U32(track.kind);
        if (track.kind > 2) {
            continue;
        }
        const std::size_t width = track.kind == 0 ? 4 : 3;
        if (track.values.size() != track.times.size()) {
            throw std::invalid_argument("a key track needs one value per key time");
        }
        out.U32(static_cast<std::uint32_t>(track.times.size()));
        for (std::uint32_t t : track.times) {
            out.U32(t);
        }
        for (const std::vector<float>& v : track.values) {
            if (v.size() != width) {
                throw std::invalid_argument("a key value has the wrong number of floats");
            }
            for (float f : v) {
                out.F32(f);
            }
        }
    }
}

Matrix16 IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix16 TranslationMatrix(float x, float y, float z) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}; }

std::vector<std::uint8_t> MeshRecord(const MeshFile& mesh)
{
    ByteWriter out;
    mesh.WriteBody(out);
    return out.Data();
}

void WriteFrameNode(ByteWriter& out, const FrameNode& node)
{
    out.LpString(node.name);
    for (float f : node.matrix) {
        out.F32(f);
    }
    out.U32(static_cast<std::uint32_t>(node.meshRecords.size()));
    for (const std::vector<std::uint8_t>& record : node.meshRecords) {
        out.Bytes(record.data(), record.size());
    }
    out.U32(static_cast<std::uint32_t>(node.sets.size()));
    for (const KeyTrackSet& set : node.sets) {
        WriteKeyTrackSet(out, set);
    }
    out.U32(static_cast<std::uint32_t>(node.children.size()));
    for (const FrameNode& child : node.children) {
        WriteFrameNode(out, child);
    }
}

std::vector<std::uint8_t> FrameFile(const FrameNode& root, std::uint32_t header1, std::uint32_t header2)
{
    ByteWriter out;
    out.U32(header1).U32(header2);
    WriteFrameNode(out, root);
    return out.Data();
}

}  // namespace qmtest
