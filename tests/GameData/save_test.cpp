// Save files: round trip, result codes, slot lines, carry-over, failed and damaged saves.
#include "game_data_fixture.h"

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <tuple>

#include "MainCode/Character/MersenneTwister.h"
#include "platform/testing/win32.h"
#include "platform/win32/timer.h"
#include "formats/byte_writer.h"
#include "support/descriptor_limit.h"
#include "support/fuzz.h"
#include "support/gamedata_probe.h"
#include "formats/save_writer.h"

namespace {

namespace fs = std::filesystem;
using qmtest::SaveFileData;

TItemRecord Item(std::uint32_t id, std::uint8_t kind)
{
    TItemRecord r;
    r.Id = id;
    r.Kind = kind;
    return r;
}

TSvpRecord SavePoint(std::uint32_t id, const std::string& place)
{
    TSvpRecord r;
    r.Id = id;
    r.PlaceName = place;
    return r;
}

class SaveTest : public gamedatatest::GameDataTest {
protected:
    void SetUp() override
    {
        platform::ManualClock::Enable(1000);
        GameDataTest::SetUp();
        TGameData::SetChapter(4);
        TGameData::SetSaveDirectory("save/");
        // The game runs in its own folder beside the other chapters' folders.
        fs::create_directories(dir_.Path() / "game" / "save");
        gameCwd_ = std::make_unique<qmtest::ScopedCwd>(dir_.Path() / "game");
    }

    void TearDown() override
    {
        gameCwd_.reset();
        TGameData::SetChapter(1);
        TGameData::SetSaveDirectory("");
        GameDataTest::TearDown();
        platform::ManualClock::Disable();
    }

    void WriteTables() override
    {
        Save("item.tbl", qmtest::BuildGameTable(std::vector<TItemRecord>{
                             Item(1, 0), Item(2, 0), Item(3, 0), Item(1001, 1), Item(1002, 1), Item(2001, 2)}));
        Save("svp.tbl", qmtest::BuildGameTable(std::vector<TSvpRecord>{
                            SavePoint(7, "古い塔"), SavePoint(15, "森の入口"), SavePoint(25, "港町")}));
        TWeponRecord sword;
        sword.Id = 1001;
        TWeponRecord club;
        club.Id = 1000;
        TAccessoryRecord ring;
        ring.Id = 2001;
        for (std::uint32_t k = 0; k < 10; ++k) {
            sword.Skill[k] = 500 + k;
            club.Skill[k] = 520 + k;
            ring.Skill[k] = 600 + k;
        }
        Save("wepon.tbl", qmtest::BuildGameTable(std::vector<TWeponRecord>{sword, club}));
        TWeponTable::Load(dir_.File("wepon.tbl"));
        Save("accessory.tbl", qmtest::BuildGameTable(std::vector<TAccessoryRecord>{ring}));
        TAccessoryTable::Load(dir_.File("accessory.tbl"));
    }

    // The database as a save would hold it.
    SaveFileData Snapshot()
    {
        SaveFileData d;
        d.playTime = data_->GetPlayTime();
        d.bgmVolume = data_->GetBgmVolume();
        d.seVolume = data_->GetSeVolume();
        d.voiceVolume = data_->GetVoiceVolume();
        d.miniMap = data_->GetMiniMapState();
        d.activeCharacter = data_->GetActiveCharacter();
        d.savePoint = data_->GetSavePoint();
        d.money = data_->GetMoney();
        for (std::uint32_t i = 0; i < 8; ++i) {
            d.characters[i] = *data_->GetCharacterData(i);
            d.ring[i] = *data_->GetRingSlot(i);
        }
        for (std::uint32_t i = 0; i < 2048; ++i) {
            d.flags[i] = data_->GetFlag(i);
        }
        for (std::uint32_t i = 0; i < 1024; ++i) {
            d.pickupFlags[i] = data_->GetPickupFlag(i);
        }
        for (const TRefPtr<TItemEntry>& e : TGameDataProbe::ItemList(*data_)) {
            d.items.push_back(*e);
        }
        return d;
    }

