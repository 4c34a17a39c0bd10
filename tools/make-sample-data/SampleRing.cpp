// The item ring's, the skill gauge's and the status icons' part of the sample folder: their sound
// lists, the icon meshes, and a short stat bonus on item 1 so that using it shows the boost icon.
#include "SampleData.h"
#include "formats/ring_assets.h"

namespace sample {

void AddRingContent(Catalogue& c, std::vector<SoundList>& effects)
{
    effects.push_back({qmtest::kItemRingSoundList, {607}});
    effects.push_back({qmtest::kSkillGaugeSoundList, {601}});
    for (const std::string& mesh : qmtest::StatusIconMeshFiles()) {
        c.meshes.push_back(mesh);
    }
    for (TItemMeanRecord& mean : c.itemMeans) {
        if (mean.Id == 1) {
            // Five seconds of +3 strength.
            mean.Bonus[0] = 3;
            mean.Duration = 300;
        }
    }
}

}  // namespace sample
