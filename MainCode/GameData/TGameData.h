// The game database: everything a save keeps (options, party records, flags, item ring and
// inventory) plus the party's run-time values. One per program, made at start-up.
//
// Numbers handed in by scripts and screens are checked: a flag, record, ring slot or skill
// slot outside its array reads as 0 (or null) and is not written.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/GameData/TTimedFlags.h"
#include "TCommon/TRefPtr.h"

class TPlayerCharacter;
class TText8;

class TGameData {
    friend struct TGameDataProbe;
public:
    static constexpr std::uint32_t kPartySize = 8;
    static constexpr std::uint32_t kEventFlags = 2048;
    static constexpr std::uint32_t kPickupFlags = 1024;
    static constexpr std::uint32_t kRingSlots = 8;
    static constexpr std::uint32_t kSkillFactors = 13;
    static constexpr std::uint8_t kMaxItemCount = 99;
    static constexpr std::int32_t kFullVolume = 64;
    // Play time is counted up to 99:00:00.
    static constexpr std::uint32_t kMaxPlayTime = 356400000;

    // Results of Save, Load and the slot lines; ResultMessage gives their texts.
    static constexpr std::int32_t kSaveOk = 0;
    static constexpr std::int32_t kSaveOpenFailed = 1;
    static constexpr std::int32_t kSaveCreateFailed = 2;
    static constexpr std::int32_t kSaveReadFailed = 3;
    static constexpr std::int32_t kSaveWriteFailed = 4;
    static constexpr std::int32_t kSaveBadCrc = 5;
    // Also a body whose counts or ids do not fit the data it holds.
    static constexpr std::int32_t kSaveBadSize = 6;
    static constexpr std::int32_t kSaveNotCarryOver = 7;
    static constexpr std::int32_t kSaveOtherChapter = 8;
    // The chapter argument that stands for the own save folder.
    static constexpr std::int32_t kOwnSaveFolder = -1;

    virtual ~TGameData();
    TGameData(const TGameData&) = delete;
    TGameData& operator=(const TGameData&) = delete;

    // Null before Initialize and after Finalize.
    static TGameData* GetInstance();
    // Loads the item, skill, save-point and hero tables, makes the instance and reads the
    // capture option of "./setting.ini". Start-up calls it once the equipment tables are in.
    static void Initialize();
    // Empties those four tables and deletes the instance.
    static void Finalize();

    // The state of a new game.
    void Reset();
    // Sets sound banks 0, 1 and 2 to the sound-effect, voice and music levels.
    void ApplyVolumes();
    // One bank at a level 0..64 (one outside is taken as the nearer end): its ceiling and every
    // sound in it. Nothing before the sound core and the bank exist.
    static void ApplyVolume(std::uint32_t bankId, std::int32_t level);
    static std::int32_t ClampVolume(std::int32_t level);

    static void SetChapter(std::int32_t chapter) { s_chapter = chapter; }
    static std::int32_t GetChapter() { return s_chapter; }
    static void SetMaxLevel(std::uint32_t level) { s_maxLevel = level; }
    static std::uint32_t GetMaxLevel() { return s_maxLevel; }
    static void SetMaxMoney(std::uint32_t money) { s_maxMoney = money; }
    static void SetSaveDirectory(const std::string& folder) { s_saveFolder = folder; }
    static const std::string& GetSaveDirectory() { return s_saveFolder; }
    static void SetTableDirectory(const std::string& folder) { s_tableFolder = folder; }
    static const std::string& GetTableDirectory() { return s_tableFolder; }

    // Play time of this game so far: the time taken from the save or the new game plus the
    // time since StartPlayTime, at most 99 hours.
    std::uint32_t GetPlayTime() const;
    // Starts counting from now; the scene change calls it after a load.
    void StartPlayTime();
    // The play time as stored, without the time since StartPlayTime.
    std::uint32_t GetStoredPlayTime() const { return m_playTime; }