    std::vector<std::uint8_t> State() { return qmtest::BuildSaveBody(Snapshot()); }

    // A party that uses every field of a save.
    void PlayAWhile()
    {
        data_->SetBgmVolume(10);
        data_->SetSeVolume(20);
        data_->SetVoiceVolume(30);
        data_->SetMiniMapState(0);
        data_->SetActiveCharacter(1);
        data_->SetSavePoint(15);
        data_->SetMoney(123456);
        for (std::uint32_t i = 0; i < 8; ++i) {
            TCharacterRecord& r = *data_->GetCharacterData(i);
            r.Level = 10 + i;
            r.Experience = 5000 + i;
            r.Life = 50 + static_cast<std::int32_t>(i);
            r.Mp = 7;
            r.GaugeUsed = 300;
            r.ElementValue[5] = 0.25f * static_cast<float>(i);
            r.SkillSlot[2] = 700 + i;
            r.WeponPoints[1] = 99;  // below 100: opens nothing on the way back
            r.AccessoryPoints[199] = 42;
            r.StateWord[9] = 0xDEADBEEF - i;
            r.LearnedSkills = {800 + i, 900, 801 + i};
        }
        data_->SetFlag(0x230, 2);
        data_->SetFlag(2047, 9);
        data_->SetPickupFlag(1023, 1);
        data_->AddItem(3, 17);
        data_->AddItem(1001, 1);
        data_->AddItem(2, 99);
        data_->AddRingItem(4, 2);
        data_->AddItem(2001, 2);
        platform::ManualClock::Advance(3723000);
    }

    std::string Slot(int slot) { return "save/" + qmtest::SaveSlotName(slot); }

    void WriteSave(const std::string& path, const SaveFileData& d, bool crcFirst = false)
    {
        fs::create_directories(fs::path(path).parent_path());
        qmtest::SaveBytes(path, qmtest::BuildSaveFile(d, crcFirst));
    }

    // A save of the new game at the save point.
    SaveFileData SaveAt(std::int32_t savePoint)
    {
        SaveFileData d = Snapshot();
        d.savePoint = savePoint;
        return d;
    }

    std::string SlotLine(int slot, bool showOther, int chapter, std::int32_t expectCode)
    {
        std::string line;
        EXPECT_EQ(TGameData::MakeSaveSlotLine(slot, showOther, chapter, line), expectCode);
        return line;
    }

