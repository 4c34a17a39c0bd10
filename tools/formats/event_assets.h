// The files the story events read besides their scripts: the models under "event04/" in the mesh
// folder and the event sound lists. The sample folder and the tests share them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

// The models into root's mesh folder.
void WriteEventMeshes(const std::string& root);
// A test folder's share: the models, the ending's pictures, both sound lists, and the music table of the field with the
// event music added (short tones).
void WriteEventFolder(const std::string& root);

}  // namespace qmtest