    // Save files. Slot files are "sav_NN.dat" in a chapter's save folder (-1 = the own one).
    static std::string SaveFileName(std::int32_t slot, std::int32_t chapter);
    // Where Save writes a slot before renaming it over the slot's file; a save or a load of the
    // slot removes one a killed save left behind.
    static std::string TemporarySaveName(std::int32_t slot);
    // Chapters 1..6 have their own folders beside this game's; -1, any other chapter and a
    // chapter whose folder is missing take the own save folder.
    static std::string GetSaveDirectoryFor(std::int32_t chapter);
    // Writes the whole database into the own folder's slot: 0, 2 or 4. The slot's former
    // file is replaced only once the new one is written whole.
    std::int32_t Save(std::int32_t slot);
    // Reads a slot: 0, 1, 3, 5, 6 or 8. Chapter -1 reads the own folder and takes only saves
    // of this chapter; 1..6 read that chapter's folder and carry the party over. Anything but
    // 0 leaves the database as it was.
    std::int32_t Load(std::int32_t slot, std::int32_t chapter);
    // The chapter 1..6 of the own folder's slot by its save point; -1 for a missing or bad file.
    static std::int32_t GetSaveChapter(std::int32_t slot);
    // The slot's line after its number ("Empty", a result text or the hero, level, place and
    // play time) with its result: 0, 1, 3, 5, 6, 7 or 8.
    static std::int32_t MakeSaveSlotLine(std::int32_t slot, bool showOtherChapter, std::int32_t chapter,
                                         std::string& line);
    // Draws "NN：" and the slot's line into the text (uploaded) and returns the line's result.
    static std::int32_t FormatSaveSlotLine(std::int32_t slot, TText8& text, bool showOtherChapter,
                                           std::int32_t chapter);
    static std::string ResultMessage(std::int32_t code);
    // Save point ranges of chapters 0..6 (0 holds only 0xFFFFFFFF).
    static bool IsSavePointOfChapter(std::uint32_t savePoint, std::int32_t chapter);
    // The first chapter 1..6 holding the save point, else -1.
    static std::int32_t GetChapterOfSavePoint(std::uint32_t savePoint);
    // A save of chapter 1..6 whose save point lies in that chapter.
    static bool IsCarryOverSave(std::int32_t chapter, std::uint32_t savePoint);
    // After a carry-over: characters below their hero's level take the hero's levels and
    // stats; everyone gets the hero's full life and MP and an empty gauge.
    void AdjustCarriedCharacters();

    // Option levels 0..64 (64 = full volume).
    std::int32_t GetBgmVolume() const { return m_bgmVolume; }
    void SetBgmVolume(std::int32_t level) { m_bgmVolume = level; }
    std::int32_t GetSeVolume() const { return m_seVolume; }
    void SetSeVolume(std::int32_t level) { m_seVolume = level; }
    std::int32_t GetVoiceVolume() const { return m_voiceVolume; }
    void SetVoiceVolume(std::int32_t level) { m_voiceVolume = level; }
    std::uint8_t GetMiniMapState() const { return m_miniMap; }
    void SetMiniMapState(std::uint8_t state) { m_miniMap = state; }

    std::int32_t GetActiveCharacter() const { return m_activeCharacter; }
    void SetActiveCharacter(std::int32_t i) { m_activeCharacter = i; }
    std::int32_t GetSavePoint() const { return m_savePoint; }
    // The save screens put the id of the save point being used here before writing.
    void SetSavePoint(std::int32_t id) { m_savePoint = id; }

    std::uint32_t GetMoney() const { return m_money; }
    void SetMoney(std::uint32_t money);  // limited to the money cap
    void AddMoney(std::uint32_t n);      // likewise
    void SubMoney(std::uint32_t n);      // 0 when n is more than there is

    // Null outside 0..7.
    TCharacterRecord* GetCharacterData(std::uint32_t i);
    std::uint8_t GetFlag(std::uint32_t id) const;
    void SetFlag(std::uint32_t id, std::uint8_t value);
    std::uint8_t GetPickupFlag(std::uint32_t i) const;
    void SetPickupFlag(std::uint32_t i, std::uint8_t value);
    // Null outside 0..7.
    TItemEntry* GetRingSlot(std::uint32_t i);
    std::int32_t GetItemKindCount() const { return static_cast<std::int32_t>(m_items.size()); }
    // Bonus rates of the passive skills in the skill slots: 0..3 stats, 4..9 elements,
    // 10 experience, 11 ability points, 12 the player character's own; 0 outside.
    float GetSkillFactor(std::uint32_t i) const { return i < kSkillFactors ? m_skillFactors[i] : 0.0f; }
    // Kept for the player character from one instance to the next; not saved.
    std::uint32_t GetGaugeCarry() const { return m_gaugeCarry; }
    void SetGaugeCarry(std::uint32_t value) { m_gaugeCarry = value; }
    // Null outside 0..7.
    TTimedFlags* GetTimedFlags(std::uint32_t i) { return i < kPartySize ? &m_timedFlags[i] : nullptr; }

    // Writes the live player into its party record (nothing for an index outside the party).
    void StoreCharacter(const TPlayerCharacter& player);
    // Full life and MP, empty gauge for character i; -1 for the whole party (the inn).
    void RecoverCharacter(std::int32_t i);

