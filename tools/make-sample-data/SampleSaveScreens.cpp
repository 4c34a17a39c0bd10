#include <algorithm>

#include "SampleData.h"
#include "formats/save_screen_assets.h"

namespace sample {

void AddSaveScreenSprites(TexturePackage& sprites)
{
    for (const qmtest::PtxImage& picture : qmtest::SaveScreenSprites()) {
        const std::string name = picture.storedName.substr(0, picture.storedName.size() - 1);
        if (std::find(sprites.entries.begin(), sprites.entries.end(), name) == sprites.entries.end()) {
            sprites.entries.push_back(name);
        }
    }
}

}  // namespace sample
