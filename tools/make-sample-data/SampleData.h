// The sample game folder: an original stand-in for the game data, made entirely from code
// (shapes, colours, tones), holding every file the game reads up to the scenes built so far.
//
// Whenever the game starts reading a new file, the catalogue and the writers here grow with it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "MainCode/Character/TEnemyRecord.h"
#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TAttackRecord.h"
#include "dx/dx8/sound/TSoundTableReader.h"
#include "formats/field_writer.h"
#include "formats/player_model_writer.h"

namespace sample {

// The folders start-up hands to the loaders (relative to the game folder).
inline constexpr const char* kTextureFolder = "data/ptx04/";
inline constexpr const char* kMeshFolder = "data/msh04/";
inline constexpr const char* kSeFolder = "data/se04/";
inline constexpr const char* kMusicFolder = "data/bgm04/";
inline constexpr const char* kTableFolder = "data/tbl04/";
inline constexpr const char* kFrameFolder = "data/frm04/";
// The effect folder inside the frame and mesh folders, as start-up sets it.
inline constexpr const char* kEffectFolder = "effect/";
// The sky dome that start-up builds, inside the mesh folder.
inline constexpr const char* kSkyMesh = "sky/sky00.msh";
// The ground shadow of every character, inside the mesh folder.
inline constexpr const char* kShadowMesh = "effect/shadow01_mesh.msh";
// Character bodies inside the mesh folder; their pattern and weapon files in the character data folder.
inline constexpr const char* kCharacterFolder = "char04/";
inline constexpr const char* kCharacterDataFolder = "data/chrdata04/";
// Motions of a player model: the states 0..19 and the shared skill motions up to 36.
inline constexpr std::uint32_t kPlayerMotions = qmtest::kPlayerModelMotions;

// One texture package and the entry names it holds, all pictures of one kind.
struct TexturePackage {
    // Field: the field folder's own pictures of those names (window, gauge and minimap parts).
    // Scene: the pictures of the scenes around play ("title.ptx").
    // Minimap: a field's own minimap picture of that name.
    // HeroLook: a picture the hero's town look wears.
    enum class Picture { Icon, Panel, Field, Scene, Minimap, HeroLook };
    std::string file;  // inside the texture folder
    Picture picture = Picture::Icon;
    std::vector<std::string> entries;
};

// One sound list file (inside the table folder) and its ids.
struct SoundList {
    std::string file;
    std::vector<std::uint32_t> ids;
};

// Everything the folder holds, as the game's loaders must read it back.
struct Catalogue {
    // Every distinct folder of start-up's folder settings, except "save/" (the game makes it).
    std::vector<std::string> folders;

    std::vector<TItemRecord> items;
    std::vector<TWeponRecord> wepons;
    std::vector<TAccessoryRecord> accessories;
    std::vector<TItemMeanRecord> itemMeans;
    std::vector<TSkillRecord> skills;
    std::vector<TSvpRecord> savePoints;
    std::vector<THrdefRecord> heroes;
    std::vector<TEnemyRecord> enemies;

    // Sound id tables: se names are waves in "se.pse", bgm names ".ogg" files in the music folder.
    std::vector<TSoundTableEntry> se;
    std::vector<TSoundTableEntry> voice;
    std::vector<TSoundTableEntry> bgm;
    std::vector<SoundList> soundLists;
    // Value tables in the sound-list format ("ex.tbl", "abp.tbl"), inside the table folder.
    std::vector<SoundList> valueTables;
    // Music tracks that start with an intro ("_" + the track's file).
    std::vector<std::string> musicWithIntro;

    std::vector<TexturePackage> textures;
    std::vector<std::string> meshes;  // inside the mesh folder

