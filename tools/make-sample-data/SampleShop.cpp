// The town's shops and inn: the shopkeeper, the buyer and the innkeeper with their words, the
// shops' sounds, the inn's tune and the pictures of the shop windows' rows.
#include <algorithm>
#include <cstdio>

#include "SampleData.h"
#include "formats/script_assembler.h"

namespace sample {

namespace {

constexpr const char* kScriptFile = "shop04.pbsc";

struct Villager {
    const char* key;
    const char* model;
    D3DXVECTOR3 at;
    const char* name;
    const char* line;
    const char* call;
};

// In the row west of the elder, each more than two reaches from the others so the one faced is
// the one spoken to.
const Villager kVillagers[] = {
    {"shopkeeper", "townsman01", {-26.0F, 0.0F, SampleLayout::kVillagersZ}, "道具屋", "いらっしゃい。何をお求めで？／",
     "CALL @@SendMsg \"Shop\" 0 \"3\" \"2\" \"1001\""},
    {"buyer", "townsman02", {-32.0F, 0.0F, SampleLayout::kVillagersZ}, "買取屋", "不要な品を買い取りますよ。／", "CALL @@SendMsg \"Shop\" 1"},
    {"innkeeper", "townsman03", {-38.0F, 0.0F, SampleLayout::kVillagersZ}, "宿屋", "ゆっくり休んでいってください。／",
     "CALL @@SendMsg \"Shop\" 2"},
};

std::string Number(float v)
{
    return "\"" + std::to_string(v) + "\"";
}

}  // namespace

void AddShop(Catalogue& c)
{
    const SoundList shop{"subset/shop_se.tbl", {217, 601, 603, 606, 608}};
    for (std::uint32_t id : shop.ids) {
        if (std::none_of(c.se.begin(), c.se.end(), [id](const TSoundTableEntry& e) { return e.id == id; })) {
            char name[16];
            std::snprintf(name, sizeof name, "se%03u", static_cast<unsigned>(id));
            c.se.push_back({id, name});
        }
    }
    std::sort(c.se.begin(), c.se.end(), [](const TSoundTableEntry& a, const TSoundTableEntry& b) { return a.id < b.id; });
    c.soundLists.push_back(shop);
    // The inn's own short tune.
    c.bgm.push_back({16, "inn.ogg"});
    c.soundLists.push_back({"subset/inn_bgm.tbl", {16}});
    // The rows' icons of items and accessories beside the weapon types' ones.
    for (TexturePackage& package : c.textures) {
        if (package.file != "itm_icon.ptx") {
            continue;
        }
        for (const char* icon : {"itm00_icon", "itm01_icon"}) {
            if (std::find(package.entries.begin(), package.entries.end(), icon) == package.entries.end()) {
                package.entries.push_back(icon);
            }
        }
    }
    c.scripts.push_back(kScriptFile);
    for (const Villager& v : kVillagers) {
        c.characterModels.push_back(v.model);
    }
}

void AddShopVillagers(qmtest::FieldMap& town)
{
    for (const Villager& v : kVillagers) {
        town.villagers.push_back(std::string(kScriptFile) + "/" + v.key);
    }
}

void WriteShopScripts(const std::filesystem::path& root)
{
    qmtest::ScriptFileWriter writer;
    for (const Villager& v : kVillagers) {
        const std::string setUp = std::string("CALL @@SendMsg \"VillagerInfo\" 0 \"") + v.model +
                                  "\" 0 0 1 \"0.9\" \"0.8\" 0 \"-0.03\" 1 1 " + Number(v.at.x) + " " + Number(v.at.y) +
                                  " " + Number(v.at.z) + " " + SampleLayout::kVillagerFacing;
        writer.Script(v.key, {setUp, std::string("CALL @@SendMsg \"Text\" 4 \"") + v.name + "\"",
                              "CALL @@SendMsg \"Text\" 2 0 2", std::string("CALL @@SendMsg \"Text\" 0 \"") + v.line + "\"",
                              "CALL @@SendMsg \"Text\" 2 1 2", v.call});
    }
    std::filesystem::create_directories(root / "data/scr04");
    writer.Save((root / "data/scr04" / kScriptFile).string());
}

}  // namespace sample