    std::unique_ptr<qmtest::ScopedCwd> gameCwd_;
};

TEST_F(SaveTest, RoundTripKeepsTheWholeStateWithTheCrcBeforeOrAfterTheBody)
{
    PlayAWhile();
    const std::vector<std::uint8_t> saved = State();
    bool seen[2] = {false, false};
    for (std::uint32_t seed = 1; seed < 64 && !(seen[0] && seen[1]); ++seed) {
        init_genrand(seed);
        ASSERT_EQ(data_->Save(0), TGameData::kSaveOk);
        const std::vector<std::uint8_t> file = qmtest::LoadBytes(Slot(0));
        std::vector<std::uint8_t> body;
        bool crcFirst = false;
        ASSERT_TRUE(qmtest::UnwrapSaveFile(file, body, crcFirst));
        if (seen[crcFirst]) {
            continue;
        }
        seen[crcFirst] = true;
        // The file holds the state in the documented layout, scrambled, with its CRC.
        EXPECT_EQ(body, saved);
        EXPECT_EQ(file.size(), body.size() + 5);
        EXPECT_EQ(body.size(), 10761u + 4 * 8 * 3 + 5 * 3);
        EXPECT_FALSE(fs::exists(Slot(0) + ".tmp"));

        data_->Reset();
        ASSERT_NE(State(), saved);
        ASSERT_EQ(data_->Load(0, -1), TGameData::kSaveOk) << "crc first " << crcFirst;
        data_->StartPlayTime();
        EXPECT_EQ(State(), saved) << "crc first " << crcFirst;
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    EXPECT_EQ(TGameData::GetSaveChapter(0), 4);
}

TEST_F(SaveTest, EveryResultCodeHasItsText)
{
    const char* texts[] = {"エラーは発生しませんでした。", "ファイルオープンに失敗しました。", "ファイル作成に失敗しました。",
                           "ファイルの読み取りに失敗しました。", "ファイルの書き込みに失敗しました。", "CRC値が不正です。",
                           "ファイルサイズが不正です。", "引継ぎに利用可能なセーブデータではありません。",
                           "このバージョンのセーブデータではありません。"};
    for (int code = 0; code < 9; ++code) {
        EXPECT_EQ(TGameData::ResultMessage(code), texts[code]) << code;
    }
    EXPECT_EQ(TGameData::ResultMessage(9), "");
    EXPECT_EQ(TGameData::ResultMessage(-1), "");
}

TEST_F(SaveTest, MissingShortDamagedAndOtherChaptersFilesAreRefusedAndChangeNothing)
{
    PlayAWhile();
    const std::vector<std::uint8_t> before = State();

    // Missing.
    EXPECT_EQ(data_->Load(5, -1), TGameData::kSaveOpenFailed);
    EXPECT_EQ(TGameData::GetSaveChapter(5), -1);
    EXPECT_EQ(SlotLine(5, false, -1, 1), "Empty");

    // 1023 bytes are too short.
    std::vector<std::uint8_t> tooShort = qmtest::WrapSaveBody(std::vector<std::uint8_t>(1018, 0x11), false);
    tooShort.back() ^= 1;
    qmtest::SaveBytes(Slot(5), tooShort);
    EXPECT_EQ(data_->Load(5, -1), TGameData::kSaveBadSize);
    EXPECT_EQ(SlotLine(5, false, -1, 6), "ファイルサイズが不正です。");
    // With a good CRC 1024 bytes are no save.
    qmtest::SaveBytes(Slot(5), qmtest::WrapSaveBody(std::vector<std::uint8_t>(1019, 0x11), true));
    EXPECT_EQ(data_->Load(5, -1), TGameData::kSaveBadSize);

    // A body larger than any save is not read.
    qmtest::SaveBytes(Slot(5), std::vector<std::uint8_t>(102406, 0));
    EXPECT_EQ(data_->Load(5, -1), TGameData::kSaveBadSize);
    EXPECT_EQ(TGameData::GetSaveChapter(5), -1);

    // One changed body byte, with the CRC on either side.
    for (bool crcFirst : {false, true}) {
        std::vector<std::uint8_t> file = qmtest::BuildSaveFile(SaveAt(11), crcFirst);
        file[crcFirst ? 5 + 3000 : 1 + 3000] ^= 0x40;
        qmtest::SaveBytes(Slot(5), file);
        EXPECT_EQ(data_->Load(5, -1), TGameData::kSaveBadCrc);
        EXPECT_EQ(TGameData::GetSaveChapter(5), -1);
        EXPECT_EQ(SlotLine(5, false, -1, 5), "CRC値が不正です。");
    }

    // Another chapter's save in the own folder is refused before anything changes.
    SaveFileData other = SaveAt(25);
    other.money = other.playTime = 1;
    other.activeCharacter = 5;
    other.bgmVolume = 0;
    other.characters[0].Level = 40;
    WriteSave(Slot(2), other);
    EXPECT_EQ(data_->Load(2, -1), TGameData::kSaveOtherChapter);
    EXPECT_EQ(TGameData::GetSaveChapter(2), 5);
    EXPECT_EQ(State(), before);
}

TEST_F(SaveTest, CountsAndIdsOutsideTheirRangesAreRefusedAsCorrupt)
{
    PlayAWhile();
    const std::vector<std::uint8_t> before = State();
    std::vector<std::function<void(SaveFileData&)>> breaks = {
        [](SaveFileData& d) { d.activeCharacter = 8; },
        [](SaveFileData& d) { d.characters[3].WeaponId = 1200; },
        [](SaveFileData& d) { d.characters[7].Accessory1Id = 2200; },
        [](SaveFileData& d) { d.voiceVolume = 65; },
    };
    for (std::size_t i = 0; i < breaks.size(); ++i) {
        SaveFileData d = SaveAt(11);
        breaks[i](d);
        WriteSave(Slot(3), d);
        EXPECT_EQ(data_->Load(3, -1), TGameData::kSaveBadSize) << i;
        EXPECT_EQ(SlotLine(3, false, -1, 6), "ファイルサイズが不正です。") << i;
        EXPECT_EQ(TGameData::GetSaveChapter(3), -1) << i;
    }

    // Counts read from the body: learned skills of record 0, the inventory, and bytes left over.
    const std::vector<std::uint8_t> body = qmtest::BuildSaveBody(SaveAt(11));
    const std::size_t learnedAt = 29 + 948;
    const std::size_t itemsAt = body.size() - 4 - 5 * SaveAt(11).items.size();
    auto patched = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> b = body;
        for (int k = 0; k < 4; ++k) {
            b[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
        }
        return b;
    };
    std::vector<std::vector<std::uint8_t>> bodies = {
        patched(learnedAt, 0xFFFFFFFFu), patched(learnedAt, 3000), patched(itemsAt, 0x40000000u),
        patched(itemsAt, 1), std::vector<std::uint8_t>(body.begin(), body.end() - 1)};
    bodies.push_back(body);
    bodies.back().push_back(0);
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        qmtest::SaveBytes(Slot(3), qmtest::WrapSaveBody(bodies[i], i % 2 == 0));
        EXPECT_EQ(data_->Load(3, -1), TGameData::kSaveBadSize) << i;
        EXPECT_EQ(SlotLine(3, true, -1, 6), "ファイルサイズが不正です。") << i;
    }
    EXPECT_EQ(State(), before);
}

TEST_F(SaveTest, FailedSavesLeaveThePreviousSaveWhole)
{
    PlayAWhile();
    ASSERT_EQ(data_->Save(0), TGameData::kSaveOk);
    const std::vector<std::uint8_t> previous = qmtest::LoadBytes(Slot(0));
    data_->AddMoney(1000);

    // The disk takes only part of the file.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::int32_t partial = data_->Save(0);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(partial, TGameData::kSaveWriteFailed);
    EXPECT_EQ(qmtest::LoadBytes(Slot(0)), previous);
    EXPECT_FALSE(fs::exists(Slot(0) + ".tmp"));

    // A body past the 102,400-byte buffer; the temporary file a killed save left goes too.
    std::list<std::uint32_t>& learned = data_->GetCharacterData(6)->LearnedSkills;
    for (std::uint32_t id = 1; id <= 23000; ++id) {
        learned.push_back(100000 + id);
    }
    EXPECT_EQ(TGameData::TemporarySaveName(0), Slot(0) + ".tmp");
    qmtest::SaveBytes(Slot(0) + ".tmp", std::vector<std::uint8_t>(100, 1));
    EXPECT_EQ(data_->Save(0), TGameData::kSaveWriteFailed);
    EXPECT_EQ(qmtest::LoadBytes(Slot(0)), previous);
    EXPECT_FALSE(fs::exists(Slot(0) + ".tmp"));
    learned.resize(22000);  // 10,761 + 88,000 + ... still fits
    EXPECT_EQ(data_->Save(0), TGameData::kSaveOk);
    // So does a load of the slot, saved there or not; another chapter's folder is left alone.
    qmtest::SaveBytes(Slot(0) + ".tmp", std::vector<std::uint8_t>(100, 1));
    qmtest::SaveBytes(Slot(4) + ".tmp", std::vector<std::uint8_t>(100, 1));
    EXPECT_EQ(data_->Load(0, -1), TGameData::kSaveOk);
    EXPECT_EQ(data_->Load(4, -1), TGameData::kSaveOpenFailed);
    EXPECT_FALSE(fs::exists(Slot(0) + ".tmp"));
    EXPECT_FALSE(fs::exists(Slot(4) + ".tmp"));
    fs::create_directories(dir_.Path() / "Quillmark03" / "save");
    const fs::path otherTemporary = dir_.Path() / "Quillmark03" / "save" / "sav_00.dat.tmp";
    qmtest::SaveBytes(otherTemporary.string(), std::vector<std::uint8_t>(100, 1));
    data_->Load(0, 3);
    EXPECT_TRUE(fs::exists(otherTemporary));

    // No save folder: the file cannot be made.
    fs::remove_all("save");
    EXPECT_EQ(data_->Save(0), TGameData::kSaveCreateFailed);
}

// Out of file descriptors nothing can be opened: a slot that is not there still shows empty, one
// that is there is refused as unreadable and kept, and a save fails without touching its slot.
TEST_F(SaveTest, WithNoDescriptorLeftSlotsKeepWhatTheyHold)
{
    PlayAWhile();
    ASSERT_EQ(data_->Save(0), TGameData::kSaveOk);
    ASSERT_EQ(data_->Save(1), TGameData::kSaveOk);
    const std::vector<std::uint8_t> saved = qmtest::LoadBytes(Slot(1));
    data_->AddMoney(1000);
    const std::vector<std::uint8_t> before = State();
    // Looked at once the descriptors are back: a failure's report needs some.
    std::int32_t missing = 0;
    std::int32_t present = 0;
    std::int32_t missingRow = 0;
    std::int32_t presentRow = 0;
    std::int32_t save = 0;
    std::string emptyLine;
    std::string presentLine;
    {
        qmtest::NoFreeDescriptors none;
        ASSERT_TRUE(none.Held());
        missing = data_->Load(5, -1);
        missingRow = TGameData::MakeSaveSlotLine(5, false, -1, emptyLine);
        present = data_->Load(0, -1);
        presentRow = TGameData::MakeSaveSlotLine(0, false, -1, presentLine);
        save = data_->Save(1);
    }
    EXPECT_EQ(missing, TGameData::kSaveOpenFailed);
    EXPECT_EQ(missingRow, 1);
    EXPECT_EQ(emptyLine, "Empty");
    EXPECT_EQ(present, TGameData::kSaveReadFailed);
    EXPECT_EQ(presentRow, 3);
    EXPECT_EQ(save, TGameData::kSaveCreateFailed);
    EXPECT_EQ(State(), before);
    EXPECT_EQ(qmtest::LoadBytes(Slot(1)), saved);
    EXPECT_FALSE(fs::exists(Slot(5)));
    EXPECT_EQ(data_->Load(1, -1), TGameData::kSaveOk);
}

TEST_F(SaveTest, SlotLinesShowHeroLevelPlaceAndPlayTime)
{
    SaveFileData d = SaveAt(15);
    d.activeCharacter = 1;
    d.characters[1].Level = 4;
    d.playTime = 3723000;
    WriteSave(Slot(7), d);
    // The place fills 22 bytes.
    const auto place = [](const std::string& name) { return name + std::string(22 - name.size(), ' '); };
    EXPECT_EQ(SlotLine(7, false, -1, 0), " hero1 Lv: 5 " + place("森の入口") + " Time [01:02:03] T");

    // Play time beyond 99 hours shows 99:00:00; a level of two digits fills its field.
    d.playTime = 400000000;
    d.characters[1].Level = 58;
    WriteSave(Slot(7), d);
    EXPECT_EQ(SlotLine(7, false, -1, 0), " hero1 Lv:59 " + place("森の入口") + " Time [99:00:00] T");

    // Another chapter's save: its reason, or in save mode its line (code 8 either way).
    d.savePoint = 25;
    WriteSave(Slot(7), d);
    EXPECT_EQ(SlotLine(7, false, -1, 8), "このバージョンのセーブデータではありません。");
    EXPECT_EQ(SlotLine(7, true, -1, 8), " hero1 Lv:59 " + place("港町") + " Time [99:00:00] T");
    // " T" marks a stored word (save point + 52917364, wrapping) at or above 52917364: point 0 is
    // the first with it and -1 (chapter 0) the last below; the word's top is the last with it,
    // and one point more wraps to a word of 0.
    const struct {
        std::uint32_t point;
        const char* mark;
    } marks[] = {
        {0, " T"},
        {0xFFFFFFFFu, ""},
        {4242049931u, " T"},
        {4242049932u, ""},
    };
    d.playTime = 59999;
    for (const auto& m : marks) {
        d.savePoint = static_cast<std::int32_t>(m.point);
        WriteSave(Slot(7), d);
        EXPECT_EQ(SlotLine(7, true, -1, 8), " hero1 Lv:59 " + place("") + " Time [00:00:59]" + m.mark) << m.point;
    }

    // A chapter 3 save in chapter 3's folder; a chapter 4 one there cannot be carried over.
    d = SaveAt(7);
    WriteSave("../Quillmark03/save/" + qmtest::SaveSlotName(1), d);
    EXPECT_EQ(SlotLine(1, false, 3, 0), " hero0 Lv: 3 " + place("古い塔") + " Time [00:00:00] T");
    d.savePoint = 15;
    WriteSave("../Quillmark03/save/" + qmtest::SaveSlotName(1), d);
    EXPECT_EQ(SlotLine(1, false, 3, 7), "引継ぎに利用可能なセーブデータではありません。");
    EXPECT_EQ(SlotLine(2, false, 3, 1), "Empty");
}

TEST_F(SaveTest, SlotLinesStayWithinTheirBytesOnACharacterBoundary)
{
    THrdefRecord hero = gamedatatest::Hero(0, 500);
    std::string longName;
    for (int i = 0; i < 100; ++i) {
        longName += "あ";
    }
    hero.Name = longName;
    THrdefTable::Get(0) = hero;
    WriteSave(Slot(9), SaveAt(15));
    const std::string line = SlotLine(9, false, -1, 0);
    // 63 double-byte characters; the 64th would split at byte 127.
    EXPECT_EQ(line, longName.substr(0, 126));

    hero.Name = "x" + longName;
    THrdefTable::Get(0) = hero;
    EXPECT_EQ(SlotLine(9, false, -1, 0), hero.Name.substr(0, 127));
}

TEST_F(SaveTest, CarryOverFromAnotherChapterRaisesTheHeroesAndAddsItsGift)
{
    SaveFileData d = SaveAt(7);
    d.characters[0].Level = 1;  // below hero 0's level 2
    d.characters[0].Life = 3;
    d.characters[0].LifeMax = 40;
    d.characters[0].Stat[0] = 2;
    d.characters[1].Level = 30;  // above hero 1's level 3: keeps its levels
    d.characters[1].Stat[0] = 90;
    d.items = {{3, 4}, {1, 1}};
    WriteSave("../Quillmark03/save/" + qmtest::SaveSlotName(4), d, true);

    ASSERT_EQ(data_->Load(4, 3), TGameData::kSaveOk);
    const TCharacterRecord& first = *data_->GetCharacterData(0);
    const TCharacterRecord& second = *data_->GetCharacterData(1);
    EXPECT_EQ(std::make_tuple(first.Level, first.LifeMax, first.Life, first.Stat[0], second.Level, second.Stat[0]),
              std::make_tuple(2u, 500, 500, 11, 30u, 90));
    // This is chapter 4: five of item 3 come with the carry-over.
    EXPECT_EQ(std::make_tuple(int{data_->FindItem(3)->Count}, data_->GetItemKindCount(), data_->GetSavePoint()),
              std::make_tuple(9, 2, 7));

    // As chapter 5 the gift is ten.
    TGameData::SetChapter(5);
    ASSERT_EQ(data_->Load(4, 3), TGameData::kSaveOk);
    EXPECT_EQ(data_->FindItem(3)->Count, 14);
}

TEST_F(SaveTest, CarryOverFromTheOwnFolderWhenTheChaptersFolderIsMissing)
{
    SaveFileData d = SaveAt(25);
    d.money = 4321;
    WriteSave(Slot(6), d);
    ASSERT_EQ(data_->Load(6, 5), TGameData::kSaveOk);
    EXPECT_EQ(std::make_tuple(data_->GetMoney(), data_->GetSavePoint(), int{data_->FindItem(3)->Count}),
              std::make_tuple(4321u, 25, 5));
    EXPECT_EQ(SlotLine(6, false, 5, 0).substr(0, 13), " hero0 Lv: 3 ");
}

TEST_F(SaveTest, DamagedSavesNeverCrashUnderSanitizers)
{
    SaveFileData d = SaveAt(12);
    d.items = {{1001, 1}, {2, 3}};
    d.characters[0].LearnedSkills = {5, 6};
    d.characters[0].WeponPoints[1] = 300;
    const std::vector<std::uint8_t> plain = qmtest::BuildSaveBody(d);
    const std::vector<std::uint8_t> before = State();
    // Every record reads alike: dense truncations cover the header, the first record and the
    // tail (ring and items); the flag bytes and the other records between are sampled.
    qmtest::FuzzOptions options;
    options.mutations = 400;
    options.truncationStride = 61;
    options.denseEdge = 1024;
    // The damage goes into the plain body and the file gets a good CRC, so the reader sees it.
    qmtest::FuzzFile(plain, "fuzz.bin", [&](const std::string& path) {
        qmtest::SaveBytes(Slot(10), qmtest::WrapSaveBody(qmtest::LoadBytes(path), false));
        std::string line;
        TGameData::MakeSaveSlotLine(10, true, -1, line);
        if (data_->Load(10, -1) != TGameData::kSaveOk) {
            ASSERT_EQ(State(), before);
        } else {
            data_->Reset();
        }
    }, options);
}

}  // namespace

