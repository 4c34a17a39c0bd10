// Save files: slots, their checks, the slot lines and the carry-over from the other chapters.
//
// A file is a flag byte, the scrambled body and the CRC-32 of the stored body, which stands
// before the body when the flag is set and after it otherwise.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSaveBuffer.h"
#include "TCommon/TByteReader.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/GameData/TTextFormat.h"
#include "MainCode/GameData/TWeponTable.h"
#include "TCommon/Crc32.h"
#include "TCommon/TFile.h"
#include "TCommon/my_error.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TText8.h"
#include "platform/win32/file.h"
#include "platform/win32/timer.h"

namespace {

const char* const kChapterFolders[6] = {
    "../Quillmark01/save/", "../Quillmark02/save/", "../Quillmark03/save/",
    "../Quillmark04/save/", "../Quillmark05/save/", "../Quillmark06/save/",
};

struct SavePointRange {
    std::uint32_t first;
    std::uint32_t last;  // inclusive
};

// By chapter 0..6.
constexpr SavePointRange kSavePointRanges[7] = {
    {0xFFFFFFFFu, 0xFFFFFFFFu}, {0, 2}, {3, 6}, {7, 10}, {11, 20}, {21, 30}, {31, 40},
};

// The save point is stored with this added.
constexpr std::uint32_t kSavePointOffset = 52917364;

// Save assembles the body in a buffer of this size; Load takes no larger body.
constexpr std::uint32_t kMaxBody = 102400;
// Flag byte and CRC.
constexpr std::uint32_t kFileOverhead = 5;
constexpr std::uint32_t kMinFileSize = 1024;

const char* const kResultMessages[9] = {
    "エラーは発生しませんでした。",
    "ファイルオープンに失敗しました。",
    "ファイル作成に失敗しました。",
    "ファイルの読み取りに失敗しました。",
    "ファイルの書き込みに失敗しました。",
    "CRC値が不正です。",
    "ファイルサイズが不正です。",
    "引継ぎに利用可能なセーブデータではありません。",
    "このバージョンのセーブデータではありません。",
};

bool InRange(std::uint32_t value, std::uint32_t first, std::uint32_t count)
{
    return value - first < count;  // values below first wrap past count
}

}  // namespace

// A save file taken apart and checked, before anything of the database changes.
struct TGameData::SaveImage {
    std::uint32_t playTime = 0;
    std::int32_t bgmVolume = 0;
    std::int32_t seVolume = 0;
    std::int32_t voiceVolume = 0;
    std::uint8_t miniMap = 0;
    std::int32_t activeCharacter = 0;
    std::uint32_t savePointWord = 0;  // save point + 52917364
    std::uint32_t money = 0;
    TCharacterRecord characters[kPartySize];
    std::uint8_t flags[kEventFlags] = {};
    std::uint8_t pickupFlags[kPickupFlags] = {};
    TItemEntry ring[kRingSlots];
    std::vector<TItemEntry> items;

    std::uint32_t SavePoint() const { return savePointWord - kSavePointOffset; }

    bool Read(TByteReader& in);
    // Values the database uses as indexes or levels lie within their ranges.
    bool IsSound() const;
};

bool TGameData::SaveImage::Read(TByteReader& in)
{
    bool ok = in.U32(playTime) && in.I32(bgmVolume) && in.I32(seVolume) && in.I32(voiceVolume) && in.U8(miniMap) &&
              in.I32(activeCharacter) && in.U32(savePointWord) && in.U32(money);
    for (TCharacterRecord& record : characters) {
        ok = ok && record.Read(in);
    }
    ok = ok && in.Bytes(flags, kEventFlags) && in.Bytes(pickupFlags, kPickupFlags);
    for (TItemEntry& slot : ring) {
        ok = ok && in.U32(slot.Id) && in.U8(slot.Count);
    }
    std::uint32_t count = 0;
    if (!ok || !in.U32(count) || !in.Fits(count, 5)) {
        return false;
    }
    items.resize(count);
    for (TItemEntry& entry : items) {
        in.U32(entry.Id);
        in.U8(entry.Count);
    }
    // The counts account for the whole body.
    return in.Left() == 0;
}

