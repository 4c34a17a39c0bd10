// What the sample folder holds: a small, original set of records, sounds and pictures.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "MainCode/Character/TTimeStopEnemy.h"
#include "MainCode/Map/TMapItem.h"
#include "MainCode/TMenuSound.h"
#include "SampleData.h"
#include "SampleParts.h"
#include "SampleSteal.h"
#include "SampleScripts.h"
#include "formats/event_assets.h"
#include "formats/field_writer.h"

namespace sample {

std::string Numbered(const char* prefix, std::uint32_t n)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%03u", prefix, static_cast<unsigned>(n));
    return text;
}

TItemRecord Item(std::uint32_t id, const char* name, std::uint8_t kind, std::uint32_t price, const char* text)
{
    TItemRecord r;
    r.Id = id;
    r.Name = name;
    r.Kind = kind;
    r.RingUsable = kind == 0 ? 1 : 0;
    r.BuyPrice = price;
    r.SellPrice = price / 2;
    r.InfoName = Numbered("info", id);
    r.IconName = Numbered("icon", id);
    r.Text1 = text;
    return r;
}

TSkillRecord Skill(std::uint32_t id, const char* name, std::uint8_t type, const char* text)
{
    TSkillRecord r;
    r.Id = id;
    r.Name = name;
    r.Type = type;
    r.InfoName = Numbered("skill", id);
    r.Text1 = text;
    return r;
}

TWeponRecord Wepon(std::uint32_t id, const char* name, std::int32_t type, std::uint32_t attack, std::uint32_t element,
                   std::uint32_t firstSkill)
{
    TWeponRecord r;
    r.Id = id;
    r.Name = name;
    r.Type = type;
    r.Attack = attack;
    r.TrailLength = 1.0F;
    r.Element = element;
    r.Skill[0] = firstSkill;
    r.MeshName = Numbered("wpn", id);
    return r;
}