TEST_F(SaveTest, LoadRaisesTheFallenEndsTimedBonusesAndTeachesSkillsAgain)
{
    SaveFileData d = SaveAt(11);
    d.characters[0].Life = 0;
    d.characters[0].LifeMax = 321;
    d.characters[0].Mp = 0;
    d.characters[0].MpMax = 123;
    d.characters[0].GaugeUsed = 50;
    d.characters[2].Life = -5;
    d.characters[3].Life = 1;
    d.characters[3].GaugeUsed = 50;
    // Sword 1001 held: 250 points open its first two skills; skill 501 already sits in a slot.
    d.items = {{1001, 1}, {1, 3}};
    d.characters[0].WeponPoints[1] = 250;
    d.characters[0].SkillSlot[0] = 501;
    // Ring 2001 worn by character 4: 1000 points open all ten.
    d.characters[4].Accessory2Id = 2001;
    d.characters[4].AccessoryPoints[1] = 1000;
    // Points of an item neither held nor worn teach nothing.
    d.characters[5].WeponPoints[2] = 500;
    WriteSave(Slot(8), d);
    // Timed bonuses end with a load; an own chapter's save keeps the gauge carry.
    TRefPtr<TItemMean> effect(new TItemMean());
    effect->Duration = 100;
    effect->Bonus[0] = 5;
    data_->GetTimedFlags(3)->Set(effect);
    data_->SetGaugeCarry(77);

    ASSERT_EQ(data_->Load(8, -1), TGameData::kSaveOk);
    EXPECT_FALSE(data_->GetTimedFlags(3)->IsActive());
    EXPECT_EQ(data_->GetGaugeCarry(), 77u);
    const TCharacterRecord& first = *data_->GetCharacterData(0);
    const TCharacterRecord& fourth = *data_->GetCharacterData(3);
    EXPECT_EQ(std::make_tuple(first.Life, first.Mp, first.GaugeUsed, fourth.Life, fourth.GaugeUsed),
              std::make_tuple(321, 123, 0, 1, 50));
    EXPECT_EQ(data_->GetCharacterData(2)->Life, data_->GetCharacterData(2)->LifeMax);
    EXPECT_EQ(first.LearnedSkills, (std::list<std::uint32_t>{500}));
    std::list<std::uint32_t> ringSkills;
    for (std::uint32_t id = 600; id < 610; ++id) {
        ringSkills.push_back(id);
    }
    EXPECT_EQ(data_->GetCharacterData(4)->LearnedSkills, ringSkills);
    EXPECT_TRUE(data_->GetCharacterData(5)->LearnedSkills.empty());
}