bool TGameData::SaveImage::IsSound() const
{
    for (std::int32_t level : {bgmVolume, seVolume, voiceVolume}) {
        if (level < 0 || level > kFullVolume) {
            return false;
        }
    }
    if (!InRange(static_cast<std::uint32_t>(activeCharacter), 0, kPartySize)) {
        return false;
    }
    // Equipment ids index the ability points.
    for (const TCharacterRecord& record : characters) {
        if (!InRange(record.WeaponId, TCharacterRecord::kFirstWeponId, TCharacterRecord::kAbpEntries) ||
            !InRange(record.Accessory1Id, TCharacterRecord::kFirstAccessoryId, TCharacterRecord::kAbpEntries) ||
            !InRange(record.Accessory2Id, TCharacterRecord::kFirstAccessoryId, TCharacterRecord::kAbpEntries)) {
            return false;
        }
    }
    return true;
}

std::uint32_t TGameData::GetPlayTime() const
{
    const std::uint64_t total = std::uint64_t{m_playTime} + (timeGetTime() - m_playTimeStart);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, kMaxPlayTime));
}

void TGameData::StartPlayTime()
{
    m_playTimeStart = timeGetTime();
}

std::string TGameData::GetSaveDirectoryFor(std::int32_t chapter)
{
    std::string folder;
    if (chapter == kOwnSaveFolder) {
        folder = s_saveFolder;
    } else if (chapter >= 1 && chapter <= 6) {
        folder = kChapterFolders[chapter - 1];
    }
    std::string bare;
    if (!folder.empty() && folder.back() == '/') {
        bare = folder.substr(0, folder.size() - 1);
    }
    const DWORD attributes = GetFileAttributesA(bare.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return s_saveFolder;
    }
    return folder;
}

std::string TGameData::SaveFileName(std::int32_t slot, std::int32_t chapter)
{
    char name[32];
    std::snprintf(name, sizeof name, "sav_%02d.dat", slot);
    return GetSaveDirectoryFor(chapter) + name;
}

std::string TGameData::ResultMessage(std::int32_t code)
{
    return code >= 0 && code < static_cast<std::int32_t>(std::size(kResultMessages)) ? kResultMessages[code]
                                                                                      : std::string();
}

bool TGameData::IsSavePointOfChapter(std::uint32_t savePoint, std::int32_t chapter)
{
    if (chapter < 0 || chapter >= static_cast<std::int32_t>(std::size(kSavePointRanges))) {
        return false;
    }
    const SavePointRange& range = kSavePointRanges[chapter];
    return savePoint >= range.first && savePoint <= range.last;
}

std::int32_t TGameData::GetChapterOfSavePoint(std::uint32_t savePoint)
{
    for (std::int32_t chapter = 1; chapter <= 6; ++chapter) {
        if (IsSavePointOfChapter(savePoint, chapter)) {
            return chapter;
        }
    }
    return -1;
}

bool TGameData::IsCarryOverSave(std::int32_t chapter, std::uint32_t savePoint)
{
    return chapter >= 1 && chapter <= 6 && IsSavePointOfChapter(savePoint, chapter);
}

std::string TGameData::TemporarySaveName(std::int32_t slot)
{
    return SaveFileName(slot, kOwnSaveFolder) + ".tmp";
}

