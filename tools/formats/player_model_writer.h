// A player model the real player character plays with: a coloured block body with every motion the
// player plays (a few frames each), its pattern file whose walking motions step forward, and its
// weapon-state file. The field folder and the sample folder write their heroes with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/mesh_writer.h"
#include "formats/pattern_writer.h"

namespace qmtest {

// Motions of a player model: the states 0..19, the shared skill motions up to 36, then the first
// ground swing of the sword classes (37) and its recovery (38).
inline constexpr std::uint32_t kPlayerModelMotions = 39;
inline constexpr std::uint32_t kPlayerModelFrames = 8;
inline constexpr std::uint32_t kPlayerModelSwingMotion = 37;
// The attack the swing fires at kPlayerModelSwingFrame: an id of the attack table the field writes.
inline constexpr std::uint16_t kPlayerModelSwingAttack = 100;
inline constexpr std::uint32_t kPlayerModelSwingFrame = 3;
// How far each frame of motions 1 to 3 (walking) moves the body forward, unless told otherwise.
inline constexpr float kPlayerModelWalkStep = 0.05F;

// A block 0.6 wide, 1.4 tall, 0.4 deep standing on the origin, untextured, its colour (the material's
// emissive colour and every vertex's) from the name.
MeshFile PlayerModelBody(const std::string& name);
// A figure of the sample folder: a body block with a head on it whose face (skin, two eyes and a
// nose) is on the side it walks to, -z; the back and top of the head in the body colour as hair.
// Colours are D3DCOLORs drawn as the materials' emissive colours.
struct FigureLook {
    std::uint32_t body = 0xFFC0C0C0u;
    std::uint32_t face = 0xFFF0D0B0u;
    std::uint32_t eyes = 0xFF202020u;
    float width = 0.5F;   // the body block
    float height = 0.6F;  // the body block, below the head
    float depth = 0.3F;
    float head = 0.34F;   // the side of the head cube
    bool horns = false;   // two spikes on the head, in the face colour
};
// Materials "Body", "Face" and "Eyes" in that order; every motion of a player model.
MeshFile PlayerModelFigure(const std::string& name, const FigureLook& look);
// The swing motion fires kPlayerModelSwingAttack at kPlayerModelSwingFrame; so does each of
// strikeMotions (an enemy's attack motions).
std::vector<std::uint8_t> BuildPlayerModelPattern(float walkStep = kPlayerModelWalkStep,
                                                  const std::vector<std::uint32_t>& strikeMotions = {});
// The frame records of that pattern file, one list per motion, for a model that adds motions of its own.
std::vector<std::vector<TPatternEvent>> PlayerModelPatterns(float walkStep = kPlayerModelWalkStep,
                                                            const std::vector<std::uint32_t>& strikeMotions = {});
// One pose of both weapon frames for every frame of every motion.
std::vector<std::uint8_t> BuildPlayerModelWepons();
// That one pose.
WeponKey PlayerModelWeponKey();
// The body into meshFolder + "char04/" and the weapon ribbon into meshFolder + "effect/", pattern
// and weapon states into characterDataFolder.
void WritePlayerModel(const std::string& meshFolder, const std::string& characterDataFolder, const std::string& name,
                      float walkStep = kPlayerModelWalkStep);
// The same with a body of its own (a figure) instead of the block.
void WritePlayerModel(const std::string& meshFolder, const std::string& characterDataFolder, const MeshFile& body,
                      float walkStep = kPlayerModelWalkStep);
// The rest every player loads: "ex.tbl" and "abp.tbl", 201 values each (value i is i x step), into
// tableFolder.
void WritePlayerValueTables(const std::string& tableFolder, std::uint32_t step = 1);
// A thin blade "wepon/<mesh>.msh" into meshFolder, for the weapon records that name it.
void WriteWeaponMesh(const std::string& meshFolder, const std::string& mesh);

}  // namespace qmtest
