// A generated effect folder: every frame, mesh and texture the effect prototypes load, written
// where the loaders look (frame folder, mesh folder and texture folder as currently set, the
// effect folder inside the first two). Shapes and pictures are made up here. Frame files are a
// root named after the file with one animated child "<root>_body" that holds the mesh.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/mesh_writer.h"

namespace qmtest {

// The files by kind, as the effect classes name them.
const std::vector<std::string>& EffectFrameFiles();
const std::vector<std::string>& EffectMeshFiles();
// Entries of "effect.ptx", each a 2 × 2 atlas.
const std::vector<std::string>& EffectTextureNames();

// The mesh of that file of EffectMeshFiles() as the folder holds it.
MeshFile EffectMeshFile(const std::string& file);
// A square of four vertices facing -z, side 1, one material.
MeshFile EffectQuadMesh(const std::string& name);
// A vertical ribbon of six vertices a segment: row k left, row k right, row k + 1 left,
// row k right, row k + 1 left, row k + 1 right; indices 0, 1, 2, ...
MeshFile EffectStripMesh(const std::string& name, std::uint32_t segments);

// The ribbon every hero's weapon afterimages are cut from, and where the heroes look for it:
// meshFolder + "effect/sword01.msh" (the effect folders write the same file).
MeshFile WeaponRibbonMesh();
void WriteWeaponRibbon(const std::filesystem::path& meshFolder);

// Writes the whole folder below root.
void WriteEffectAssets(const std::filesystem::path& root);
// The same below a game folder, where the game looks ("data/frm04/effect/", "data/msh04/effect/",
// "data/ptx04/"); the folders as currently set are kept.
void WriteGameEffectAssets(const std::filesystem::path& root);

}  // namespace qmtest