std::int32_t TGameData::Save(std::int32_t slot)
{
    // What a save killed half-way left behind is of no use to anyone.
    DeleteFileA(TemporarySaveName(slot).c_str());
    TSaveWriter out(kMaxBody);
    out.U32(GetPlayTime());
    out.I32(m_bgmVolume);
    out.I32(m_seVolume);
    out.I32(m_voiceVolume);
    out.U8(m_miniMap);
    out.I32(m_activeCharacter);
    out.U32(static_cast<std::uint32_t>(m_savePoint) + kSavePointOffset);
    out.U32(m_money);
    for (const TCharacterRecord& record : m_characters) {
        record.Write(out);
    }
    out.Bytes(m_flags, kEventFlags);
    out.Bytes(m_pickupFlags, kPickupFlags);
    for (const TItemEntry& slotEntry : m_ring) {
        out.U32(slotEntry.Id);
        out.U8(slotEntry.Count);
    }
    out.U32(static_cast<std::uint32_t>(m_items.size()));
    for (const TRefPtr<TItemEntry>& entry : m_items) {
        out.U32(entry->Id);
        out.U8(entry->Count);
    }
    if (!out.Fits()) {
        return kSaveWriteFailed;
    }
    std::vector<std::uint8_t>& body = out.Data();
    ScrambleSaveBody(body.data(), body.size());
    const std::uint32_t bodySize = static_cast<std::uint32_t>(body.size());
    const std::uint32_t crc = Crc32(body.data(), static_cast<std::int32_t>(bodySize));
    const std::uint8_t crcBytes[4] = {static_cast<std::uint8_t>(crc), static_cast<std::uint8_t>(crc >> 8),
                                      static_cast<std::uint8_t>(crc >> 16), static_cast<std::uint8_t>(crc >> 24)};
    const std::uint8_t crcFirst = static_cast<std::uint8_t>(genrand_int32() & 1);

    // The slot keeps its former save until the new one is on disk whole, even through a power cut:
    // the file is flushed before the rename, and the rename flushed with its folder.
    const std::string path = SaveFileName(slot, kOwnSaveFolder);
    const std::string temporary = TemporarySaveName(slot);
    bool written = false;
    {
        TFile file(temporary);
        if (!file.Create(false, GENERIC_WRITE)) {
            return kSaveCreateFailed;
        }
        written = file.Write(&crcFirst, 1) && (crcFirst == 0 || file.Write(crcBytes, 4)) &&
                  file.Write(body.data(), bodySize) && (crcFirst != 0 || file.Write(crcBytes, 4)) &&
                  FlushFileBuffers(file.GetHandle());
        try {
            file.Close();
        } catch (const my_error&) {
            written = false;
        }
    }
    if (!written || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return kSaveWriteFailed;
    }
    return kSaveOk;
}

std::int32_t TGameData::ReadSaveImage(const std::string& path, SaveImage& image)
{
    TFile file(path);
    if (!file.Open(true, GENERIC_READ)) {
        // Only a missing file is an empty slot; a folder, a FIFO or a socket under the slot's name
        // is a slot that cannot be read. An open refused before the name is looked at (no
        // descriptor left) says nothing of the file: whether it is there tells.
        const auto missing = [] {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        };
        if (missing() || (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && missing())) {
            return kSaveOpenFailed;
        }
        return kSaveReadFailed;
    }
    const std::uint32_t size = file.GetSize();
    if (size == INVALID_FILE_SIZE || size < kMinFileSize || size - kFileOverhead > kMaxBody) {
        return kSaveBadSize;
    }
    const std::uint32_t bodySize = size - kFileOverhead;
    std::vector<std::uint8_t> body(bodySize);
    std::uint8_t crcFirst = 0;
    std::uint8_t crcBytes[4] = {};
    if (!file.Read(&crcFirst, 1) || (crcFirst != 0 && !file.Read(crcBytes, 4)) || !file.Read(body.data(), bodySize) ||
        (crcFirst == 0 && !file.Read(crcBytes, 4))) {
        return kSaveReadFailed;
    }
    const std::uint32_t stored = std::uint32_t{crcBytes[0]} | std::uint32_t{crcBytes[1]} << 8 |
                                 std::uint32_t{crcBytes[2]} << 16 | std::uint32_t{crcBytes[3]} << 24;
    if (Crc32(body.data(), static_cast<std::int32_t>(bodySize)) != stored) {
        return kSaveBadCrc;
    }
    UnscrambleSaveBody(body.data(), bodySize);
    TByteReader in(body.data(), bodySize);
    if (!image.Read(in) || !image.IsSound()) {
        return kSaveBadSize;
    }
    return kSaveOk;
}

