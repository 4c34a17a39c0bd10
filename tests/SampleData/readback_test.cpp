// Every file of the generated folder read back through the game's own loaders: the generator and
// the loaders agree, and no file is written that nothing reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "MainCode/Character/TEnemyDataTable.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/TInputDevice.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "make-sample-data/SampleData.h"
#include "make-sample-data/SampleParts.h"
#include "TCommon/TByteReader.h"
#include "TUtility/TIni.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/3d/TTexturePackage.h"
#include "dx/dx8/sound/ScrambledTable.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TOggStreamSound.h"
#include "dx/dx8/sound/TPseSound.h"
#include "dx/dx8/sound/TSoundListReader.h"
#include "platform/dsound/dsound.h"
#include "platform/testing/dsound.h"
#include "support/character_probe.h"
#include "support/device_fixture.h"
#include "support/effect_probe.h"
#include "support/main_probe.h"
#include "support/map_probe.h"
#include "formats/scene_assets.h"
#include "formats/effect_assets.h"
#include "formats/ending_assets.h"
#include "formats/field_writer.h"
#include "support/dx_probe.h"

namespace {

namespace fs = std::filesystem;

// The folder generated into the device test's own folder, with a device made from its setting.ini.
class GeneratedFolder : public qmtest::DeviceFixture {
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        sample::WriteSampleFolder(dir_.Path());
        platform::SetManualMixing(true);
    }
    void TearDown() override
    {
        TDSound8::Instance()->Uninit();
        platform::SetManualMixing(false);
        TTexture8::PurgeCache(1);
        TMesh8::SetDirectory("");
        TFrame::SetDirectory("");
        TTexture8::SetDirectory("");
        TEffectManager::SetFolder("");
        DeviceFixture::TearDown();
    }
    std::string Path(const std::string& relative)
    {
        read_.insert(fs::path(relative).lexically_normal().generic_string());
        return (dir_.Path() / relative).string();
    }
    std::string Table(const std::string& name) { return Path(std::string(sample::kTableFolder) + name); }

    // The table read back by the reader, record by record by the key's fields.
    template <typename Record, typename Key, typename Reader = TGameTableReader<Record>>
    void ExpectTable(const std::string& name, const std::vector<Record>& expected, Key key, Reader reader = {})
    {
        ASSERT_TRUE(reader.Load(Table(name))) << name;
        const std::vector<Record> read = Entries(reader);
        ASSERT_EQ(read.size(), expected.size()) << name;
        for (std::size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(key(read[i]), key(expected[i])) << name << " record " << i;
        }
    }

    static std::vector<TEnemyRecord> Entries(const TEnemyDataTable& r) { return r.GetRecords(); }
    template <typename Reader>
    static auto Entries(const Reader& r)
    {
        return r.GetEntries();
    }

    std::set<std::string> read_;
};