    // The field: map names ("file/entry") in the map-data folder and the attack tables (".bht") in
    // the character data folder.
    std::vector<std::string> maps;
    std::vector<std::string> attackTables;
    // The records of "basic.bht": the field's own, then whatever the heroes, skills and enemies of
    // the folder strike with (added through AddAttack, one record an id).
    std::vector<TAttackRecord> attacks;
    // Character models of the players, villagers and enemies: body ".tob", pattern ".pat" and weapon-state
    // ".wpm" of each name.
    std::vector<std::string> characterModels;
    std::vector<std::string> characterFiles;
    // Compiled script files in the map-data folder: the villagers' set-up and conversations.
    std::vector<std::string> scripts;
};

const Catalogue& GetCatalogue();
// Adds the record unless the table holds its id already (then the two must agree: throws otherwise).
void AddAttack(Catalogue& c, const TAttackRecord& record);
// The save screens' pictures added to "sprite.ptx" (its Field pictures then give them, in place
// of the field's plain ones where both have a picture of that name).
void AddSaveScreenSprites(TexturePackage& sprites);
// The ring's, gauge's and status icons' lists, meshes and item bonus, added while it is built.
void AddRingContent(Catalogue& c, std::vector<SoundList>& effects);

// Where the walk from the start leads. Play starts in the town "04.pbms/t04_00" facing west, the way
// on to the story a few steps ahead; in the same view the villagers' row ahead on the left, the
// save point and the gate in the north wall ahead on the right, each with a path round the way on.
// The gate leads to the battle map, whose enemy stands behind the arrival (the arrival faces +z),
// with the strong one ahead on the right and a gate back ahead on the left.
struct SampleLayout {
    static constexpr const char* kMapFile = "04.pbms";
    static constexpr const char* kTown = "04.pbms/t04_00";
    static constexpr const char* kBattle = "04.pbms/b04_00";
    // The story's save points of this chapter are 11..20; the town's is the first.
    static constexpr std::uint32_t kTownSavePoint = 11;
    static D3DXVECTOR3 TownStart() { return {-8.0F, 0.0F, 17.0F}; }
    static D3DXVECTOR3 TownStartDirection() { return {-1.0F, 0.0F, 0.0F}; }
    // The town's ground reaches this far west, past the villagers' row.
    static constexpr float kTownWest = -44.0F;
    // The way on to the story: a square of paving ahead of the start, walked onto. Far enough
    // ahead that a hero turning round on the start (who walks on a little while he turns) stays
    // off it.
    static qmtest::FieldScriptBox TownWayOn();
    // On the path from the start to the gate.
    static D3DXVECTOR3 TownSavePointMark() { return {-18.0F, 0.0F, 24.0F}; }
    // The villagers stand in a row beside the path west, south of the way on, their fronts to the
    // east (a villager faces against the facing its script gives).
    static constexpr float kVillagersZ = 9.0F;
    static D3DXVECTOR3 Elder() { return {-20.0F, 0.0F, kVillagersZ}; }
    static constexpr const char* kVillagerFacing = "-1 0 0";
    static constexpr const char* kTownMinimap = "t04_00";
    static constexpr const char* kBattleMinimap = "b04_00";
    // Behind the arrival, out of its view and farther than an enemy's notice (8) from it.
    static D3DXVECTOR3 Enemy() { return {20.0F, 0.0F, 1.0F}; }
    // An enemy farther than this from the player leaves the map until the next arrival: more than
    // the map's diagonal (50), so that every one stays wherever the player walks.
    static constexpr float kBattleSpawnDistance = 60.0F;
    // One enemy of each other class (B, C, D, E, the time-stopping one: kFieldEnemyClassTypes),
    // off to the sides of the walk, more than an enemy's notice (8) from it and from each other,
    // outside the views of the start and of the first hit. The time stopper stands to the right
    // of the arrival, low in the map: the straight way there from the arrival, and the ground a
    // couple of steps round it, keep more than twice the strong one's notice (16) from its patch.
    static std::vector<qmtest::FieldEnemy> ClassEnemies()
    {
        const std::uint32_t* type = qmtest::kFieldEnemyClassTypes;
        return {{type[1], {7.0F, 0.0F, 5.0F}, {}},  {type[2], {8.0F, 0.0F, 14.0F}, {}},
                {type[3], {4.0F, 0.0F, 22.0F}, {}}, {type[4], {37.0F, 0.0F, 19.0F}, {}},
                {type[5], {34.0F, 0.0F, 8.0F}, {}}};
    }
    // The strong enemy (the second enemy record) on its dark patch ahead on the right of the
    // arrival, beyond every other enemy's notice (8), and twice its own notice from the arrival and
    // the first enemy's fight, which the first enemy's blows push north.
    static constexpr std::uint32_t kStrongEnemyType = 3;
    static constexpr const char* kStrongEnemyModel = "enemy03";
    static D3DXVECTOR3 StrongEnemy() { return {28.0F, 0.0F, 26.0F}; }
    // The spawner, in the corner right of the strong enemy's patch, and the kind it sends (the
    // leaping one, not the kind ahead of the arrival).
    static D3DXVECTOR3 Spawner() { return {38.0F, 0.0F, 28.0F}; }
    static constexpr std::uint32_t kSpawnedEnemyType = 22;
    // The time-stopping enemy's stopping attack (its attack 9, in motion 25) lands with the blow
    // that stops time: attack record kStopBlowAttack, the field's strike with that blow's word.
    static constexpr std::uint32_t kTimeStopEnemyType = 10025;
    static constexpr std::uint32_t kStopAttackMotion = 25;
    static constexpr std::uint16_t kStopBlowAttack = 110;
    // The stopping blow reaches a step beyond its plain blows (a hero held there is out of their
    // reach), and when the stop runs out, the stopper's hit round its feet reaches him there.
    static constexpr float kStopBlowReach = 1.6F;
    static constexpr float kStopEndRadius = 3.0F;
    // The town's gate: the opening in the north wall between the posts and the ground in front of
    // it, walked into facing +z.
    static D3DXVECTOR3 GateMinimum() { return {-33.0F, 0.0F, 26.0F}; }
    static D3DXVECTOR3 GateMaximum() { return {-27.0F, 4.0F, qmtest::FieldLayout::kWallZ}; }
    static D3DXVECTOR3 GateFacing() { return {0.0F, 0.0F, 1.0F}; }
    // The battle map's gate back, ahead on the left of the arrival.
    static D3DXVECTOR3 BattleGateMinimum() { return {11.0F, 0.0F, 26.0F}; }
    static D3DXVECTOR3 BattleGateMaximum() { return {17.0F, 4.0F, qmtest::FieldLayout::kWallZ}; }
    // The box that takes the hero through a gate in the north wall reaches along the wall past
    // each post (0.6 thick), 2.5 beyond the opening: a hero pressed into the wall beside a post is
    // at the gate as he sees it, and one sliding along the wall is in the box before the opening.
    static constexpr float kWallGateReach = 2.5F;
    static D3DXVECTOR3 WallGateBoxMinimum(const D3DXVECTOR3& opening)
    {
        return opening - D3DXVECTOR3(kWallGateReach, 0.0F, 0.0F);
    }
    static D3DXVECTOR3 WallGateBoxMaximum(const D3DXVECTOR3& opening)
    {
        return opening + D3DXVECTOR3(kWallGateReach, 0.0F, 0.0F);
    }
    // Its way in, stored four units long: the trigger clamps the dot product with the hero's front
    // at 1, so any front within some 80 degrees of +z counts (under 50 for a unit way in). A hero
    // sliding along the wall faces partly into it and partly along it, as far round as the
    // camera's swing has turned him.
    static D3DXVECTOR3 WallGateBoxFacing() { return {0.0F, 0.0F, 4.0F}; }
    // Points in front of each gate, and just beyond it for the walk in from there (a gate takes a
    // player walking into it facing +z).
    static D3DXVECTOR3 TownGateFront() { return {(GateMinimum().x + GateMaximum().x) / 2, 0.0F, GateMinimum().z - 2.0F}; }
    static D3DXVECTOR3 BattleGateFront()
    {
        return {(BattleGateMinimum().x + BattleGateMaximum().x) / 2, 0.0F, BattleGateMinimum().z - 2.0F};
    }
    static D3DXVECTOR3 Beyond(const D3DXVECTOR3& front) { return front + D3DXVECTOR3(0.0F, 0.0F, 8.0F); }
    static D3DXVECTOR3 TownGateEntry() { return Beyond(TownGateFront()); }
    static D3DXVECTOR3 BattleGateEntry() { return Beyond(BattleGateFront()); }
    // Where the path north from the start turns west to the save point and the gate, clear of the
    // way on.
    static D3DXVECTOR3 TownPathCorner() { return {TownStart().x, 0.0F, TownSavePointMark().z}; }
    static D3DXVECTOR3 BattleArrival() { return qmtest::FieldLayout::Start(); }
    // Back in the town in front of its gate, facing into the town.
    static D3DXVECTOR3 TownArrival() { return {-30.0F, 0.0F, 23.0F}; }
    static D3DXVECTOR3 TownArrivalDirection() { return {0.0F, 0.0F, -1.0F}; }
    // The town's pick-ups of item 2 and of the axe, either side of the arrival point.
    static constexpr std::uint32_t kRingItem = 2;
    static constexpr std::uint32_t kRingItemFlag = 1;
    static constexpr std::uint32_t kAxe = 1003;
    static constexpr std::uint32_t kAxeFlag = 2;
    static D3DXVECTOR3 RingItemPickup() { return {-33.0F, 0.4F, 19.0F}; }
    static D3DXVECTOR3 AxePickup() { return {-27.0F, 0.4F, 19.0F}; }
    static D3DXVECTOR3 TownArrivalCamera() { return TownArrival() + D3DXVECTOR3(0.0F, 3.0F, 5.0F); }
    // Script spots are met within this reach, facing them with the action button.
    static constexpr float kSpotRadius = 1.5F;
    // The sign beside the path north from the start, east of it.
    static D3DXVECTOR3 TownSign() { return {-4.0F, 0.0F, 21.0F}; }
    static constexpr std::uint32_t kSignReadFlag = 100;
    // Set while its reading has been asked for and not yet begun.
    static constexpr std::uint32_t kSignAskedFlag = 103;
    // East of the start: walking north through this box changes the hero's look.
    static D3DXVECTOR3 MirrorMinimum() { return {0.0F, 0.0F, 13.0F}; }
    static D3DXVECTOR3 MirrorMaximum() { return {4.0F, 3.0F, 21.0F}; }
    static D3DXVECTOR3 MirrorFacing() { return {0.0F, 0.0F, 1.0F}; }
    static constexpr std::uint32_t kMirrorLook = 1;
    // The gap in the town's east fence, a white door in the fence's middle east of the start, faced
    // with the action button: the battle map, through white. The point lies behind the fence, so
    // that a player standing against the door faces it, and reaches a few steps back.
    static D3DXVECTOR3 EastGap() { return {41.0F, 0.0F, 17.0F}; }
    static constexpr float kEastGapRadius = 3.5F;
    static constexpr float kEastDoorHalfWidth = 1.5F;
    // The battle map's dark stone in the north-west corner, away from every enemy's walk: touched,
    // it ends the game.
    static D3DXVECTOR3 DarkStone() { return {2.0F, 0.0F, 28.0F}; }
    // Set by the battle map's first win and by the strong enemy's defeat (which sends the party
    // back to the town's gate).
    static constexpr std::uint32_t kFirstWinFlag = 101;
    static constexpr std::uint32_t kStrongWinFlag = 102;
};
// The field's two maps as the folder lays them out.
std::vector<qmtest::FieldMap> SampleMaps();

// The shops and the inn: their sounds, the inn's tune and the rows' icons into the catalogue, the
// three villagers into the town, and their scripts into the folder.
void AddShop(Catalogue& c);
void AddShopVillagers(qmtest::FieldMap& town);
void WriteShopScripts(const std::filesystem::path& root);

// The maps' script spots, facing box, action gap and defeat watchers, and their scripts.
void AddMapObjects(Catalogue& c);
void AddTownObjects(qmtest::FieldMap& town);
void AddBattleObjects(qmtest::FieldMap& battle);
void WriteObjectScripts(const std::filesystem::path& root);

// The axe and the town's pick-ups that the pause menu's item ring and equipment screens use.
void AddEquipmentContent(Catalogue& c);
void AddEquipmentPickups(qmtest::FieldMap& town);
// The skill window's general skill and the ability points that teach a skill in one fight.
// Every enemy's own ability points; a win over one about the hero's level brings a hundred.
inline constexpr std::int32_t kEnemyAbilityPoints = 90;
void AddSubScreenContent(Catalogue& c);

// The town's and the battle map's grounds, fences, walls and gates over the field folder's plain
// ones, and the elder moved to the town's villager row.
void WriteWorld(const std::filesystem::path& root);

// The common skills (ids 100..159 but the motion-only ones, of which only 147), the charms that teach
// them (seven spells of one kind each, one a hundred ability points; the light charm 147 at 800)
// lying in the battle map's south-west corner, the healing spells' blessings and the spells' attack
// records.
struct CharmLayout {
    static constexpr std::uint32_t kFirstCharm = 2100;
    static constexpr std::uint32_t kCharmCount = 6;
    static constexpr std::uint32_t kFirstFlag = 240;
    // Two rows of three, far enough apart to be taken one by one, guarded by the enemy near them.
    static D3DXVECTOR3 Pickup(std::uint32_t k)
    {
        return {1.5F + 2.5F * static_cast<float>(k % 3), 0.4F, 1.5F + 2.5F * static_cast<float>(k / 3)};
    }
};
void AddSkillContent(Catalogue& c);
void AddSkillPickups(qmtest::FieldMap& battle);
// The party's first weapons' skills, the wooden sword's sweep (id 1) and the iron spear's thrust
// (id 2), play the shared rows of the basic commands 1 and 2 (motions 22 and 25 tapped, 24 and 27
// held); each of those motions strikes with a record of its own.
struct BasicSkillStrike {
    const char* model;
    std::uint32_t motion;
    std::uint16_t attack;
};
const std::vector<BasicSkillStrike>& BasicSkillStrikes();

// The hero's weapon rack: one weapon of each of his eight classes in a row along the town's south
// fence, east of the start (behind it as play begins), ids 1100.. in class order, flags 200...
struct HeroRack {
    static constexpr std::uint32_t kFirstWeapon = 1100;
    static constexpr std::uint32_t kFirstFlag = 200;
    static constexpr std::uint32_t kCount = 8;
    static D3DXVECTOR3 Pickup(std::uint32_t i) { return {12.0F + 3.0F * static_cast<float>(i), 0.4F, 4.0F}; }
};
// The rack's weapons, their skills and the swings and hits of the hero's class models; the rack in
// the town; the class models with their combo and skill motions over the plain ones.
void AddHeroClassContent(Catalogue& c);
void AddHeroClassRack(qmtest::FieldMap& town);
void WriteHeroClassModels(const std::filesystem::path& root);

// The partner's own classes: a weapon of each type only she holds, lying behind the battle map's
// arrival (behind its camera, to the right of the first enemy), each teaching its class's first
// weapon skill; her class models with every motion their rows play.
struct PartnerClasses {
    // Weapon ids stop at 1199: the party records keep ability points for 1000..1199 only.
    static constexpr std::uint32_t kSpear = 1090;   // type 3, a second spear
    static constexpr std::uint32_t kGlaive = 1091;  // type 4
    static constexpr std::uint32_t kClaws = 1092;   // type 9
    static constexpr std::uint32_t kBow = 1093;     // type 11
    static constexpr std::uint32_t kSpearFlag = 220;
    static constexpr std::uint32_t kGlaiveFlag = 221;
    static constexpr std::uint32_t kClawsFlag = 222;
    static constexpr std::uint32_t kBowFlag = 223;
    // The attacks her class models swing with: in the ground combos, in the skills and charges, in
    // the jump attacks.
    static constexpr std::uint32_t kSwingAttack = 1200;
    static constexpr std::uint32_t kHeavyAttack = 1201;
    static constexpr std::uint32_t kAirAttack = 1202;
    // In a row south-east of the arrival, spear first.
    static D3DXVECTOR3 Pickup(std::size_t i) { return {27.5F + 1.5F * static_cast<float>(i), 0.4F, 1.5F}; }
};
void AddPartnerClasses(Catalogue& c);
void AddPartnerPickups(qmtest::FieldMap& battle);
void WritePartnerClasses(const std::filesystem::path& root);

// The ailments an enemy's breath brings (bits of an attack's status word) and the items that cure
// them; item 3 cures poison. Two enemies of the one-attack class breathe them on the battle map.
inline constexpr std::uint32_t kPoison = 1, kSickness = 2, kConfusion = 4, kFear = 8, kSlow = 16, kSilence = 32;
inline constexpr std::uint32_t kCureSickness = 400, kCureConfusion = 401, kCureFear = 402, kCureSlow = 403,
                               kCureSilence = 404, kCureAll = 405;
// The cures and a strength fruit (item 4) lie in a row by the west fence north of the spore
// flower, each taken once.
struct CurePickup {
    std::uint32_t item;
    std::uint32_t flag;
    D3DXVECTOR3 position;
};
const std::vector<CurePickup>& CurePickups();
struct StatusEnemy {
    std::uint32_t type;
    const char* label;
    std::uint16_t attack;  // its breath, fired by each of its strikes
    std::uint32_t ailments;
    D3DXVECTOR3 position;
};
const std::vector<StatusEnemy>& StatusEnemies();
// The attack an enemy type's strikes fire: its breath, or the plain blow.
std::uint16_t StatusAttackOf(std::uint32_t enemyType);
void AddStatusContent(Catalogue& c);
void AddStatusEnemies(qmtest::FieldMap& battle);

// The blows that do more than stagger. The hero's sword class strikes in the air with a launch and
// a light follow-up, each landing with a hop. In an arena of its own, through a gate in the battle
// map's south-east corner, a brawler (of the four-attack class) strikes with attack motion 16 + n
// the blow kBlows[n]: light, launching, stunning, heavy.
struct Reactions {
    static constexpr std::uint16_t kAirLaunch = 12001;
    static constexpr std::uint16_t kAirFollowUp = 12002;
    static constexpr std::uint16_t kLightBlow = 12005;
    static constexpr std::uint16_t kLaunchBlow = 12006;
    static constexpr std::uint16_t kStunBlow = 12007;
    static constexpr std::uint16_t kHeavyBlow = 12008;
    static constexpr std::uint16_t kBlows[4] = {kLightBlow, kLaunchBlow, kStunBlow, kHeavyBlow};
    static constexpr std::uint32_t kBrawlerType = 37;
    static constexpr const char* kBrawlerModel = "enemy037";
    static constexpr const char* kArena = "04.pbms/b04_01";
    // Its ground (in the mesh folder's "map04/", its collision faces in "_" + that) and minimap.
    static constexpr const char* kArenaMesh = "b04_01.msh";
    static constexpr const char* kArenaMinimap = "b04_01";
    // Ahead of the arrival from the battle map (20, 10), out of its notice (8) as the battle map's
    // enemies are out of theirs, and far from the hedge mage.
    static D3DXVECTOR3 Brawler() { return {20.0F, 0.0F, 22.0F}; }
    // The gate: walked into the battle map's south-east corner (CornerGateTrigger), and back in the
    // arena's.
    static D3DXVECTOR3 GateMinimum() { return {36.5F, 0.0F, 0.0F}; }
    static D3DXVECTOR3 GateMaximum() { return {40.0F, 4.0F, 2.5F}; }
};
// A class model's motion that strikes with an attack of its own.
struct ReactionStrike {
    const char* model;
    std::uint32_t motion;
    std::uint16_t attack;
};
const std::vector<ReactionStrike>& HeroAirStrikes();
// The blow an enemy's attack motion strikes with, when it is one of those; else 0.
std::uint16_t ReactionAttackOf(std::uint32_t enemyType, std::uint32_t motion);
void AddReactionContent(Catalogue& c);
// The arena after the battle map and town, and the battle map's gate to it.
void AddReactionArena(std::vector<qmtest::FieldMap>& maps);
// The meadow through the arena's south-west corner (map "04.pbms/x04_00"): a key camera, the crate
// drawn adding (material index 10), a spare name record, an unflagged purse far from the start and a
// spawner in the north whose stored facing is flat (so its enemy looks a random way), a post
// whose script gives and takes items, and a low shelter west of the crate.
struct LeftoverLayout {
    static constexpr const char* kEntry = "x04_00";
    static constexpr const char* kMap = "04.pbms/x04_00";
    static constexpr std::uint32_t kCrateMaterial = 10;
    static constexpr std::uint32_t kPurseMoney = 30;
    static constexpr float kSpawnDistance = 8.0F;
    // A few steps ahead on the left of the arrival from the arena (CornerArrival(true)), in its
    // first picture.
    static D3DXVECTOR3 Purse() { return {35.0F, 0.0F, 14.0F}; }
    static D3DXVECTOR3 Spawner() { return {20.0F, 0.0F, 26.0F}; }
    static D3DXVECTOR3 SpawnerFacing() { return {1.0F, 0.0F, 1.0F}; }
    // The post's script: three of item 2 into the bag, two taken (flag 280), five refused (flag 281).
    static D3DXVECTOR3 Post() { return {15.0F, 0.0F, 10.0F}; }
    // Faced from a step or two off: the post stops nobody, and a newcomer halts where he likes.
    static constexpr float kPostReach = 2.5F;
    static constexpr std::uint32_t kTradeItem = 2;
    static constexpr std::uint32_t kTakenFlag = 280;
    static constexpr std::uint32_t kRefusedFlag = 281;
    // What the spawner sends: a scarecrow whose strikes (attack 30200, held until they land twice)
    // call out with the partner's voice 1100 and swish with her sound 505.
    static constexpr std::uint32_t kScarecrowType = 40;
    static constexpr const char* kScarecrowModel = "enemy040";
    static constexpr std::uint16_t kScarecrowStrike = 30200;
    static constexpr std::uint32_t kScarecrowVoice = 1100;
    static constexpr std::uint32_t kScarecrowSwish = 505;
    // The gate from the arena's south-west corner, and the one back from the meadow's south-east.
    static D3DXVECTOR3 ArenaGateMinimum() { return {0.0F, 0.0F, 0.0F}; }
    static D3DXVECTOR3 ArenaGateMaximum() { return {3.5F, 4.0F, 2.5F}; }
    static D3DXVECTOR3 MeadowGateMinimum() { return {36.5F, 0.0F, 0.0F}; }
    static D3DXVECTOR3 MeadowGateMaximum() { return {40.0F, 4.0F, 2.5F}; }
    // The meadow's own ground (in the mesh folder's "map04/", its collision faces in "_" + that): the
    // battle map's fenced walk, and the shelter, a roof on a post at each corner whose underside (a
    // ceiling to collision) lies kRoofHeight over ShelterMinimum..ShelterMaximum. A jump rises 2.2
    // in the open, so under the roof the hero's head meets it.
    static constexpr const char* kGroundMesh = "x04_00.msh";
    static D3DXVECTOR3 ShelterMinimum() { return {4.0F, 0.0F, 14.0F}; }
    static D3DXVECTOR3 ShelterMaximum() { return {8.0F, 0.0F, 18.0F}; }
    static constexpr float kRoofHeight = 2.5F;
    static constexpr float kPostWidth = 0.3F;
};
// The way into a corner gate of a 40-wide walk, its box reaching into the south-west or south-east
// corner: the diagonal into that corner, of length one.
D3DXVECTOR3 CornerGateFacing(const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum);
// A corner gate's trigger, for the corner whose posts stand either side of boxMinimum..boxMaximum.
// Its box reaches on up the side fence, kCornerGateReach from the south fence: a hero walking along
// the south fence a few steps off it is in the box before he comes to the side fence, where he would
// slide on north, away from the corner. Its facing is CornerGateFacing stored kCornerGateWidening
// long: the trigger clamps the dot product with the hero's front at 1, so any front within some 65
// degrees of the diagonal counts (under 50 for a facing of length one). A hero who walks in
// straight south, along the south edge or at any slant between is taken, pressed into the corner
// too (his body stops 0.7 short of each fence, inside the box), and so is one the camera's swing
// has turned a little off the fence he walks along.
constexpr float kCornerGateReach = 6.0F;
constexpr float kCornerGateWidening = 1.5F;
qmtest::FieldTrigger CornerGateTrigger(const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum);
// Where a corner gate puts the hero: ten steps north of the corner it leads into (east: x 38, west:
// x 2), facing +z, away from the gate back, so that the camera behind him stands inside the fences.
D3DXVECTOR3 CornerArrival(bool east);
D3DXVECTOR3 CornerArrivalCamera(bool east);
// Two maps joined by a gate in a corner of each, both as CornerGateTrigger makes them: the way
// on (from's box) arrives in `to` at CornerArrival(true) beside the way back, the way back (to's
// box) in `from` at CornerArrival(false).
void JoinByCornerGates(qmtest::FieldMap& from, const char* fromName, const D3DXVECTOR3& fromMinimum,
                       const D3DXVECTOR3& fromMaximum, qmtest::FieldMap& to, const char* toName,
                       const D3DXVECTOR3& toMinimum, const D3DXVECTOR3& toMaximum);
void AddLeftoverMap(std::vector<qmtest::FieldMap>& maps);
void AddLeftoverContent(Catalogue& c);
void WriteLeftoverFiles(const std::filesystem::path& root);
// The thieves' hollow behind the meadow (SampleSteal.h), its carriers and the sword's skills for them.
struct HeroStrike {
    const char* model;
    std::uint32_t motion;
    std::uint32_t frame;
    std::uint16_t attack;
};
const std::vector<HeroStrike>& HeroStealStrikes();
void AddStealContent(Catalogue& c);
void AddStealMap(std::vector<qmtest::FieldMap>& maps);

// A hedge mage in the arena's north-west corner, far from the brawler (of the one-attack class, so
// every attack it makes is its one swing). The swing strikes twice: first with its left hand, a
// spell whose strength is its INT and which the hero's MEN wards, then with its right hand, a
// plain blow of its STR against his VIT. Its own weapon file holds the hands out to either side
// of its chest while it swings, so each strike lands beside it, not in front of its body.
struct EnemyArts {
    static constexpr std::uint32_t kMageType = 61;
    static constexpr const char* kMageModel = "enemy061";
    static constexpr std::uint16_t kLeftSpell = 30300;
    static constexpr std::uint16_t kRightBlow = 30301;
    static D3DXVECTOR3 Mage() { return {8.0F, 0.0F, 25.0F}; }
};
void AddEnemyArtsContent(Catalogue& c);
void AddEnemyArtsEnemies(std::vector<qmtest::FieldMap>& maps);
void WriteEnemyArtsFiles(const std::filesystem::path& root);

// Writes the whole folder into root (made when missing). Files of the folder are replaced;
// anything else there (saves, logs) is left alone. Throws std::runtime_error on a write failure.
void WriteSampleFolder(const std::filesystem::path& root);

}  // namespace sample
