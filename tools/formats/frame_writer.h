// Frame files (".frm"): a tree of named frames with their local matrices, mesh records and
// key-frame track sets, written depth first as the frame loader reads them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_writer.h"
#include "formats/mesh_writer.h"

namespace qmtest {

// kind 0 rotation (4 floats a key: a stored quaternion x, y, z, w), 1 scale, 2 translation
// (3 floats a key). Any other kind is written as its code alone.
struct KeyTrack {
    std::uint32_t kind = 0;
    std::vector<std::uint32_t> times;
    std::vector<std::vector<float>> values;
};
using KeyTrackSet = std::vector<KeyTrack>;

KeyTrack RotationKeys(std::vector<std::uint32_t> times, std::vector<std::vector<float>> quaternions);
KeyTrack ScaleKeys(std::vector<std::uint32_t> times, std::vector<std::vector<float>> scales);
KeyTrack TranslationKeys(std::vector<std::uint32_t> times, std::vector<std::vector<float>> positions);

void WriteKeyTrackSet(ByteWriter& out, const KeyTrackSet& set);

using Matrix16 = std::array<float, 16>;  // row by row, row-vector convention
Matrix16 IdentityMatrix();
Matrix16 TranslationMatrix(float x, float y, float z);

struct FrameNode {
    std::string name;
    Matrix16 matrix = IdentityMatrix();
    // Each a static mesh record as a mesh file stores it after its header, vertices of 24 bytes.
    std::vector<std::vector<std::uint8_t>> meshRecords;
    std::vector<KeyTrackSet> sets;
    std::vector<FrameNode> children;
};

// A static mesh record for FrameNode::meshRecords.
std::vector<std::uint8_t> MeshRecord(const MeshFile& mesh);

void WriteFrameNode(ByteWriter& out, const FrameNode& node);
// The two header words, then the root node.
std::vector<std::uint8_t> FrameFile(const FrameNode& root, std::uint32_t header1 = 0x006D7266,
                                    std::uint32_t header2 = 1);

}  // namespace qmtest
