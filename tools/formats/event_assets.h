// The files the story events read besides their scripts: the models under "event04/" in the mesh
// folder and the event sound lists. The sample folder and the tests share them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formats/field_writer.h"
#include "formats/map_writer.h"
#include "formats/mesh_writer.h"

namespace qmtest {

// "subset/event_se.tbl" and "subset/event_bgm.tbl" below the table folder.
std::vector<std::uint32_t> EventSoundIds();
std::vector<std::uint32_t> EventMusicIds();

// Every model of the first two events by its name below the mesh folder: the glide's scenery, the
// room, the hero, the heroine and the weapon of the first stage, and the two faces (".tob") whose
// morphs 0 to 23 each play out on their ninth step.
std::vector<std::pair<std::string, MeshFile>> EventMeshes();
inline constexpr std::uint32_t kEventFaceMorphs = 24;
// Then the four figures of event 306 (".tob", morphs 0 to 9 played out on their ninth step; their
// heads in the see-through region), the shrine floor they stand on, and the land of event 307's
// flight ("map04/t05_00.msh").
inline constexpr std::uint32_t kEvent06Morphs = 10;

// The later events' figures: the faces of the mist (morphs 0 to 3), the figures of the talks
// (0 to 3, 0 to 15, 0 to 23, the first of each made ready with its face region last) and a
// looping ghost knight. Their scenery stands about these field points.
inline constexpr std::uint32_t kEventShortMorphs = 4;
inline const D3DXVECTOR3 kMistPlace{-7.6F, 2.5F, 184.0F};
inline const D3DXVECTOR3 kCavePlace{34.0F, 0.0F, 108.0F};

// The fields the later events end on, entries of "04.pbms": each with ground under the start its
// event gives (facing -z) and, a few steps ahead, a script box that starts the next event (the
// last one's starts event 306, at the shrine). The mist's two maps share one ground, the cave's
// two another.
struct StoryField {
    std::string entry;
    D3DXVECTOR3 start;
    std::uint32_t nextEvent;  // 0: none
};
std::vector<StoryField> StoryFields();
inline constexpr const char* kStoryMapFile = "04.pbms";
// The box scripts "ToEvent302" to "ToEvent306" in this script file.
inline constexpr const char* kStoryBoxScripts = "m04.pbsc";
// A box ahead of a start facing -z that starts the event; the town's, west of its start.
FieldScriptBox StoryBox(const D3DXVECTOR3& start, std::uint32_t event);
FieldScriptBox TownStoryBox();
// A place's floor reaches this far from its point either way; the standing stones on it, from the
// point. Dressed, a low rock wall rims the floor just outside its edge, so that its end is seen
// where the walk ends.
inline constexpr float kPlaceHalf = 12.0F;
std::vector<D3DXVECTOR3> PlaceStones();
inline constexpr float kPlaceRimHalf = 0.3F;
inline constexpr float kPlaceRimGap = 0.1F;
// The minimap pictures the dressed fields name.
inline constexpr const char* kMistMinimap = "m07_00";
inline constexpr const char* kCaveMinimap = "d05_00";
// Dressed as the sample plays them: the mist's pale fog and the cave's dark one (the clear colour
// with them), all of the ground in view, and their minimaps.
std::vector<MapEntry> StoryFieldEntries(bool dressed = false);
// The fields' grounds and the box scripts; dressed, each ground with land round it out past its fog.
void WriteStoryFields(const std::string& root, bool dressed = false);

// The models into root's mesh folder.
void WriteEventMeshes(const std::string& root);
// A test folder's share: the models, the ending's pictures, both sound lists, and the music table of the field with the
// event music added (short tones).
void WriteEventFolder(const std::string& root);

}  // namespace qmtest