std::int32_t TGameData::Load(std::int32_t slot, std::int32_t chapter)
{
    if (chapter == kOwnSaveFolder) {
        DeleteFileA(TemporarySaveName(slot).c_str());
    }
    // Everything is read and checked first: a refused save changes nothing.
    auto image = std::make_unique<SaveImage>();
    const std::int32_t result = ReadSaveImage(SaveFileName(slot, chapter), *image);
    if (result != kSaveOk) {
        return result;
    }
    if (chapter == kOwnSaveFolder && !IsSavePointOfChapter(image->SavePoint(), s_chapter)) {
        return kSaveOtherChapter;
    }
    TakeOver(*image, chapter != kOwnSaveFolder);
    return kSaveOk;
}

void TGameData::TakeOver(SaveImage& image, bool carryOver)
{
    m_playTime = image.playTime;
    m_bgmVolume = image.bgmVolume;
    m_seVolume = image.seVolume;
    m_voiceVolume = image.voiceVolume;
    m_miniMap = image.miniMap;
    m_activeCharacter = image.activeCharacter;
    m_savePoint = static_cast<std::int32_t>(image.SavePoint());
    m_money = image.money;
    for (std::uint32_t i = 0; i < kPartySize; ++i) {
        m_characters[i] = std::move(image.characters[i]);
    }
    std::copy(std::begin(image.flags), std::end(image.flags), m_flags);
    std::copy(std::begin(image.pickupFlags), std::end(image.pickupFlags), m_pickupFlags);
    std::copy(std::begin(image.ring), std::end(image.ring), m_ring);
    m_items.clear();
    for (const TItemEntry& entry : image.items) {
        m_items.push_back(TRefPtr<TItemEntry>(new TItemEntry(entry)));
    }
    ApplyVolumes();
    if (carryOver) {
        m_gaugeCarry = 0;
        ApplyCarryOverRule();
    }
    for (TTimedFlags& flags : m_timedFlags) {
        flags.Reset();
    }
    for (TCharacterRecord& record : m_characters) {
        if (record.Life <= 0) {
            record.Life = record.LifeMax;
            record.Mp = record.MpMax;
            record.GaugeUsed = 0;
        }
    }
    RelearnFromAbilityPoints();
    UpdateSkillMasterFlags();
}

void TGameData::ApplyCarryOverRule()
{
    struct Gift {
        std::uint32_t item;
        std::uint32_t count;
    };
    // By this program's chapter 2..6; chapter 1 has nothing to carry over.
    constexpr Gift kGifts[5] = {{1, 5}, {2, 5}, {3, 5}, {3, 10}, {3, 10}};
    if (s_chapter < 2 || s_chapter > 6) {
        return;
    }
    AdjustCarriedCharacters();
    AddItem(kGifts[s_chapter - 2].item, kGifts[s_chapter - 2].count);
}

void TGameData::AdjustCarriedCharacters()
{
    for (std::uint32_t i = 0; i < kPartySize; ++i) {
        TCharacterRecord& record = m_characters[i];
        const THrdefRecord& hero = THrdefTable::Get(i);
        if (static_cast<std::int64_t>(record.Level) < hero.Level) {
            record.PartyIndex = hero.Id;
            record.Level = static_cast<std::uint32_t>(hero.Level);
            record.Experience = static_cast<std::uint32_t>(hero.Experience);
            record.LifeMax = hero.LifeMax;
            record.MpMax = hero.MpMax;
            record.GaugeMax = hero.GaugeMax;
            std::copy(std::begin(hero.Stat), std::end(hero.Stat), record.Stat);
        }
        record.Life = hero.LifeMax;
        record.Mp = hero.MpMax;
        record.GaugeUsed = 0;
    }
}