    // Items. Counts stay within 0..99. The first inventory entry of the id, else the first of
    // ring slots 1..7 holding it, else null (slot 0 is not searched).
    TItemEntry* FindItem(std::uint32_t id);
    // Inventory entries the item operations have looked at so far, for a caller that pays for
    // the scans it asks for (a script).
    std::uint64_t GetItemEntriesLooked() const { return m_itemEntriesLooked; }
    // Raises a held entry (up to 99; false) or appends a new one (true).
    bool AddItem(std::uint32_t id, std::uint32_t n);
    // As AddItem, but a held entry that would pass 99 is left alone (false).
    bool TryAddItem(std::uint32_t id, std::uint32_t n);
    // Takes up to n; true when the entry is gone.
    bool RemoveItem(std::uint32_t id, std::uint8_t n);
    // Takes exactly n; false (and nothing taken) when fewer are held.
    bool UseItem(std::uint32_t id, std::uint8_t n);
    // The first inventory entry of the id; when the list has none, every ring slot 1..7 with it.
    void RemoveItemEntry(std::uint32_t id);
    // Moves the held item into the ring slot; the slot's former item goes back to the
    // inventory. An item not held changes nothing.
    void AddRingItem(std::uint32_t slot, std::uint32_t id);
    // Empties the slot; its item goes back to the inventory.
    void ClearRingItem(std::uint32_t slot);
    // The sell shop: held entries that may be sold, by ascending id.
    void MakeItemList(std::vector<TRefPtr<TItemEntry>>& out) const;
    // Entries whose item record is of the kind (1 weapon, 2 accessory), by ascending id.
    void MakeItemListOfKind(std::vector<TRefPtr<TItemEntry>>& out, std::uint8_t kind) const;

    // Skills of character i. 0 for slots or characters outside the arrays.
    std::uint32_t GetSkillSlot(std::uint32_t i, std::uint32_t slot) const;
    // Moves a learned skill into the slot (0 empties it); the slot's former skill goes back
    // to the learned list.
    void SetSkillSlot(std::uint32_t i, std::uint32_t slot, std::uint32_t id);
    void ClearSkillSlot(std::uint32_t i, std::uint32_t slot);
    // Weapon-bound skills that do not fit the weapon go back to the learned list.
    void RemoveUnfitSkills(std::uint32_t i, std::uint32_t weaponId);
    // False for 0 and for a skill already set or learned.
    bool LearnSkill(std::uint32_t i, std::uint32_t id);
    // Adds ability points (at most 1000 per item); every full 100 opens the next skill of the
    // item's list. Newly learned skills are appended to out. An id without points is ignored.
    void AddWeponAbp(std::uint32_t i, std::uint32_t weaponId, std::uint32_t points, std::vector<std::uint32_t>& out);
    void AddAccessoryAbp(std::uint32_t i, std::uint32_t accessoryId, std::uint32_t points,
                         std::vector<std::uint32_t>& out);
    // Learned skills that fit the weapon, by ascending id.
    void MakeSkillList(std::vector<std::uint32_t>& out, std::uint32_t i, std::uint32_t weaponId) const;
    // Sets the flag 1000 + k of every skill group k that character 0 or 1 has whole.
    void UpdateSkillMasterFlags();
    // The bonus factors from character i's slotted passive skills.
    void UpdateSkillBonuses(std::uint32_t i);

private:
    struct SaveImage;

    TGameData();

    // Reads and checks a save file into image: 0, 1, 3, 5 or 6.
    static std::int32_t ReadSaveImage(const std::string& path, SaveImage& image);
    // Replaces the database with a checked save.
    void TakeOver(SaveImage& image, bool carryOver);
    // Adds the items of the carry-over for this program's chapter.
    void ApplyCarryOverRule();
    // Learns again the skills that the ability points of held and equipped items have opened.
    void RelearnFromAbilityPoints();
    void RelearnFrom(std::uint32_t i, std::uint8_t kind, std::uint32_t id);

    TCharacterRecord* Character(std::uint32_t i) { return i < kPartySize ? &m_characters[i] : nullptr; }
    const TCharacterRecord* Character(std::uint32_t i) const { return i < kPartySize ? &m_characters[i] : nullptr; }
    // Adds to the points kept at abp and learns the skills they open.
    void AddAbp(std::uint32_t i, std::uint16_t* abp, const std::uint32_t (&skills)[10], std::uint32_t points,
                std::vector<std::uint32_t>& out);

    static inline std::int32_t s_chapter = 1;
    static inline std::uint32_t s_maxLevel = 19;
    static inline std::uint32_t s_maxMoney = 10000;
    static inline bool s_capture = false;
    static inline std::string s_saveFolder;
    static inline std::string s_tableFolder;
    static TRefPtr<TGameData> s_instance;

    std::uint32_t m_playTime = 0;  // ms played before m_playTimeStart
    std::int32_t m_bgmVolume = 0;
    std::int32_t m_seVolume = 0;
    std::int32_t m_voiceVolume = 0;
    std::uint8_t m_miniMap = 0;
    std::int32_t m_activeCharacter = 0;
    std::int32_t m_savePoint = 0;
    std::uint32_t m_money = 0;
    TCharacterRecord m_characters[kPartySize];
    std::uint8_t m_flags[kEventFlags] = {};
    std::uint8_t m_pickupFlags[kPickupFlags] = {};
    TItemEntry m_ring[kRingSlots];
    std::list<TRefPtr<TItemEntry>> m_items;  // outside the ring, in order of acquisition
    std::uint64_t m_itemEntriesLooked = 0;
    float m_skillFactors[kSkillFactors] = {};
    std::uint32_t m_gaugeCarry = 0;
    std::uint32_t m_playTimeStart = 0;  // timeGetTime at which the current count began
    TTimedFlags m_timedFlags[kPartySize];
};
