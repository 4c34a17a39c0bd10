// The field HUD's part of the folder: each hero's face for the status panel, the item and
// accessory icons of the item-icon package, and a battle-map enemy worth a level, so that its
// defeat shows the gain pop-up and the level-up banner.
#include "SampleParts.h"

#include "formats/field_writer.h"

namespace sample {

void AddHudSamples(Catalogue& c)
{
    TexturePackage faces{"face.ptx", TexturePackage::Picture::Icon, {}};
    for (const THrdefRecord& hero : c.heroes) {
        faces.entries.push_back(hero.FaceName);
    }
    c.textures.push_back(faces);
    for (TexturePackage& package : c.textures) {
        if (package.file == "itm_icon.ptx") {
            package.entries.insert(package.entries.begin(), {"itm00_icon", "itm01_icon"});
        }
    }
    // Ten times the table's experience: at least 1980 at any level near its own, a whole level.
    for (TEnemyRecord& enemy : c.enemies) {
        if (enemy.id == qmtest::kFieldEnemyType) {
            enemy.gainFactor = 10.0F;
        }
    }
}

}  // namespace sample