void TGameData::RelearnFrom(std::uint32_t i, std::uint8_t kind, std::uint32_t id)
{
    TCharacterRecord& record = m_characters[i];
    const std::uint16_t* points = kind == 1 ? record.WeponAbp(id) : record.AccessoryAbp(id);
    if (points == nullptr) {
        return;
    }
    const std::uint32_t(&skills)[10] = kind == 1 ? TWeponTable::Get(id).Skill : TAccessoryTable::Get(id).Skill;
    const std::uint32_t opened = std::min<std::uint32_t>(*points / 100u, 10);
    for (std::uint32_t k = 0; k < opened; ++k) {
        LearnSkill(i, skills[k]);
    }
}

void TGameData::RelearnFromAbilityPoints()
{
    for (const TRefPtr<TItemEntry>& entry : m_items) {
        const std::uint8_t kind = TItemTable::Get(entry->Id).Kind;
        if (kind != 1 && kind != 2) {
            continue;
        }
        for (std::uint32_t i = 0; i < kPartySize; ++i) {
            RelearnFrom(i, kind, entry->Id);
        }
    }
    for (std::uint32_t i = 0; i < kPartySize; ++i) {
        const TCharacterRecord& record = m_characters[i];
        RelearnFrom(i, 1, record.WeaponId);
        RelearnFrom(i, 2, record.Accessory1Id);
        RelearnFrom(i, 2, record.Accessory2Id);
    }
}

std::int32_t TGameData::GetSaveChapter(std::int32_t slot)
{
    auto image = std::make_unique<SaveImage>();
    if (ReadSaveImage(SaveFileName(slot, kOwnSaveFolder), *image) != kSaveOk) {
        return -1;
    }
    return GetChapterOfSavePoint(image->SavePoint());
}

std::int32_t TGameData::MakeSaveSlotLine(std::int32_t slot, bool showOtherChapter, std::int32_t chapter,
                                         std::string& line)
{
    auto image = std::make_unique<SaveImage>();
    const std::int32_t result = ReadSaveImage(SaveFileName(slot, chapter), *image);
    if (result == kSaveOpenFailed) {
        line = "Empty";
        return result;
    }
    if (result != kSaveOk) {
        line = ResultMessage(result);
        return result;
    }
    const std::uint32_t savePoint = image->SavePoint();
    std::int32_t code = kSaveOk;
    if (chapter == kOwnSaveFolder && !IsSavePointOfChapter(savePoint, s_chapter)) {
        code = kSaveOtherChapter;
        if (!showOtherChapter) {
            line = ResultMessage(code);
            return code;
        }
    } else if (chapter != kOwnSaveFolder && !IsCarryOverSave(chapter, savePoint)) {
        line = ResultMessage(kSaveNotCarryOver);
        return kSaveNotCarryOver;
    }
    // The active character was checked to be 0..7 when the file was read.
    const std::uint32_t active = static_cast<std::uint32_t>(image->activeCharacter);
    const std::string& name = THrdefTable::Get(active).Name;
    const std::string& place = TSvpTable::Get(savePoint).PlaceName;
    const unsigned long level = image->characters[active].Level + 1u;
    const std::uint32_t seconds = std::min(image->playTime, kMaxPlayTime) / 1000;
    // " T" marks a save point stored at or above the offset; the whole line is cut at once.
    const char* mark = image->savePointWord >= kSavePointOffset ? " T" : "";
    line = FormatLine("%6s Lv:%2lu %-22s Time [%02d:%02d:%02d]%s", name.c_str(), level, place.c_str(),
                      static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                      static_cast<int>(seconds % 60), mark);
    return code;
}

std::int32_t TGameData::FormatSaveSlotLine(std::int32_t slot, TText8& text, bool showOtherChapter,
                                           std::int32_t chapter)
{
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    text.Clear(false);
    text.DrawText(0, 0, FormatLine("%2d：", slot), &font, false);
    std::string line;
    const std::int32_t result = MakeSaveSlotLine(slot, showOtherChapter, chapter, line);
    text.DrawText(32, 0, line, &font, true);
    return result;
}
