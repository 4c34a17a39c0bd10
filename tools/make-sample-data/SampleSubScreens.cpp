// The skill window's part of the sample folder: a skill of no weapon beside the three weapon
// skills, and ability points enough that one defeat of an enemy about the hero's level (the new
// hero stands a level below the battle map's first enemy) teaches the weapon's first skill: most
// of them the enemy's own, the rest from the table.
#include "SampleData.h"

namespace sample {

void AddSubScreenContent(Catalogue& c)
{
    TSkillRecord general;
    general.Id = 4;
    general.Name = "気合い";
    general.Type = 0;
    general.SubKind = 5;
    general.InfoName = "skill004";
    general.Text1 = "気を高める";
    c.skills.push_back(general);
    for (TexturePackage& package : c.textures) {
        if (package.file == "skillinfo.ptx") {
            package.entries.push_back(general.InfoName);
        }
    }
    for (SoundList& table : c.valueTables) {
        if (table.file == "abp.tbl") {
            // Entries 99 to 101: the hero a level below the enemy, level with it, a level above;
            // with the enemy's own points, a hundred.
            for (std::size_t d = 99; d <= 101; ++d) {
                table.ids.at(d) = 100 - kEnemyAbilityPoints;
            }
        }
    }
}

}  // namespace sample