namespace {

TAccessoryRecord Accessory(std::uint32_t id, const char* name, std::int32_t physical, std::int32_t magic)
{
    TAccessoryRecord r;
    r.Id = id;
    r.Name = name;
    r.PhysicalDefence = physical;
    r.MagicDefence = magic;
    return r;
}

TItemMeanRecord Mean(std::uint32_t id, std::int32_t hp, std::int32_t mp, std::uint8_t curePoison, std::int32_t cost)
{
    TItemMeanRecord r;
    r.Id = id;
    r.HpRecover = hp;
    r.MpRecover = mp;
    r.CurePoison = curePoison;
    r.Cost = cost;
    return r;
}


THrdefRecord Hero(std::int32_t id, const char* name, std::uint32_t weapon, const char* model)
{
    THrdefRecord r;
    r.Id = id;
    r.Name = name;
    // The first level (counted from 0) with no experience: its floor.
    r.Level = 0;
    r.LifeMax = 120;
    r.MpMax = 40;
    r.WeaponId = weapon;
    // The bracelet and the ring: each worn once, so a win counts toward each of them.
    r.Accessory1Id = 2000;
    r.Accessory2Id = 2001;
    r.FaceName = std::string("face_") + model;
    r.ModelName = model;
    r.TableName = model;
    return r;
}

// The field's enemy with another id, name, strength and vitality.
TEnemyRecord Enemy(std::uint32_t id, const char* label, std::int32_t level, std::int32_t hp, std::int32_t str,
                   std::int32_t vit)
{
    TEnemyRecord r = qmtest::FieldEnemyRecord();
    r.id = id;
    r.label = label;
    r.maxHp = r.hp = hp;
    r.str = str;
    r.vit = vit;
    r.level = level;
    r.money = 20 * level;
    r.item = 1;
    r.itemChance = 0.2F;
    return r;
}

void AddRange(std::vector<std::uint32_t>& ids, std::uint32_t first, std::uint32_t last)
{
    for (std::uint32_t id = first; id <= last; ++id) {
        ids.push_back(id);
    }
}

// Every effect sound a hero or an enemy can play: they share one list.
std::vector<std::uint32_t> CharacterSounds()
{
    std::vector<std::uint32_t> ids;
    // Hits: five kinds, each plain and strong, and the two guarded ones.
    AddRange(ids, 100, 109);
    ids.insert(ids.end(), {111, 112});
    ids.insert(ids.end(), {TMapItem::kItemSound, TMapItem::kMoneySound, 218, 402});
    // Blows, shots, heals, blades, rumbles and the skill flourishes.
    AddRange(ids, 500, 509);
    ids.push_back(kSoundRefused);
    // The time stop and its held loop.
    ids.insert(ids.end(), {651, 652});
    // Steps and landings on each of the eight ground surfaces.
    AddRange(ids, 1000, 1007);
    AddRange(ids, 1500, 1507);
    return ids;
}

// A hero's voices: the down voice and the skills' calls; the second hero's ids are 1000 higher,
// except its down voice.
std::vector<std::uint32_t> HeroVoices(bool first)
{
    const std::uint32_t offset = first ? 0 : 1000;
    std::vector<std::uint32_t> ids = {first ? 106u : 1100u};
    AddRange(ids, 150 + offset, 154 + offset);
    for (std::uint32_t base : {200u, 250u, 300u, 400u}) {
        AddRange(ids, base + offset, base + 3 + offset);
    }
    AddRange(ids, 350 + offset, 352 + offset);
    return ids;
}

// One table entry per distinct id of the lists, in id order, named by prefix and id.
std::vector<TSoundTableEntry> SoundTable(const char* prefix, const std::vector<SoundList>& lists)
{
    std::vector<std::uint32_t> ids;
    for (const SoundList& list : lists) {
        ids.insert(ids.end(), list.ids.begin(), list.ids.end());
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<TSoundTableEntry> table;
    for (std::uint32_t id : ids) {
        table.push_back({id, Numbered(prefix, id)});
    }
    return table;
}

}  // namespace

std::vector<qmtest::FieldMap> SampleMaps()
{
    std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
    qmtest::FieldMap& battle = maps[0];
    qmtest::FieldMap& town = maps[1];
    for (qmtest::FieldMap* map : {&battle, &town}) {
        map->file = SampleLayout::kMapFile;
    }
    battle.entry = "b04_00";
    town.entry = "t04_00";
    battle.enemies.at(0).position = SampleLayout::Enemy();
    for (const qmtest::FieldEnemy& enemy : SampleLayout::ClassEnemies()) {
        battle.enemies.push_back(enemy);
    }
    battle.enemies.push_back({SampleLayout::kStrongEnemyType, SampleLayout::StrongEnemy(), {}});
    battle.spawnDistance = SampleLayout::kBattleSpawnDistance;
    // A defeat here ends the game.
    battle.objectSet = "non";
    battle.minimap = SampleLayout::kBattleMinimap;
    town.minimap = SampleLayout::kTownMinimap;
    town.areaMesh = "t04_00.msh";
    town.groundWest = SampleLayout::kTownWest;
    // Cells wider than the land round the fences: all of it shows from anywhere.
    for (qmtest::FieldMap* map : {&battle, &town}) {
        map->meshCell = 400.0F;
    }
    town.savePoints = {{SampleLayout::kTownSavePoint, SampleLayout::TownSavePointMark()}};
    qmtest::FieldTrigger gate;
    gate.boxMinimum = SampleLayout::WallGateBoxMinimum(SampleLayout::GateMinimum());
    gate.boxMaximum = SampleLayout::WallGateBoxMaximum(SampleLayout::GateMaximum());
    gate.facing = SampleLayout::WallGateBoxFacing();
    gate.destination = SampleLayout::kBattle;
    gate.startPosition = SampleLayout::BattleArrival();
    gate.startDirection = qmtest::FieldLayout::StartDirection();
    gate.startCamera = qmtest::FieldLayout::StartCamera();
    town.triggers = {gate};
    gate.destination = SampleLayout::kTown;
    gate.startPosition = SampleLayout::TownArrival();
    gate.startDirection = SampleLayout::TownArrivalDirection();
    gate.startCamera = SampleLayout::TownArrivalCamera();
    gate.boxMinimum = SampleLayout::WallGateBoxMinimum(SampleLayout::BattleGateMinimum());
    gate.boxMaximum = SampleLayout::WallGateBoxMaximum(SampleLayout::BattleGateMaximum());
    battle.triggers = {gate};
    AddShopVillagers(maps[1]);
    AddEquipmentPickups(maps[1]);
    AddTownObjects(town);
    AddBattleObjects(battle);
    AddSkillPickups(battle);
    AddHeroClassRack(town);
    AddWell(town);
    AddPartnerPickups(battle);
    AddStatusEnemies(battle);
    // As many as are placed: once one of them is beaten, the spawner in the north-east corner sends
    // another, which keeps to that corner.
    battle.maxLive = static_cast<std::uint32_t>(battle.enemies.size());
    battle.spawners.at(0).typeId = SampleLayout::kSpawnedEnemyType;
    battle.spawners.at(0).position = SampleLayout::Spawner();
    battle.spawners.at(0).leash = 2.0F;
    AddReactionArena(maps);
    AddEnemyArtsEnemies(maps);
    AddLeftoverMap(maps);
    AddStealMap(maps);
    return maps;
}

namespace {

Catalogue Build()
{
    Catalogue c;
    c.folders = {kTextureFolder, kMeshFolder,   kFrameFolder, kSeFolder, kMusicFolder, kTableFolder,
                 "char04/",      "data/chrdata04/", "map04/",   "data/scr04/", "visual04/", "effect/"};

    c.wepons = {
        Wepon(1000, "木の剣", 0, 12, 0, 1),
        Wepon(1001, "鉄の槍", 3, 18, 1, 2),
        Wepon(1002, "細い杖", 5, 9, 2, 3),
    };
    // The wooden sword's second skill, at 200 points: basic skill 5, the break-fall, of no weapon
    // type. Set in a gauge slot and selected, it lets a struck hero holding X spend 20 MP to spring
    // clear of the blow at once.
    c.wepons[0].Skill[1] = 5;
    c.accessories = {
        Accessory(2000, "銅の腕輪", 2, 1),
        Accessory(2001, "守りの指輪", 2, 1),
    };
    c.items = {
        Item(1, "回復の薬", 0, 50, "体力を少し回復する"),
        Item(2, "魔力の薬", 0, 80, "魔力を少し回復する"),
        Item(3, "毒消し", 0, 30, "毒を消す"),
        Item(4, "力の実", 0, 500, "しばらく力が上がる"),
    };
    for (const TWeponRecord& w : c.wepons) {
        c.items.push_back(Item(w.Id, w.Name.c_str(), 1, 300, "武器"));
    }
    for (const TAccessoryRecord& a : c.accessories) {
        c.items.push_back(Item(a.Id, a.Name.c_str(), 2, 200, "装飾品"));
    }
    AddEquipmentContent(c);
    c.itemMeans = {Mean(1, 100, 0, 0, 100), Mean(2, 0, 30, 0, 100), Mean(3, 0, 0, 1, 50), Mean(4, 0, 0, 0, 200)};
    c.itemMeans[3].Bonus[0] = 10;
    c.itemMeans[3].Duration = 600;
    c.skills = {
        Skill(1, "払い斬り", 4, "横に払って斬る"),
        Skill(2, "突き", 7, "まっすぐ突く"),
        Skill(3, "光の玉", 9, "光の玉を放つ"),
        Skill(5, "受け身", 0, "打たれた瞬間に身をかわす"),
    };
    // The town's save point, where a loaded game starts.
    TSvpRecord town = qmtest::FieldSavePoint();
    town.Id = SampleLayout::kTownSavePoint;
    town.MapName = SampleLayout::kTown;
    town.StartX = SampleLayout::TownSavePointMark().x;
    town.StartY = SampleLayout::TownSavePointMark().y;
    town.StartZ = SampleLayout::TownSavePointMark().z;
    town.PlaceName = qmtest::DefaultFieldMaps()[1].display;
    c.savePoints = {town};
    c.heroes = {Hero(0, "主人公", 1000, "hero"), Hero(1, "相棒", 1001, "partner")};
    // The battle map's enemies, one of each class (kFieldEnemyClassTypes), and one more type. A
    // new hero's vitality is 104 (100, the bracelet's 2 and the ring's 2); at their levels the
    // ordinary ones' strength (twice the grown value) comes to 100..110, blows of 7 to 21 of its
    // 120 HP, and the strong one's to 256, a blow past its HP. The time stopper's is the least,
    // 96, its blows a scratch of 1 or 2: it stops time only in about one swing in twenty, and a
    // new hero who waits beside it for a stop lives through the blows before it.
    c.enemies = {Enemy(qmtest::kFieldEnemyType, "草原の獣", 1, 160, 48, 4), Enemy(3, "岩の番人", 12, 900, 90, 45),
                 Enemy(22, "跳ねる虫", 2, 80, 47, 4),        Enemy(2, "火の精", 3, 90, 45, 5),
                 Enemy(10011, "甦る骸", 6, 240, 38, 8),      Enemy(59, "群れの影", 5, 120, 40, 6),
                 Enemy(10025, "時を止める者", 8, 300, 26, 9)};
    // The strong one strikes back in a model of its own.
    c.enemies[1].modelName = SampleLayout::kStrongEnemyModel;
    GiveEnemiesTheirLooks(c.enemies);

    // The field's tracks stand clear of the scenes' own ids (1, 10, 11, 16, 51..57).
    c.bgm = {{1, "title.ogg"}, {2, "field.ogg"}, {10, "gameover.ogg"}};
    for (const auto& track : qmtest::FieldMusicTable()) {
        c.bgm.push_back({track.first + 20, track.second});
    }
    c.musicWithIntro = {"title.ogg"};
    // A bank plays only what some list has loaded: each sound sits in the list of whoever plays it.
    std::vector<SoundList> effects = {
        {"subset/title_se.tbl", {600, 603, 605, 606}},
        // Every menu scene but the shops and the inn: cursors, skill set, decide, start, cancel,
        // item-ring turn, refused.
        {"subset/menu_se.tbl", {600, 601, 602, 603, 605, 606, 607, 608}},
        {"subset/speak_se.tbl", {kSoundListCursor, kSoundDecide, kSoundCancel}}};
    std::vector<SoundList> voices;
    for (const THrdefRecord& hero : c.heroes) {
        effects.push_back({"char/" + hero.ModelName + "_se.tbl", CharacterSounds()});
        voices.push_back({"char/" + hero.ModelName + "_vc.tbl", HeroVoices(hero.Id == 0)});
    }
    // The enemies' voices come from their motions, none so far.
    for (const TEnemyRecord& enemy : c.enemies) {
        const std::string list = "char/" + enemy.soundName;
        if (std::none_of(effects.begin(), effects.end(), [&](const SoundList& l) { return l.file == list + "_se.tbl"; })) {
            effects.push_back({list + "_se.tbl", CharacterSounds()});
            voices.push_back({list + "_vc.tbl", {}});
        }
    }
    AddRingContent(c, effects);
    c.se = SoundTable("se", effects);
    c.voice = SoundTable("vc", voices);
    c.soundLists = effects;
    c.soundLists.insert(c.soundLists.end(), voices.begin(), voices.end());
    c.soundLists.push_back({"subset/title_bgm.tbl", {1}});
    c.soundLists.push_back({"subset/die_bgm.tbl", {10}});
    // Experience and ability points by level difference -100..100.
    SoundList experience{"ex.tbl", {}};
    SoundList abilityPoints{"abp.tbl", {}};
    for (std::uint32_t d = 0; d <= 200; ++d) {
        experience.ids.push_back(d <= 100 ? d * 2 : 200 + (d - 100) * 10);
        abilityPoints.ids.push_back(d / 20 + 1);
    }
    c.valueTables = {experience, abilityPoints};

    // The pictures the built code draws: item and skill icons and descriptions, weapon-type icons.
    TexturePackage icons{"itemicon.ptx", TexturePackage::Picture::Icon, {}};
    TexturePackage infos{"iteminfo.ptx", TexturePackage::Picture::Panel, {}};
    for (const TItemRecord& item : c.items) {
        icons.entries.push_back(item.IconName);
        infos.entries.push_back(item.InfoName);
    }
    TexturePackage skillInfos{"skillinfo.ptx", TexturePackage::Picture::Panel, {}};
    for (const TSkillRecord& skill : c.skills) {
        skillInfos.entries.push_back(skill.InfoName);
    }
    TexturePackage skillIcons{"skl_icon.ptx", TexturePackage::Picture::Icon, {}};
    for (std::uint32_t i = 0; i < TSkillTable::kIconCount; ++i) {
        skillIcons.entries.push_back(TSkillTable::GetIconName(i));
    }
    TexturePackage weponIcons{"itm_icon.ptx", TexturePackage::Picture::Icon, {}};
    for (int type = 0; type < 12; ++type) {
        char name[16];
        std::snprintf(name, sizeof name, "itm%02d_icon", type + 2);
        weponIcons.entries.push_back(name);
    }
    c.textures = {icons, infos, skillInfos, skillIcons, weponIcons};
    AddHudSamples(c);
    // The message window's parts and letter sheet, the enemy gauge and the minimap's window, cursor
    // and picture: the field's own.
    TexturePackage sprites{"sprite.ptx", TexturePackage::Picture::Field, {}};
    for (const qmtest::PtxImage& sprite : qmtest::FieldSprites()) {
        sprites.entries.push_back(sprite.storedName.substr(0, sprite.storedName.size() - 1));
    }
    AddSaveScreenSprites(sprites);
    c.textures.push_back(sprites);
    c.textures.push_back({"minimap.ptx", TexturePackage::Picture::Minimap,
                          {SampleLayout::kTownMinimap, SampleLayout::kBattleMinimap, qmtest::kMistMinimap,
                           qmtest::kCaveMinimap, kMeadowMinimap, kHollowMinimap, Reactions::kArenaMinimap}});
    c.textures.push_back({"title.ptx", TexturePackage::Picture::Scene, {"title", "menu", "vrrw_logo", "gameover"}});
    c.textures.push_back({kHeroLookPackage, TexturePackage::Picture::HeroLook, {"hero", "hero01", "hero02"}});
    c.meshes.insert(c.meshes.begin(), {kSkyMesh, "sky/sky00_00.msh", "map04/field00.msh", "map04/_field00.msh",
                                       "map04/t04_00.msh", "map04/_t04_00.msh", "visual04/crate.msh", kShadowMesh});
    for (const char* ground : {Reactions::kArenaMesh, StealLayout::kGroundMesh}) {
        // The arena's and the hollow's own grounds.
        c.meshes.push_back(std::string("map04/") + ground);
        c.meshes.push_back(std::string("map04/_") + ground);
    }
    for (const qmtest::FieldMap& map : SampleMaps()) {
        c.maps.push_back(map.file + "/" + map.entry);
    }
    for (const std::string& mesh : qmtest::FieldObjectMeshes()) {
        c.meshes.push_back(mesh);
    }
    for (const qmtest::FieldScriptFile& file : qmtest::FieldScripts()) {
        c.scripts.push_back(file.file);
    }
    c.attackTables = {"basic.bht"};
    c.attacks = qmtest::FieldAttackRecords();
    // The field's strike with the blow's word that stops time, reaching further.
    TAttackRecord stopBlow = c.attacks.at(1);
    stopBlow.Id = SampleLayout::kStopBlowAttack;
    stopBlow.Param8 = TTimeStopEnemy::kStopBlow;
    stopBlow.Offset[2] = -SampleLayout::kStopBlowReach;
    AddAttack(c, stopBlow);
    // The hit that ends the stop, made at the stopper's feet: wide enough for whoever it holds.
    TAttackRecord stopEnd = c.attacks.at(1);
    stopEnd.Id = TTimeStopEnemy::kStrikeCode;
    stopEnd.Offset[1] = stopEnd.Offset[2] = 0.0F;
    stopEnd.Radius = SampleLayout::kStopEndRadius;
    stopEnd.DamageFactor = 1.0F;
    AddAttack(c, stopEnd);
    // The weapon looks of both heroes' first weapon types, their town looks and the enemies' models.
    c.characterModels = HeroModels(c);
    c.characterModels.push_back(kElderModel);
    for (const TEnemyRecord& enemy : c.enemies) {
        if (std::find(c.characterModels.begin(), c.characterModels.end(), enemy.modelName) == c.characterModels.end()) {
            c.characterModels.push_back(enemy.modelName);
        }
    }
    AddShop(c);
    AddMapObjects(c);
    AddEvents(c);
    AddSubScreenContent(c);
    AddLeftoverContent(c);
    AddReactionContent(c);
    AddEnemyArtsContent(c);
    AddStealContent(c);
    AddSkillContent(c);
    AddHeroClassContent(c);
    AddPartnerClasses(c);
    AddStatusContent(c);
    AddScriptContent(c);
    // Every enemy brings ability points of its own, what the gain pop-up shows; the table adds a
    // few by the level difference.
    for (TEnemyRecord& enemy : c.enemies) {
        enemy.levelWordA = kEnemyAbilityPoints;
    }
    return c;
}

}  // namespace

void AddAttack(Catalogue& c, const TAttackRecord& record)
{
    for (const TAttackRecord& held : c.attacks) {
        if (held.Id == record.Id) {
            if (std::memcmp(&held, &record, sizeof record) != 0) {
                throw std::runtime_error("two different attack records of id " + std::to_string(record.Id));
            }
            return;
        }
    }
    c.attacks.push_back(record);
}

const Catalogue& GetCatalogue()
{
    static const Catalogue catalogue = Build();
    return catalogue;
}

}  // namespace sample
