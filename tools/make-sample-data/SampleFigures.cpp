// The looks of the sample folder's characters: both heroes in each class the folder's weapons give
// them, the villagers and every kind of enemy, told apart by colour and build, each face on the side
// the figure walks to.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "SampleParts.h"
#include "formats/field_writer.h"

namespace sample {

namespace {

// Skin, and eyes dark enough to read on it. Colours are drawn squared, so they start bright.
constexpr std::uint32_t kSkin = 0xFFF8D8B8u;
constexpr std::uint32_t kDark = 0xFF202020u;

qmtest::FigureLook Look(std::uint32_t body, std::uint32_t face, std::uint32_t eyes, float width, float height,
                        float depth, float head, bool horns = false)
{
    qmtest::FigureLook look;
    look.body = body;
    look.face = face;
    look.eyes = eyes;
    look.width = width;
    look.height = height;
    look.depth = depth;
    look.head = head;
    look.horns = horns;
    return look;
}

// The hero in blues, the partner slimmer in reds, a shade for each class. Both stand under a unit
// tall, so that the status window's turning figure stays below its experience and money lines.
qmtest::FigureLook Hero(std::uint32_t body) { return Look(body, kSkin, kDark, 0.5F, 0.6F, 0.3F, 0.34F); }
qmtest::FigureLook Partner(std::uint32_t body) { return Look(body, kSkin, kDark, 0.4F, 0.58F, 0.26F, 0.32F); }

struct NamedLook {
    const char* model;
    qmtest::FigureLook look;
};

const std::vector<NamedLook>& Looks()
{
    static const std::vector<NamedLook> looks = {
        {"hero", Hero(0xFF60A0FFu)},
        {"hero01", Hero(0xFF50B8FFu)},
        {"hero02", Hero(0xFF8098FFu)},
        {"hero04", Hero(0xFF40D0F0u)},
        {"hero05", Hero(0xFF7070E0u)},
        {"hero07", Hero(0xFF30A8C8u)},
        {"partner", Partner(0xFFFF7090u)},
        {"heroine01", Partner(0xFFFF88B0u)},
        {"heroine02", Partner(0xFFF06868u)},
        {"heroine03", Partner(0xFFFF9860u)},
        {"heroine06", Partner(0xFFFF70D0u)},
        {"heroine08", Partner(0xFFE0A070u)},
        // The villagers: the elder in brown, a stout shopkeeper in green, the buyer in yellow, a tall
        // innkeeper in violet.
        {kElderModel, Look(0xFFD0A070u, kSkin, kDark, 0.46F, 0.62F, 0.3F, 0.34F)},
        {"townsman01", Look(0xFF80E080u, kSkin, kDark, 0.62F, 0.6F, 0.4F, 0.36F)},
        {"townsman02", Look(0xFFF0E060u, kSkin, kDark, 0.44F, 0.56F, 0.28F, 0.32F)},
        {"townsman03", Look(0xFFC090F0u, kSkin, kDark, 0.42F, 0.8F, 0.28F, 0.34F)},
        // The enemies: a low green beast, a small yellow bug, a thin fire spirit, a pale corpse, a
        // violet shadow, a tall cyan time stopper; the strong one twice the others' size, dark red
        // and horned.
        {qmtest::kFieldEnemyModel, Look(0xFFA0C060u, 0xFFD8E8A0u, 0xFFFF3030u, 0.7F, 0.5F, 0.6F, 0.38F)},
        {"enemy022", Look(0xFFF0E040u, 0xFFFFFFA0u, kDark, 0.42F, 0.3F, 0.5F, 0.3F)},
        {"enemy002", Look(0xFFFF8040u, 0xFFFFD060u, 0xFF802000u, 0.34F, 0.8F, 0.3F, 0.3F)},
        {"enemy10011", Look(0xFFD8D8C8u, 0xFFF4F4E8u, kDark, 0.46F, 0.74F, 0.3F, 0.34F)},
        {"enemy059", Look(0xFF9070C0u, 0xFFC8A8F0u, 0xFFFFFF60u, 0.52F, 0.6F, 0.42F, 0.32F)},
        {"enemy10025", Look(0xFF60E0E0u, 0xFFE0FFFFu, 0xFF2040A0u, 0.5F, 0.9F, 0.34F, 0.36F)},
        // The ailing ones: a squat magenta spore flower and a wide, dusty grey-brown moth.
        {"enemy011", Look(0xFFD050C0u, 0xFFF0B0E8u, 0xFF305010u, 0.6F, 0.4F, 0.6F, 0.4F)},
        {"enemy013", Look(0xFFB0A088u, 0xFFE8E0C8u, 0xFF401808u, 0.8F, 0.36F, 0.24F, 0.3F)},
        // The meadow's straw-coloured scarecrow.
        {LeftoverLayout::kScarecrowModel, Look(0xFFE0C070u, 0xFFF8E8B0u, kDark, 0.6F, 0.7F, 0.2F, 0.34F)},
        // The arena's hedge mage, tall and leaf green.
        {EnemyArts::kMageModel, Look(0xFF40A050u, 0xFFD8F0C0u, 0xFFFFE040u, 0.48F, 0.78F, 0.32F, 0.36F)},
        {Reactions::kBrawlerModel, Look(0xFF708090u, 0xFFD0B090u, 0xFFFF8000u, 0.64F, 0.7F, 0.44F, 0.34F)},
        {SampleLayout::kStrongEnemyModel, Look(0xFFC04040u, 0xFFE89070u, 0xFFFFF040u, 1.1F, 1.4F, 0.8F, 0.6F, true)},
    };
    return looks;
}

// The look each hero's class of a weapon type plays in, as the classes name it; empty where the
// hero has no class for the type.
const char* const kClassModels[2][12] = {
    {"hero01", "hero01", "hero02", "", "", "hero04", "hero04", "hero04", "hero05", "", "hero07", ""},
    {"heroine01", "heroine01", "heroine02", "heroine03", "heroine03", "", "", "", "", "heroine06", "", "heroine08"},
};

void AddOnce(std::vector<std::string>& names, const std::string& name)
{
    if (std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
    }
}

}  // namespace

std::vector<std::string> HeroModels(const Catalogue& c)
{
    std::vector<std::string> models;
    for (const THrdefRecord& hero : c.heroes) {
        for (const TWeponRecord& w : c.wepons) {
            if (hero.Id >= 0 && hero.Id < 2 && w.Type >= 0 && w.Type < 12 && *kClassModels[hero.Id][w.Type] != '\0') {
                AddOnce(models, kClassModels[hero.Id][w.Type]);
            }
        }
        AddOnce(models, hero.ModelName);
    }
    return models;
}

void GiveEnemiesTheirLooks(std::vector<TEnemyRecord>& enemies)
{
    for (TEnemyRecord& enemy : enemies) {
        if (enemy.modelName == qmtest::kFieldEnemyModel && enemy.id != qmtest::kFieldEnemyType) {
            char name[24];
            std::snprintf(name, sizeof name, "enemy%03u", static_cast<unsigned>(enemy.id));
            enemy.modelName = name;
        }
    }
}

qmtest::MeshFile Figure(const std::string& model)
{
    for (const NamedLook& named : Looks()) {
        if (model == named.model) {
            qmtest::MeshFile mesh = qmtest::PlayerModelFigure(model, named.look);
            if (model == "hero") {
                mesh.materials[0].texture = std::string(kHeroLookPackage) + "/hero";
            }
            return mesh;
        }
    }
    throw std::runtime_error("the sample folder has no look for the model " + model);
}

void GiveSwingPoses(qmtest::MeshFile& body, const std::vector<std::vector<TPatternEvent>>& patterns)
{
    constexpr std::uint32_t kFirstActionMotion = 22;
    constexpr std::uint32_t kRest = 0;
    constexpr std::uint32_t kSwing = 1;
    if (body.keyFrames.size() == 1) {
        // Turned and leant forward and to its left, the more the higher; the feet stay where they were.
        float top = 0.0F;
        for (const qmtest::MeshVertex& v : body.keyFrames[0]) {
            top = std::max(top, v.y);
        }
        std::vector<qmtest::MeshVertex> pose = body.keyFrames[0];
        for (qmtest::MeshVertex& v : pose) {
            const float t = top > 0.0F ? std::clamp(v.y / top, 0.0F, 1.0F) : 0.0F;
            const float a = 0.6F * t;
            const float x = v.x * std::cos(a) + v.z * std::sin(a);
            const float z = v.z * std::cos(a) - v.x * std::sin(a);
            v.x = x + 0.2F * t;
            v.z = z - 0.2F * t;
        }
        body.keyFrames.push_back(pose);
    }
    for (std::size_t m = kFirstActionMotion; m < body.morphs.size() && m < patterns.size(); ++m) {
        std::vector<std::uint32_t>& keys = body.morphs[m].keyFrames;
        std::size_t last = 0;
        for (std::size_t f = 0; f < patterns[m].size(); ++f) {
            last = patterns[m][f].AttackId != 0 || patterns[m][f].EventCode != 0 ? f : last;
        }
        if (last == 0 || keys.size() != patterns[m].size()) {
            continue;
        }
        for (std::size_t f = 0; f < keys.size(); ++f) {
            keys[f] = f >= 1 && f <= last + 1 ? kSwing : kRest;
        }
    }
}

qmtest::PtxImage HeroLookPicture(const std::string& name)
{
    // Untextured, the body shows its colour times itself; the first look's picture is that colour,
    // so it looks as it always did. The mirror's looks: a green tunic over dark red legs, and a
    // white one over black, the line between them at the picture's middle (the body's waist).
    const std::uint32_t body = Looks().front().look.body;
    const qmtest::PtxColor own{static_cast<std::uint8_t>(body >> 16), static_cast<std::uint8_t>(body >> 8),
                               static_cast<std::uint8_t>(body)};
    const std::pair<qmtest::PtxColor, qmtest::PtxColor> looks[] = {
        {own, own}, {{255, 255, 40}, {255, 40, 40}}, {{255, 255, 255}, {40, 40, 40}}};
    const int look = name == "hero01" ? 1 : name == "hero02" ? 2 : 0;
    constexpr int kSize = 16;
    std::vector<qmtest::PtxColor> colours;
    for (int y = 0; y < kSize; ++y) {
        colours.insert(colours.end(), kSize, y < kSize / 2 ? looks[look].first : looks[look].second);
    }
    return qmtest::PtxImage::FromPixels(name, 0, kSize, kSize, colours);
}

}  // namespace sample
