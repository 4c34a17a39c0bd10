// What the field item ring, the skill gauge and the status icons load: their pictures in
// "sprite.ptx", the seven icon meshes in the mesh folder's "effect/", the two sound lists in the
// table folder's "subset/", and icon packages for ring items and skills.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/mesh_writer.h"
#include "formats/ptx_writer.h"

namespace qmtest {

// "ring01_c" (224 × 224, the ring of radius 96 about its centre), "ring_cursor00" (96 × 32, the
// pointer whose right end frames the selected slot), "ring_cursor01" (32 × 32) and "guage06"
// (256 × 64: left end, middle piece and right end side by side).
std::vector<PtxImage> RingSprites();

// The status icons' meshes in status order ("effect/icon_status_*.msh" inside the mesh folder),
// each a small shape of its own colour.
const std::vector<std::string>& StatusIconMeshFiles();
MeshFile StatusIconMesh(std::size_t index);

// The sound lists: 607 for the ring's turn, 601 for the gauge's select.
inline constexpr const char* kItemRingSoundList = "subset/itemring_se.tbl";
inline constexpr const char* kSkillGaugeSoundList = "subset/skillgauge_se.tbl";

// "itemicon.ptx" with "icon001" .. "icon007" and "skl_icon.ptx" with every skill icon.
std::vector<PtxImage> ItemIconPictures();
std::vector<PtxImage> SkillIconPictures();

// The meshes alone (every folder that makes a player needs them).
void WriteStatusIconMeshes(const std::filesystem::path& meshFolder);
// Meshes, sound lists and icon packages; "sprite.ptx" comes with the HUD's pictures.
void WriteRingAssets(const std::filesystem::path& textureFolder, const std::filesystem::path& meshFolder,
                     const std::filesystem::path& tableFolder);

}  // namespace qmtest