TEST_F(GeneratedFolder, EveryFileReadsBackThroughTheGameLoaders)
{
    const sample::Catalogue& c = sample::GetCatalogue();

    // Settings: a windowed 640 × 480 device in 32-bit colour with the first depth format.
    Path("setting.ini");
    ASSERT_TRUE(InitDevice());
    EXPECT_TRUE(d3d()->IsWindowed());
    EXPECT_EQ(d3d()->GetBackBufferWidth(), 640u);
    EXPECT_EQ(d3d()->GetBackBufferHeight(), 480u);
    EXPECT_EQ(TMainProbe::DepthStencilFormat(*builder()), D3DFMT_D24S8);
    EXPECT_EQ(TMainProbe::MinFilter(*builder()), D3DTEXF_LINEAR);
    EXPECT_FLOAT_EQ(TMainProbe::ViewScale(*builder()), 1.0F);

    // Key bindings: every name is one the input device knows (an unknown one would fall back silently).
    TIni input(Path("input.ini"), 4096, 4096, 1024);
    ASSERT_TRUE(input.Load());
    for (const char* button : {"UP", "DOWN", "LEFT", "RIGHT", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K",
                               "L"}) {
        std::string key;
        std::string pad;
        EXPECT_TRUE(input.GetString("Keyboard", button, key)) << button;
        EXPECT_TRUE(input.GetString("GamePad", button, pad)) << button;
        EXPECT_NE(TInputDevice::KeyNameToCode(key), -1) << button << "=" << key;
        EXPECT_NE(TInputDevice::PadNameToCode(pad), -1) << button << "=" << pad;
    }
    TInputDevice device(dir_.File("input.ini"), 10, TInputDevice::kDefaultKeys, TInputDevice::kDefaultPad);
    for (int i = 0; i < TInputDevice::kButtons; ++i) {
        EXPECT_EQ(TMainProbe::KeyboardBinding(device, i), TInputDevice::kDefaultKeys[i]) << i;
        EXPECT_EQ(TMainProbe::PadBinding(device, i), TInputDevice::kDefaultPad[i]) << i;
    }

    // Game tables: counts, ids, names and each record's last field (a shifted field would show there).
    ExpectTable("item.tbl", c.items, [](const TItemRecord& r) { return std::tie(r.Id, r.Name, r.IconName, r.Text3); });
    ExpectTable("wepon.tbl", c.wepons,
                [](const TWeponRecord& r) { return std::tie(r.Id, r.Name, r.Type, r.Skill[0], r.MeshName); });
    ExpectTable("accessory.tbl", c.accessories,
                [](const TAccessoryRecord& r) { return std::tie(r.Id, r.Name, r.MagicDefence, r.Note); });
    ExpectTable("itemmean.tbl", c.itemMeans,
                [](const TItemMeanRecord& r) { return std::tie(r.Id, r.HpRecover, r.Bonus[0], r.Duration); });
    ExpectTable("skill.tbl", c.skills, [](const TSkillRecord& r) { return std::tie(r.Id, r.Name, r.Type, r.Text3); });
    ExpectTable("svp.tbl", c.savePoints, [](const TSvpRecord& r) { return std::tie(r.Id, r.MapName, r.PlaceName); });
    ExpectTable("hrdef.tbl", c.heroes,
                [](const THrdefRecord& r) { return std::tie(r.Id, r.Name, r.WeaponId, r.TableName); });

    ExpectTable("enemy.tbl", c.enemies,
                [](const TEnemyRecord& r) { return std::tie(r.id, r.label, r.maxHp, r.soundName); }, TEnemyDataTable());

    // Sound tables and lists.
    const auto idAndName = [](const TSoundTableEntry& e) { return std::tie(e.id, e.name); };
    ExpectTable("se.tbl", c.se, idAndName, TSoundTableReader());
    ExpectTable("voice.tbl", c.voice, idAndName, TSoundTableReader());
    ExpectTable("bgm.tbl", c.bgm, idAndName, TSoundTableReader());
    for (const sample::SoundList& table : c.valueTables) {
        std::vector<std::uint32_t> values;
        EXPECT_TRUE(TPlayerCharacter::LoadValueTable(Table(table.file), values)) << table.file;
        EXPECT_EQ(values, table.ids) << table.file;
        EXPECT_EQ(values.size(), TPlayerCharacter::kTableSize) << table.file;
    }
    for (const sample::SoundList& list : c.soundLists) {
        TSoundListReader reader;
        ASSERT_TRUE(reader.Load(Table(list.file))) << list.file;
        EXPECT_EQ(reader.GetEntries(), list.ids) << list.file;
    }

    // Every sound: a wave of the package or a music track, loaded and of some length.
    TDSound8* sound = TDSound8::Instance();
    ASSERT_TRUE(sound->Init(window_));
    sound->SetSeFolder(dir_.Path().string() + "/" + sample::kSeFolder);
    sound->SetMusicFolder(dir_.Path().string() + "/" + sample::kMusicFolder);
    for (const auto& [package, bank, table] :
         {std::tuple("se.pse", 0U, &c.se), std::tuple("voice.pse", 1U, &c.voice)}) {
        Path(std::string(sample::kSeFolder) + package);
        for (const TSoundTableEntry& e : *table) {
            TPseSound wave(std::string(package) + "/" + e.name, bank, sound);
            EXPECT_NE(TDxProbe::State(wave), TStreamSound::kNotLoaded) << e.name;
            EXPECT_GT(wave.GetLength(), 50) << e.name;
        }
    }
    for (const TSoundTableEntry& e : c.bgm) {
        Path(std::string(sample::kMusicFolder) + e.name);
        const bool intro = std::count(c.musicWithIntro.begin(), c.musicWithIntro.end(), e.name) != 0;
        if (intro) {
            Path(std::string(sample::kMusicFolder) + "_" + e.name);
        }
        TOggStreamSound music(e.name, 2, sound);
        EXPECT_NE(TDxProbe::State(music), TStreamSound::kNotLoaded) << e.name;
        EXPECT_EQ(TDxProbe::HasIntro(music), intro) << e.name;
        EXPECT_GE(music.GetLength(), 1000) << e.name;
    }

    // Every picture: icons 32 × 32 with alpha, description pictures 64 × 64 opaque (drawn at x 38
    // of windows whose lines start at x 106), the field's and the scenes'
    // pictures as their writers make them.
    for (const sample::TexturePackage& package : c.textures) {
        const std::string path = Path(std::string(sample::kTextureFolder) + package.file);
        for (const std::string& entry : package.entries) {
            TIndexedImage image;
            ASSERT_TRUE(TTexturePackage::ReadImage(path, entry, &image)) << package.file << "/" << entry;
            if (package.picture == sample::TexturePackage::Picture::Field ||
                package.picture == sample::TexturePackage::Picture::Scene ||
                package.picture == sample::TexturePackage::Picture::Minimap ||
                package.picture == sample::TexturePackage::Picture::HeroLook) {
                const qmtest::PtxImage field = package.picture == sample::TexturePackage::Picture::Field ? sample::FieldPicture(entry)
                                               : package.picture == sample::TexturePackage::Picture::Scene
                                                   ? qmtest::ScenePicture(entry)
                                               : package.picture == sample::TexturePackage::Picture::Minimap
                                                   ? sample::MinimapPicture(entry)
                                                   : sample::HeroLookPicture(entry);
                EXPECT_EQ(image.width, field.width) << entry;
                EXPECT_EQ(image.height, field.height) << entry;
                EXPECT_EQ(image.HasAlphaLayer(), field.kind != 0) << entry;
                continue;
            }
            const bool icon = package.picture == sample::TexturePackage::Picture::Icon;
            EXPECT_EQ(image.width, icon ? 32u : 64u) << entry;
            EXPECT_EQ(image.height, icon ? 32u : 64u) << entry;
            EXPECT_EQ(image.HasAlphaLayer(), icon) << entry;
        }
    }

    // The ending's pages and staff-roll images at their size.
    const std::string endingPath = Path(std::string(sample::kTextureFolder) + "ending.ptx");
    for (const qmtest::PtxImage& picture : qmtest::EndingPictures()) {
        const std::string entry = picture.storedName.substr(0, picture.storedName.find('\0'));
        TIndexedImage image;
        ASSERT_TRUE(TTexturePackage::ReadImage(endingPath, entry, &image)) << entry;
        EXPECT_EQ(image.width, 256u) << entry;
        EXPECT_EQ(image.height, 256u) << entry;
    }

    // The sky dome.
    TMesh8::SetDirectory(dir_.Path().string() + "/" + sample::kMeshFolder);
    for (const std::string& name : c.meshes) {
        Path(std::string(sample::kMeshFolder) + name);
        const TMesh8 mesh = TMesh8::Load(name);
        EXPECT_GT(mesh.GetVertexCount(), 0u) << name;
        EXPECT_EQ(mesh.GetMaterialCount(), 1u) << name;
    }

    // The effect folder: the manager builds every prototype of the catalogue from it.
    TFrame::SetDirectory(dir_.Path().string() + "/" + sample::kFrameFolder);
    TTexture8::SetDirectory(dir_.Path().string() + "/" + sample::kTextureFolder);
    TEffectManager::SetFolder(sample::kEffectFolder);
    {
        TEffectManager effects;
        EXPECT_EQ(TEffectProbe::PrototypeCount(effects), 193u);
        for (std::uint32_t id : TEffectManager::GetCatalogueIds()) {
            EXPECT_NE(effects.FindPrototype(id).Get(), nullptr) << id;
        }
    }
    for (const std::string& name : qmtest::EffectFrameFiles()) {
        Path(std::string(sample::kFrameFolder) + sample::kEffectFolder + name);
    }
    for (const std::string& name : qmtest::EffectMeshFiles()) {
        Path(std::string(sample::kMeshFolder) + sample::kEffectFolder + name);
    }
    Path(std::string(sample::kTextureFolder) + "effect.ptx");
    // The field: every map builds its data, every character file reads.
    TMapData::SetDirectory(dir_.Path().string() + "/data/scr04/");
    for (const std::string& name : c.maps) {
        std::string file;
        ASSERT_TRUE(TMapData::GetFilePart(name, file)) << name;
        Path("data/scr04/" + file);
        const TMapData map(name, nullptr, nullptr, nullptr);
        EXPECT_LE(map.GetMapKind(), 1u) << name;
        const std::uint32_t mode = map.GetCameraMode();
        EXPECT_TRUE(mode == TMapData::kCameraFollow || mode == TMapData::kCameraKeys) << name;
        EXPECT_TRUE(map.HasEntryPoint()) << name;
        EXPECT_TRUE(std::any_of(c.bgm.begin(), c.bgm.end(),
                                [&](const TSoundTableEntry& e) { return e.name == map.GetMusicName(); }))
            << name;
        TMesh8::Load("map04/" + map.GetAreaMeshName());
        TMesh8::Load("map04/_" + map.GetAreaMeshName());
        // Its enemies are in the enemy table, its minimap in the minimap pictures.
        const auto known = [&](std::uint32_t type) {
            return std::any_of(c.enemies.begin(), c.enemies.end(), [&](const TEnemyRecord& e) { return e.id == type; });
        };
        for (const TMapEnemy& enemy : map.GetEnemies()) {
            EXPECT_TRUE(known(enemy.typeId)) << name << " " << enemy.typeId;
        }
        for (const TMapEnemySpawner& spawner : map.GetEnemySpawners()) {
            EXPECT_TRUE(known(spawner.typeId)) << name << " " << spawner.typeId;
        }
        if (!map.GetMinimapName().empty()) {
            TIndexedImage picture;
            EXPECT_TRUE(TTexturePackage::ReadImage(Path(std::string(sample::kTextureFolder) + "minimap.ptx"),
                                                   map.GetMinimapName(), &picture))
                << name;
        }
        // Every villager's set-up script describes it in a model of the folder.
        TScript::SetDirectory(dir_.Path().string() + "/data/scr04/");
        TScriptProcessManager::Create();
        for (const std::string& key : TMapProbe::VillagerNames(map)) {
            TVillagerInfo info;
            EXPECT_TRUE(LoadVillagerInfo(info, key)) << key;
            EXPECT_TRUE(fs::exists(dir_.Path() / sample::kMeshFolder / "char04" / (info.name + ".tob"))) << key;
        }
        TScriptProcessManager::Destroy();
        TScript::SetDirectory("");
    }
    for (const std::string& file : c.scripts) {
        Path("data/scr04/" + file);
    }
    TMapData::SetDirectory("");
    TAttackTable::SetDirectory(dir_.Path().string() + "/data/chrdata04/");
    for (const std::string& name : c.attackTables) {
        Path("data/chrdata04/" + name);
        TAttackTable::Load(name);
        EXPECT_EQ(TMapProbe::AttackCount(), c.attacks.size()) << name;
        for (const TAttackRecord& record : c.attacks) {
            EXPECT_TRUE(TMapProbe::HasAttack(record.Id)) << name << " " << record.Id;
            EXPECT_EQ(TAttackTable::Get(record.Id).Radius, record.Radius) << name << " " << record.Id;
            EXPECT_EQ(TAttackTable::Get(record.Id).Param3, record.Param3) << name << " " << record.Id;
        }
    }
    TAttackTable::Clear();
    TAttackTable::SetDirectory("");

    // The player models: every motion (the classes' models have more) has its pattern and its
    // weapon poses. Untextured bodies are drawn in their materials' emissive colours (body, face,
    // eyes): never white, and no two bodies alike.
    TPatternInfo::SetDirectory(dir_.Path().string() + "/" + sample::kCharacterDataFolder);
    TWeponState::SetDirectory(dir_.Path().string() + "/" + sample::kCharacterDataFolder);
    std::set<std::tuple<float, float, float>> bodyColours;
    for (const std::string& model : c.characterModels) {
        Path(std::string(sample::kMeshFolder) + sample::kCharacterFolder + model + ".tob");
        Path(std::string(sample::kCharacterDataFolder) + model + ".pat");
        Path(std::string(sample::kCharacterDataFolder) + model + ".wpm");
        const TMesh8 body = TMesh8::Load(std::string(sample::kCharacterFolder) + model + ".tob");
        EXPECT_GE(body.GetMorphCount(), sample::kPlayerMotions) << model;
        ASSERT_EQ(body.GetMaterialCount(), 3u) << model;
        const D3DCOLORVALUE& e = TDxProbe::Material(body, 0).GetMaterial().Emissive;
        EXPECT_EQ(e.a, 1.0F) << model;
        EXPECT_LT(std::min({e.r, e.g, e.b}), 1.0F) << model;
        EXPECT_TRUE(bodyColours.insert({e.r, e.g, e.b}).second) << model;
        const TPatternInfo pattern((model + ".pat").c_str());
        EXPECT_EQ(TCharacterProbe::PatternCount(pattern), body.GetMorphCount()) << model;
        EXPECT_FLOAT_EQ(pattern.GetFrame(2, 0.0F)->Displacement.z, -0.05F) << model;
        const TWeponState wepons = TCharacterProbe::LoadWeponState((model + ".wpm").c_str());
        EXPECT_EQ(TCharacterProbe::MotionCount(wepons), body.GetMorphCount()) << model;
    }
    TPatternInfo::SetDirectory("");
    TWeponState::SetDirectory("");

    // The weapons the characters hold.
    for (const TWeponRecord& w : c.wepons) {
        Path(std::string(sample::kMeshFolder) + "wepon/" + w.MeshName + ".msh");
        const TMesh8 blade = TMesh8::Load("wepon/" + w.MeshName + ".msh");
        EXPECT_EQ(blade.GetFaceCount(), 2u) << w.MeshName;
    }

    // Nothing is written that the checks above did not read.
    std::set<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.Path())) {
        if (entry.is_regular_file()) {
            written.insert(fs::relative(entry.path(), dir_.Path()).generic_string());
        }
    }
    EXPECT_EQ(written, read_);
    for (const std::string& folder : c.folders) {
        EXPECT_TRUE(fs::is_directory(dir_.Path() / folder)) << folder;
    }
}

