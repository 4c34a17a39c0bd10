// Every sound the built code plays is in the generated folder: named in the id table and loaded by
// the list of whoever plays it (a bank plays only what a list has loaded).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "MainCode/Map/TMapItem.h"
#include "MainCode/TMenuSound.h"
#include "dx/dx8/sound/TSoundListReader.h"
#include "dx/dx8/sound/TSoundTableReader.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::uint32_t> Range(std::uint32_t first, std::uint32_t last)
{
    std::vector<std::uint32_t> ids;
    for (std::uint32_t id = first; id <= last; ++id) {
        ids.push_back(id);
    }
    return ids;
}

// A group of ids some code plays, and where they come from.
struct Played {
    const char* from;
    std::vector<std::uint32_t> ids;
};

// Gathered from the code by hand: a new sound the code plays belongs here too.
std::vector<Played> CharacterSounds()
{
    return {
        // TArmedCharacter::PlayHitSound: kinds 100..104, plus 5 when strong; 111/112 guarded.
        {"hit sounds", Range(100, 109)},
        {"guarded hits", {111, 112}},
        {"map items", {TMapItem::kItemSound, TMapItem::kMoneySound}},
        // TPlayerCharacterEquipment: a skill learned (218); the save point's chime (503).
        {"learned, saved", {218, 503}},
        // WeaponSkillEvents (402, 504, 507, 508), SkillEvents and Flourish (500..509), ActionEvents
        // (500, 509), the effect catalogue's mesh effects (504..506), the star shots (500).
        {"skills, shots, effects", Range(500, 509)},
        {"weapon skill", {402}},
        {"refused", {kSoundRefused}},
        // TPlayerCharacterCombat (651); TTimeStopEnemy's stop (651) and held loop (652).
        {"time stop", {651, 652}},
        // TPlayerCharacter::PlaySound: 1000 (steps) and 1500 (landings) plus the surface code 0..7.
        {"steps", Range(1000, 1007)},
        {"landings", Range(1500, 1507)},
    };
}

// TPlayerCharacter::PlayDownVoice and PlayActionVoice; the second hero's ids are 1000 higher,
// its down voice 1100.
std::vector<Played> HeroVoices(bool first)
{
    const std::uint32_t o = first ? 0 : 1000;
    return {
        {"down", {first ? 106u : 1100u}},
        {"first group", Range(150 + o, 154 + o)},
        {"second group", Range(200 + o, 203 + o)},
        {"third group", Range(250 + o, 253 + o)},
        {"fourth group", Range(300 + o, 303 + o)},
        {"fifth group", Range(350 + o, 352 + o)},
        {"sixth group", Range(400 + o, 403 + o)},
    };
}

class SampleSounds : public ::testing::Test {
protected:
    void SetUp() override { qmtest::CopySampleFolder(dir_.Path()); }

    std::string Table(const std::string& name) const
    {
        return dir_.File(std::string(sample::kTableFolder) + name);
    }

    std::set<std::uint32_t> TableIds(const std::string& name) const
    {
        TSoundTableReader reader;
        EXPECT_TRUE(reader.Load(Table(name))) << name;
        std::set<std::uint32_t> ids;
        for (const TSoundTableEntry& e : reader.GetEntries()) {
            EXPECT_FALSE(e.name.empty()) << name << " " << e.id;
            ids.insert(e.id);
        }
        return ids;
    }

    std::set<std::uint32_t> ListIds(const std::string& name) const
    {
        TSoundListReader reader;
        EXPECT_TRUE(reader.Load(Table(name))) << name;
        const std::vector<std::uint32_t> ids = reader.GetEntries();
        return {ids.begin(), ids.end()};
    }

    // Every played id is named in the table and loaded by the list.
    void ExpectHeld(const std::set<std::uint32_t>& table, const std::string& list,
                    const std::vector<Played>& played) const
    {
        const std::set<std::uint32_t> loaded = ListIds(list);
        for (const Played& group : played) {
            for (std::uint32_t id : group.ids) {
                EXPECT_EQ(table.count(id), 1u) << list << ": " << group.from << " " << id << " has no sound";
                EXPECT_EQ(loaded.count(id), 1u) << list << ": " << group.from << " " << id << " not loaded";
            }
        }
    }

    qmtest::TempDir dir_;
};

TEST_F(SampleSounds, EveryEffectSoundTheCodePlaysIsNamedAndLoadedByItsPlayer)
{
    const std::set<std::uint32_t> se = TableIds("se.tbl");
    const sample::Catalogue& c = sample::GetCatalogue();
    for (const THrdefRecord& hero : c.heroes) {
        ExpectHeld(se, "char/" + hero.ModelName + "_se.tbl", CharacterSounds());
    }
    for (const TEnemyRecord& enemy : c.enemies) {
        ExpectHeld(se, "char/" + enemy.soundName + "_se.tbl", CharacterSounds());
    }
    ExpectHeld(se, "subset/speak_se.tbl",
               {{"message window", {kSoundListCursor, kSoundDecide, kSoundCancel}}});
}

TEST_F(SampleSounds, EveryVoiceAHeroCallsIsNamedAndLoadedByThatHero)
{
    const std::set<std::uint32_t> voice = TableIds("voice.tbl");
    const sample::Catalogue& c = sample::GetCatalogue();
    ASSERT_EQ(c.heroes.size(), 2u);
    for (const THrdefRecord& hero : c.heroes) {
        ExpectHeld(voice, "char/" + hero.ModelName + "_vc.tbl", HeroVoices(hero.Id == 0));
    }
    // The enemies' lists exist, so that loading an enemy finds them.
    for (const TEnemyRecord& enemy : c.enemies) {
        ListIds("char/" + enemy.soundName + "_vc.tbl");
    }
}

}  // namespace
