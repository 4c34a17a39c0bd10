// The makers of the sample folder's pictures, meshes and sounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SampleData.h"
#include "formats/mesh_writer.h"
#include "formats/pattern_writer.h"
#include "formats/ptx_writer.h"

namespace sample {

// prefix + n in three digits at least ("icon003").
std::string Numbered(const char* prefix, std::uint32_t n);
// An item record with its icon and description pictures named by its id; kind 0 goes in the ring.
TItemRecord Item(std::uint32_t id, const char* name, std::uint8_t kind, std::uint32_t price, const char* text);
// A skill record with its description picture named by its id ("skill100").
TSkillRecord Skill(std::uint32_t id, const char* name, std::uint8_t type, const char* text);
// A weapon record whose blade mesh is named by its id ("wpn1000"), teaching firstSkill first.
TWeponRecord Wepon(std::uint32_t id, const char* name, std::int32_t type, std::uint32_t attack, std::uint32_t element,
                   std::uint32_t firstSkill);

// A 32 × 32 icon with an alpha layer: a shaded shape on a clear ground, shape and colour from the name.
qmtest::PtxImage Icon(const std::string& name);
// A 64 × 64 opaque description picture: a framed gradient with a few bars, colour from the name.
qmtest::PtxImage Panel(const std::string& name);
// The field folder's picture of that name; throws when the field has none.
qmtest::PtxImage FieldPicture(const std::string& name);
std::vector<std::uint8_t> BuildTexturePackage(const TexturePackage& package);
// The minimap names of the meadow and the hollow.
inline constexpr const char* kMeadowMinimap = "x04_00";
inline constexpr const char* kHollowMinimap = "x04_01";
// The minimap picture of the town, the battle map, the meadow, the hollow or a story field (by their
// minimap names).
qmtest::PtxImage MinimapPicture(const std::string& name);
// The folder's own minimap window ("window21") and cursor ("cursor05") in place of the field's.
qmtest::PtxImage MinimapWindow();
qmtest::PtxImage MinimapCursor();
// The HUD's faces and item icons in the catalogue's packages; the battle enemy worth a level.
void AddHudSamples(Catalogue& c);

// A side lit from above: each channel of the colour scaled by f (at most 255), alpha kept.
std::uint32_t Shade(std::uint32_t colour, float f);

// A drawn ground of one material, its colours in the vertices.
class GroundLook {
public:
    explicit GroundLook(const std::string& name);
    // a b / c d: the triangles a-b-c and c-b-d are its front.
    void Quad(const qmtest::MeshVertex& a, const qmtest::MeshVertex& b, const qmtest::MeshVertex& c,
              const qmtest::MeshVertex& d);
    // A level rectangle facing up.
    void Floor(float x0, float z0, float x1, float z1, float y, std::uint32_t c);
    // A box from (x0, y0, z0) to (x1, y1, z1), every side facing out: its top in the colour, its
    // sides darker, its underside darkest.
    void Box(float x0, float y0, float z0, float x1, float y1, float z1, std::uint32_t colour);
    const qmtest::MeshFile& Done() const { return mesh_; }

private:
    qmtest::MeshFile mesh_;
};

// The red posts of a gate in a south corner of a fenced 40-wide walk whose south fence runs along
// z 0: one in the south fence, one in the side fence, either side of the gate's box.
void CornerGatePosts(GroundLook& look, const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum);

// The sky dome: a half sphere seen from inside, pale at the horizon and deep blue at the top.
qmtest::MeshFile SkyDome();

// The round shadow under every character.
qmtest::MeshFile ShadowDisc();
// A weapon a character holds: a thin blade along its frame's negative Z.
qmtest::MeshFile WeaponBlade(const std::string& name);
// The motions of an enemy of that type, before its strikes are set: only those it closes in with
// step forward. Far from the hero an enemy keeps turning to face it and picks among its stands,
// motions 0 and 3 (4 and 1 too for the types that think with the tougher table), so that those
// keep it where it was put until the hero comes near.
std::vector<std::vector<TPatternEvent>> EnemyMotions(std::uint32_t type);
// Every enemy's model strikes in each of its attack motions (written over its plain pattern).
void WriteEnemyPatterns(const std::filesystem::path& root);

// One short two-note blip per entry, 22.05 kHz mono 16-bit, its pitch from its place in the list.
std::vector<std::uint8_t> BuildSePackage(const std::vector<TSoundTableEntry>& entries);
// A short Ogg Vorbis piece: a little melody over a held bass, its notes picked by the seed.
std::vector<std::uint8_t> BuildMusic(std::uint32_t seed, double seconds);

// The town's elder, in a look of its own.
inline constexpr const char* kElderModel = "townsman00";
// Every look of both heroes: each class the folder's weapons give them, and their town looks.
std::vector<std::string> HeroModels(const Catalogue& c);
// Each kind of enemy in the field enemy's model gets a model of its own.
void GiveEnemiesTheirLooks(std::vector<TEnemyRecord>& enemies);
// The body of a character model of the folder; throws for a model without a look.
qmtest::MeshFile Figure(const std::string& model);
// A party member's swings show: every action motion (22 on) of the body whose pattern strikes or
// fires an event leans the figure into the blow up to the frame after its last such frame, then
// back. The pose is a second key frame of the body, added once.
void GiveSwingPoses(qmtest::MeshFile& body, const std::vector<std::vector<TPatternEvent>>& patterns);
// The hero's town look wears a picture of "hero.ptx", one a look the mirror gives (variant 0, 1, 2 by
// the look flag): what the picture multiplies the body colour by.
inline constexpr const char* kHeroLookPackage = "hero.ptx";
qmtest::PtxImage HeroLookPicture(const std::string& name);

// The story events' lists, music, script file and models: into the catalogue, then into the folder.
void AddEvents(Catalogue& c);
void WriteEvents(const std::filesystem::path& root);
// The last events' scripts and the ending's pictures.
std::vector<std::string> Event6Script();
std::vector<std::string> Event7Script();
void WriteEnding(const std::filesystem::path& root);

}  // namespace sample