// Every figure shows its face where it walks (its walking motions step it along its forward axis),
// its eyes up on a head, and the strong enemy stands taller than any other figure by half.
TEST_F(GeneratedFolder, EveryFigureFacesTheWayItWalks)
{
    ASSERT_TRUE(InitDevice());
    const sample::Catalogue& c = sample::GetCatalogue();
    TMesh8::SetDirectory(dir_.Path().string() + "/" + sample::kMeshFolder);
    TTexture8::SetDirectory(dir_.Path().string() + "/" + sample::kTextureFolder);
    TPatternInfo::SetDirectory(dir_.Path().string() + "/" + sample::kCharacterDataFolder);
    std::map<std::string, float> heights;
    for (const std::string& model : c.characterModels) {
        TMesh8 body = TMesh8::Load(std::string(sample::kCharacterFolder) + model + ".tob");
        const TPatternInfo pattern((model + ".pat").c_str());
        D3DXVECTOR3 forward = pattern.GetFrame(2, 0.0F)->Displacement;
        ASSERT_GT(D3DXVec3Length(&forward), 0.0F) << model;
        D3DXVec3Normalize(&forward, &forward);

        // The vertices of each material's faces: where along the forward axis they stand on average.
        struct Span {
            float along = 0.0F;
            float top = 0.0F;
            float low = 1e9F;
            int count = 0;
        };
        std::map<std::string, Span> spans;
        Span all;
        const auto* vertices = static_cast<const std::uint8_t*>(body.LockVerticesReadOnly(0));
        const std::uint16_t* indices = body.LockIndicesReadOnly();
        ASSERT_NE(vertices, nullptr) << model;
        ASSERT_NE(indices, nullptr) << model;
        for (std::uint16_t t = 0; t < body.GetFaceCount(); ++t) {
            Span& span = spans[TDxProbe::Name(*body.GetMaterialOfFace(t))];
            for (int k = 0; k < 3; ++k) {
                // The 0x142 vertex: position, colour, one pair of texture coordinates.
                D3DXVECTOR3 p;
                std::memcpy(&p, vertices + std::size_t{indices[t * 3 + k]} * 24, sizeof p);
                for (Span* s : {&span, &all}) {
                    s->along += D3DXVec3Dot(&p, &forward);
                    s->top = std::max(s->top, p.y);
                    s->low = std::min(s->low, p.y);
                    ++s->count;
                }
            }
        }
        body.UnlockIndices();
        body.UnlockVertices(0, false);
        ASSERT_EQ(spans.count("Eyes"), 1u) << model;
        const Span& eyes = spans["Eyes"];
        EXPECT_GT(eyes.along / eyes.count, all.along / all.count + 0.05F) << model << ": the eyes look backwards";
        EXPECT_GT(eyes.low, all.top * 0.5F) << model << ": the eyes are not up on a head";
        heights[model] = all.top;
    }
    TPatternInfo::SetDirectory("");
    const float strong = heights.at(sample::SampleLayout::kStrongEnemyModel);
    for (const auto& [model, height] : heights) {
        if (model != sample::SampleLayout::kStrongEnemyModel) {
            EXPECT_GT(strong, 1.5F * height) << model;
        }
    }
}

// The icon names the game makes itself resolve to pictures of the folder, at both ends of each range.
TEST_F(GeneratedFolder, TheIconsTheGameNamesByIndexAreInTheirPackages)
{
    auto has = [&](const std::string& key) {
        const std::size_t slash = key.find('/');
        TIndexedImage image;
        return TTexturePackage::ReadImage(dir_.Path().string() + "/" + sample::kTextureFolder + key.substr(0, slash),
                                          key.substr(slash + 1), &image);
    };
    EXPECT_TRUE(has("skl_icon.ptx/" + TSkillTable::GetIconName(0)));
    EXPECT_TRUE(has("skl_icon.ptx/" + TSkillTable::GetIconName(TSkillTable::kIconCount - 1)));
    for (std::int32_t type : {0, 11}) {
        TWeponTable::Get(90000).Type = type;
        EXPECT_TRUE(has(TWeponTable::GetIconName(90000))) << type;
    }
    TWeponTable::Clear();
}

}  // namespace
