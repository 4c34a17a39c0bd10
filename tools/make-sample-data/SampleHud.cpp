// The field HUD's pictures outside "sprite.ptx": each hero's face for the status panel and the
// item and accessory icons of the item-icon package.
#include "SampleParts.h"

namespace sample {

void AddHudPictures(Catalogue& c)
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
}

}  // namespace sample
