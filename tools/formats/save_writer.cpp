#include "formats/save_writer.h"

#include <bit>
#include <cstdio>

#include "TCommon/Crc32.h"
#include "formats/byte_writer.h"

namespace qmtest {

namespace {

constexpr std::uint32_t kSavePointOffset = 52917364;

void WriteRecord(ByteWriter& out, const TCharacterRecord& r)
{
    out.I32(r.PartyIndex).U32(r.Level).U32(r.Experience).I32(r.LifeMax).I32(r.MpMax).I32(r.GaugeMax);
    out.I32(r.Life).I32(r.Mp).I32(r.GaugeUsed);
    for (std::int32_t stat : r.Stat) {
        out.I32(stat);
    }
    for (float value : r.ElementValue) {
        out.F32(value);
    }
    out.U32(r.WeaponId).U32(r.Accessory1Id).U32(r.Accessory2Id);
    for (std::uint32_t id : r.SkillSlot) {
        out.U32(id);
    }
    for (std::uint16_t points : r.WeponPoints) {
        out.U16(points);
    }
    for (std::uint16_t points : r.AccessoryPoints) {
        out.U16(points);
    }
    for (std::uint32_t word : r.StateWord) {
        out.U32(word);
    }
    out.U32(static_cast<std::uint32_t>(r.LearnedSkills.size()));
    for (std::uint32_t id : r.LearnedSkills) {
        out.U32(id);
    }
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

std::uint32_t GetU32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

}  // namespace

std::vector<std::uint8_t> BuildSaveBody(const SaveFileData& d)
{
    ByteWriter out;
    out.U32(d.playTime).I32(d.bgmVolume).I32(d.seVolume).I32(d.voiceVolume).U8(d.miniMap);
    out.I32(d.activeCharacter).U32(static_cast<std::uint32_t>(d.savePoint) + kSavePointOffset).U32(d.money);
    for (const TCharacterRecord& record : d.characters) {
        WriteRecord(out, record);
    }
    out.Bytes(d.flags.data(), d.flags.size()).Bytes(d.pickupFlags.data(), d.pickupFlags.size());
    for (const TItemEntry& slot : d.ring) {
        out.U32(slot.Id).U8(slot.Count);
    }
    out.U32(static_cast<std::uint32_t>(d.items.size()));
    for (const TItemEntry& entry : d.items) {
        out.U32(entry.Id).U8(entry.Count);
    }
    return out.Data();
}

std::vector<std::uint8_t> WrapSaveBody(const std::vector<std::uint8_t>& plainBody, bool crcFirst)
{
    std::vector<std::uint8_t> body = plainBody;
    for (std::size_t i = 0; i < body.size(); ++i) {
        body[i] = std::rotl(static_cast<std::uint8_t>(~body[i]), static_cast<int>(i % 8));
    }
    const std::uint32_t crc = Crc32(body.data(), static_cast<std::int32_t>(body.size()));
    std::vector<std::uint8_t> file{static_cast<std::uint8_t>(crcFirst ? 1 : 0)};
    if (crcFirst) {
        PutU32(file, crc);
    }
    file.insert(file.end(), body.begin(), body.end());
    if (!crcFirst) {
        PutU32(file, crc);
    }
    return file;
}

std::vector<std::uint8_t> BuildSaveFile(const SaveFileData& data, bool crcFirst)
{
    return WrapSaveBody(BuildSaveBody(data), crcFirst);
}

bool UnwrapSaveFile(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& plainBody, bool& crcFirst)
{
    if (file.size() < 5) {
        return false;
    }
    crcFirst = file[0] != 0;
    const std::size_t bodyAt = crcFirst ? 5 : 1;
    const std::uint32_t stored = GetU32(crcFirst ? &file[1] : &file[file.size() - 4]);
    plainBody.assign(file.begin() + static_cast<std::ptrdiff_t>(bodyAt),
                     file.begin() + static_cast<std::ptrdiff_t>(bodyAt + file.size() - 5));
    if (Crc32(plainBody.data(), static_cast<std::int32_t>(plainBody.size())) != stored) {
        return false;
    }
    for (std::size_t i = 0; i < plainBody.size(); ++i) {
        plainBody[i] = static_cast<std::uint8_t>(~std::rotr(plainBody[i], static_cast<int>(i % 8)));
    }
    return true;
}

std::string SaveSlotName(int slot)
{
    char name[32];
    std::snprintf(name, sizeof name, "sav_%02d.dat", slot);
    return name;
}

}  // namespace qmtest
