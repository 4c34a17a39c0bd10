#include "MainCode/Character/TEnemyDataTable.h"

#include <bit>
#include <cstdio>
#include <utility>

#include "TCommon/TByteReader.h"
#include "MainCode/GameData/TGameTable.h"
#include "TCommon/my_error.h"
#include "dx/dx8/sound/ScrambledTable.h"
#include "platform/text/cp932.h"

namespace {

const char kSourceFile[] = "MainCode/Character/TEnemyDataTable";

bool ScrambledU8(TByteReader& in, std::uint8_t& value)
{
    std::uint8_t b = 0;
    if (!in.U8(b)) {
        return false;
    }
    UnscrambleBytes(&b, 1, kTableNumberKey);
    value = b;
    return true;
}

bool ScrambledU32(TByteReader& in, std::uint32_t& value)
{
    std::uint8_t b[4];
    if (!in.Bytes(b, sizeof(b))) {
        return false;
    }
    UnscrambleBytes(b, sizeof(b), kTableNumberKey);
    value = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
            static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
}

bool ScrambledI32(TByteReader& in, std::int32_t& value)
{
    std::uint32_t raw = 0;
    if (!ScrambledU32(in, raw)) {
        return false;
    }
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool ScrambledF32(TByteReader& in, float& value)
{
    std::uint32_t raw = 0;
    if (!ScrambledU32(in, raw)) {
        return false;
    }
    value = std::bit_cast<float>(raw);
    return true;
}

// A length past the bytes left fails before anything is allocated.
bool ScrambledString(TByteReader& in, std::string& out)
{
    std::uint32_t length = 0;
    if (!ScrambledU32(in, length) || length > in.Left()) {
        return false;
    }
    std::string text(length, '\0');
    if (length != 0 && !in.Bytes(reinterpret_cast<std::uint8_t*>(text.data()), length)) {
        return false;
    }
    UnscrambleBytes(reinterpret_cast<std::uint8_t*>(text.data()), length, kTableTextKey);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    out = std::move(text);
    return true;
}

}  // namespace

bool ReadEnemyRecord(TByteReader& in, TEnemyRecord& r)
{
    if (!(ScrambledU32(in, r.id) && ScrambledString(in, r.label) && ScrambledF32(in, r.height) &&
          ScrambledF32(in, r.shadowSize) && ScrambledU8(in, r.objectFlagA) && ScrambledU8(in, r.objectFlagB) &&
          ScrambledF32(in, r.gravity) && ScrambledU8(in, r.armedByte0) && ScrambledU8(in, r.armedByte1) &&
          ScrambledU8(in, r.armedByte2) && ScrambledI32(in, r.maxHp) && ScrambledI32(in, r.hp) &&
          ScrambledI32(in, r.maxMp) && ScrambledI32(in, r.mp) && ScrambledI32(in, r.str) &&
          ScrambledI32(in, r.vit) && ScrambledI32(in, r.intel) && ScrambledI32(in, r.men))) {
        return false;
    }
    for (float& stat : r.armedStats) {
        if (!ScrambledF32(in, stat)) {
            return false;
        }
    }
    return ScrambledI32(in, r.level) && ScrambledF32(in, r.gainFactor) && ScrambledI32(in, r.levelWordA) &&
           ScrambledI32(in, r.levelWordB) && ScrambledI32(in, r.levelWordAPerLevel) &&
           ScrambledI32(in, r.levelWordBPerLevel) && ScrambledI32(in, r.strGrowth) &&
           ScrambledI32(in, r.vitGrowth) && ScrambledI32(in, r.intGrowth) && ScrambledI32(in, r.menGrowth) &&
           ScrambledI32(in, r.hpGrowth) && ScrambledI32(in, r.lootWord0) && ScrambledI32(in, r.money) &&
           ScrambledI32(in, r.item) && ScrambledI32(in, r.dropItem) && ScrambledF32(in, r.itemChance) &&
           ScrambledF32(in, r.dropChance) && ScrambledString(in, r.modelName) &&
           ScrambledString(in, r.soundName);
}

bool TEnemyDataTable::Load(const std::string& path)
{
    if (!path.empty()) {
        m_path = path;
    }
    m_headerRead = false;
    return LoadTableFile(m_path, m_scrambled, m_recordCount, m_nameCount, m_names, m_values,
                         [this](TByteReader& in) {
                             m_headerRead = true;
                             // The count reserves nothing: records are appended as they are read whole.
                             for (std::uint32_t i = 0; i < m_recordCount; ++i) {
                                 TEnemyRecord record;
                                 if (!ReadEnemyRecord(in, record)) {
                                     return false;
                                 }
                                 m_records.push_back(std::move(record));
                             }
                             return true;
                         });
}

void TEnemyDataTable::Clear()
{
    m_recordCount = 0;
    m_nameCount = 0;
    m_names.clear();
    m_values.clear();
    m_records.clear();
}

TEnemyRecord TEnemyDataTable::GetRecord(std::size_t i) const
{
    return i < m_records.size() ? m_records[i] : TEnemyRecord();
}

std::string TEnemyDataTable::NameRecord(std::uint32_t id)
{
    return s_path + " : 敵 " + std::to_string(id);
}

const TEnemyRecord& TEnemyDataTable::Require(std::uint32_t id)
{
    const auto it = s_records.find(id);
    if (it != s_records.end()) {
        return it->second;
    }
    std::string why = NameRecord(id) + " の記録がありません。";
    if (s_readWhole < s_promised) {
        why += "表は " + std::to_string(s_promised) + " 件のうち " + std::to_string(s_readWhole) +
               " 件だけ読めて、残りは切れています。";
    }
    throw my_error(why, kSourceFile, __LINE__);
}

void LoadEnemyData(const std::string& path)
{
    TEnemyDataTable reader(path);
    const bool whole = reader.Load(std::string());
    TEnemyDataTable::s_path = path;
    TEnemyDataTable::s_readWhole = reader.GetRecords().size();
    TEnemyDataTable::s_promised = reader.GetRecordCount();
    if (!reader.IsHeaderRead()) {
        throw my_error("敵データを読み込めません: " + path, kSourceFile, __LINE__);
    }
    for (const TEnemyRecord& record : reader.GetRecords()) {
        TEnemyDataTable::Insert(record);
    }
    if (!whole) {
        std::fprintf(stderr, "%s: %zu of %u enemy records read whole; the rest is cut\n",
                     platform::Cp932ToUtf8(path).c_str(), reader.GetRecords().size(), reader.GetRecordCount());
    }
}
