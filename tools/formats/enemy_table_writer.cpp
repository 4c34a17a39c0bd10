#include "formats/enemy_table_writer.h"

#include <filesystem>
#include <string>

namespace qmtest {

namespace {

void WriteString(TableWriter& out, const std::string& text)
{
    if (text.empty()) {
        out.Number(0);
    } else {
        out.Text(text);
    }
}

}  // namespace

void WriteRecord(TableWriter& out, const TEnemyRecord& r)
{
    out.Number(r.id);
    WriteString(out, r.label);
    out.Float(r.height).Float(r.shadowSize).Byte(r.objectFlagA).Byte(r.objectFlagB).Float(r.gravity);
    out.Byte(r.armedByte0).Byte(r.armedByte1).Byte(r.armedByte2);
    out.Int(r.maxHp).Int(r.hp).Int(r.maxMp).Int(r.mp).Int(r.str).Int(r.vit).Int(r.intel).Int(r.men);
    for (float stat : r.armedStats) {
        out.Float(stat);
    }
    out.Int(r.level).Float(r.gainFactor).Int(r.levelWordA).Int(r.levelWordB).Int(r.levelWordAPerLevel);
    out.Int(r.levelWordBPerLevel).Int(r.strGrowth).Int(r.vitGrowth).Int(r.intGrowth).Int(r.menGrowth);
    out.Int(r.hpGrowth).Int(r.lootWord0).Int(r.money).Int(r.item).Int(r.dropItem);
    out.Float(r.itemChance).Float(r.dropChance);
    WriteString(out, r.modelName);
    WriteString(out, r.soundName);
}

std::vector<std::uint8_t> BuildEnemyTable(const std::vector<TEnemyRecord>& records, bool scrambledHeader)
{
    TableWriter writer(scrambledHeader);
    writer.Column("ID", 0).Column("NAME", 1);
    for (const TEnemyRecord& record : records) {
        WriteRecord(writer, record);
        writer.EndRecord();
    }
    return writer.Build();
}

TEnemyRecord SampleEnemyRecord(std::uint32_t id)
{
    TEnemyRecord r;
    r.id = id;
    r.label = "敵" + std::to_string(id);
    r.height = 0.75F;
    r.shadowSize = 1.25F;
    r.objectFlagA = 1;
    r.objectFlagB = 0;
    r.gravity = -0.015F;
    r.armedByte0 = 1;
    r.armedByte1 = 2;
    r.armedByte2 = 3;
    r.maxHp = 120;
    r.hp = 110;
    r.maxMp = 30;
    r.mp = 20;
    r.str = 11;
    r.vit = 12;
    r.intel = 13;
    r.men = 14;
    for (int i = 0; i < 6; ++i) {
        r.armedStats[i] = 0.5F + 0.125F * static_cast<float>(i);
    }
    r.level = 3;
    r.gainFactor = 1.5F;
    r.levelWordA = 21;
    r.levelWordB = 22;
    r.levelWordAPerLevel = 4;
    r.levelWordBPerLevel = 5;
    r.strGrowth = 500;
    r.vitGrowth = 600;
    r.intGrowth = 700;
    r.menGrowth = 800;
    r.hpGrowth = 2000;
    r.lootWord0 = 77;
    r.money = 250;
    r.item = 1001;
    r.dropItem = 1002;
    r.itemChance = 0.25F;
    r.dropChance = 0.125F;
    r.modelName = "enemy01";
    r.soundName = "enemy01";
    return r;
}

}  // namespace qmtest

namespace qmtest {

void SaveStartupEnemyTable(const std::string& gameFolder)
{
    const std::filesystem::path folder = std::filesystem::path(gameFolder) / "data/tbl04";
    std::filesystem::create_directories(folder);
    SaveBytes((folder / "enemy.tbl").string(), BuildEnemyTable({}));
}

}  // namespace qmtest
